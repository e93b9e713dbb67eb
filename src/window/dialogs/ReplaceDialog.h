// The question "바꾸기…" asks: the drawn entry and the PNG chosen to take
// its place side by side, each with its width, height and the number of
// pixel values it uses, and the check box "투명한 픽셀은 값 0으로"
// (PackOptions::transparentIndex0). The PNG is read again whenever the box changes; while it cannot be read,
// the reason stands in its place and only "취소" is offered.
#pragma once

#include "state/Result.h"
#include "window/dialogs/WindowDialogs.h"

#include <QDialog>
#include <QImage>
#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;

namespace zpk {

class ReplaceDialog : public QDialog {
    Q_OBJECT

public:
    explicit ReplaceDialog(const ReplacePreview& preview, QWidget* parent = nullptr);

    // What the user chose (Cancel until a button is pressed), and how the
    // PNG is read now.
    ReplaceChoice choice() const { return m_choice; }
    PackOptions options() const;
    // The PNG as read with options(), or why it cannot be.
    const Result<WriterImage>& picture() const { return m_picture; }

    // "W x H, 색 N개": width, height and the pixel values used.
    static QString sizeText(int width, int height, std::int64_t colours);
    // A picture to pack as it looks: value v in colour v, value 0
    // transparent when `transparentIndex0`.
    static QImage toQImage(const WriterImage& image, bool transparentIndex0);

private:
    void showPicture();
    void choose(ReplaceChoice choice);

    ReplacePreview m_preview;
    Result<WriterImage> m_picture;
    ReplaceChoice m_choice = ReplaceChoice::Cancel;
    QLabel* m_newImage = nullptr;
    QLabel* m_newSize = nullptr;
    QCheckBox* m_transparentIndex0 = nullptr;
    QPushButton* m_replaceButton = nullptr;
    QPushButton* m_saveAsButton = nullptr;
};

}  // namespace zpk
