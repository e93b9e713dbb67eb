// The gallery's grid: a list view that, while something is dragged over
// it, marks the gap where a drop would put it.
#pragma once

#include <QListView>

namespace zpk {

class GalleryView : public QListView {
    Q_OBJECT

public:
    using QListView::QListView;

    // Marks the gap in front of row `gap` (the row count: behind the last
    // row), drawn behind row gap - 1 when `behindRowBefore` (the pointer is
    // there, and the rows may wrap in between); -1 takes the mark away.
    void setDropMark(int gap, bool behindRowBefore = false);
    int dropMark() const { return m_dropMark; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_dropMark = -1;
    bool m_behindRowBefore = false;
};

}  // namespace zpk
