// "비교…": the loaded container (A) beside another one (B), row by row. The
// list names every row with the sizes of both pictures and marks the rows
// whose pictures differ (what differs in words: only in A, only in B, the
// sizes, how many pixels); a row selected shows A, B and a mask of the
// pixels that differ. Left and Right step through the differing rows only.
// Pictures are drawn as `zpk export` draws them, with the main window's
// options; `zpk diff` finds the same rows.
//
// The comparison runs on a thread of its own, from a copy of the loaded
// file, and starts again when the main window loads another file, edits
// it or draws with other options. Esc and Ctrl+W close the window, which
// stops its work and lets go of both files.
#pragma once

#include "compare/Compare.h"
#include "state/PictureOptions.h"
#include "state/ViewerState.h"
#include "window/CompanionWindow.h"

#include <QImage>

#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace zpk {

class BackgroundTask;
class ContainerSnapshot;
class ImageView;
class ViewerContext;

class CompareWindow : public CompanionWindow {
    Q_OBJECT

public:
    explicit CompareWindow(ViewerContext* window);
    ~CompareWindow() override;

    // Asks for the container to compare with (WindowDialogs), then compares.
    void chooseAndCompare();
    // Reads `path` as B and compares the loaded container with it; false
    // (after a message, with the window as it was) when it cannot be read.
    bool compareWith(const QString& path);

    bool isComparing() const;
    // Every row once the comparison has finished (empty before).
    const std::vector<RowDifference>& rows() const { return m_rows; }
    std::vector<int> differingRows() const;
    // The row selected in the list, -1 for none.
    int currentRow() const;
    void selectRow(int row);
    // Selects the next (+1) or the previous (-1) differing row.
    void stepDifference(int by);

    // What the row selected shows, once drawn.
    const QImage& pictureA() const { return m_pictureA; }
    const QImage& pictureB() const { return m_pictureB; }
    const QImage& mask() const { return m_mask; }
    QTreeWidget* list() const { return m_list; }
    QString statusText() const;

signals:
    // The comparison has finished.
    void compared();
    // The pictures of `row` are shown.
    void rowShown(int row);

private:
    void reload() override;
    void release() override;
    void followRender();
    void snapshotReady(const std::shared_ptr<const ContainerFile>& file);
    void startComparison();
    void showRows(ContainerComparison comparison);
    void rowSelected();
    void showPictures(const RowPictures& pictures);
    QString changeText(const RowDifference& row) const;
    void updateTitle();

    ContainerSnapshot* m_snapshot = nullptr;
    BackgroundTask* m_comparer = nullptr;
    BackgroundTask* m_drawer = nullptr;
    QLabel* m_files = nullptr;
    QPushButton* m_other = nullptr;
    QTreeWidget* m_list = nullptr;
    ImageView* m_viewA = nullptr;
    ImageView* m_viewB = nullptr;
    ImageView* m_viewMask = nullptr;
    QLabel* m_status = nullptr;

    QString m_nameA;
    QString m_nameB;
    QString m_pathB;
    std::shared_ptr<const ContainerFile> m_a;  // the copy of the loaded file
    std::shared_ptr<const ContainerFile> m_b;
    PictureOptions m_options;
    std::vector<RowDifference> m_rows;
    QImage m_pictureA;
    QImage m_pictureB;
    QImage m_mask;
};

}  // namespace zpk
