// The dialogs and message boxes the viewer's windows open, behind one small
// interface so that tests can answer them without a dialog on screen.
#pragma once

#include "pack/PictureReader.h"
#include "window/DrawnEntry.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

namespace zpk {

// What "바꾸기…" asks before it replaces an entry: the drawn entry and the
// PNG chosen to take its place.
struct ReplacePreview {
    std::shared_ptr<const DrawnEntry> drawn;  // its row is drawn->image.row
    QString containerPath;                    // the loaded file the entry belongs to
    QString picturePath;                      // the PNG
    PackOptions options;                      // how the PNG is read unless the user changes it
};

enum class ReplaceChoice {
    Cancel,
    ReplaceInPlace,  // write the new container over the loaded file
    SaveAs,          // write it to a new file (chooseContainerSavePath)
};

// What to do with edits not saved yet, before they would be lost.
enum class SaveChoice { Save, Discard, Cancel };

struct ReplaceAnswer {
    ReplaceChoice choice = ReplaceChoice::Cancel;
    PackOptions options;  // how to read the PNG, as the user left them
};

class WindowDialogs {
public:
    virtual ~WindowDialogs() = default;

    // CDialog: a container to open, starting in `folder`, with the folders
    // of recent files offered beside it; nothing when the user cancels.
    virtual std::optional<QString> chooseFile(QWidget* parent, const QString& folder,
                                              const QStringList& recentFolders) = 0;
    // The save dialog of "이미지 저장…", starting at `suggested`.
    virtual std::optional<QString> chooseSavePath(QWidget* parent, const QString& suggested) = 0;
    // The folder dialog of "모두 내보내기…", starting in `folder`.
    virtual std::optional<QString> chooseExportFolder(QWidget* parent, const QString& folder) = 0;
    // The open dialog of "팔레트 불러오기…": a palette file (*.gpl, *.pal,
    // *.act), starting in `folder`.
    virtual std::optional<QString> choosePaletteFile(QWidget* parent, const QString& folder) = 0;
    // The save dialog of "팔레트 저장…", starting at `suggested`; the
    // extension of the name chosen (.gpl, .pal, .act, .png) picks the format.
    virtual std::optional<QString> choosePaletteSavePath(QWidget* parent, const QString& suggested) = 0;
    // The open dialog of "바꾸기…": a PNG picture, starting in `folder`.
    virtual std::optional<QString> choosePicture(QWidget* parent, const QString& folder) = 0;
    // The open dialog of the gallery's "앞에 넣기…", "뒤에 넣기…" and
    // "바꾸기…": one or more PNG pictures, starting in `folder`, in the
    // order chosen; empty when the user cancels.
    virtual QStringList choosePictures(QWidget* parent, const QString& folder) = 0;
    // Whether, and where, to replace the drawn entry with the picture, and
    // how to read it (ReplaceDialog).
    virtual ReplaceAnswer confirmReplace(QWidget* parent, const ReplacePreview& preview) = 0;
    // The save dialog of "다른 이름으로 저장…" after "바꾸기…": a new
    // container, starting at `suggested`.
    virtual std::optional<QString> chooseContainerSavePath(QWidget* parent, const QString& suggested) = 0;
    // The save dialog of "GIF로 저장…": an animated GIF, starting at `suggested`.
    virtual std::optional<QString> chooseGifSavePath(QWidget* parent, const QString& suggested) = 0;
    // The open dialog of "비교…": the container to compare the loaded one
    // with, starting in `folder`.
    virtual std::optional<QString> chooseComparedFile(QWidget* parent, const QString& folder) = 0;
    // A warning: something failed.
    virtual void showMessage(QWidget* parent, const QString& title, const QString& text) = 0;
    // A report of something done.
    virtual void showInfo(QWidget* parent, const QString& title, const QString& text) = 0;
    // A yes/no question, "no" being the default; true for yes.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
    // "저장 / 버리기 / 취소", "취소" being the default.
    virtual SaveChoice askSaveChanges(QWidget* parent, const QString& title, const QString& text) = 0;
};

// Qt's own dialogs and message boxes. Texts are shown as plain text: a path
// is never read as markup.
class QtDialogs : public WindowDialogs {
    Q_DECLARE_TR_FUNCTIONS(QtDialogs)

public:
    // CDialog: an open-file dialog for "*.zpk" files, default suffix "zpk",
    // starting in `folder`; the folders of recent files are offered beside it.
    static std::unique_ptr<QFileDialog> makeOpenDialog(QWidget* parent, const QString& folder,
                                                       const QStringList& recentFolders = {});

    std::optional<QString> chooseFile(QWidget* parent, const QString& folder,
                                      const QStringList& recentFolders) override;
    std::optional<QString> chooseSavePath(QWidget* parent, const QString& suggested) override;
    std::optional<QString> chooseExportFolder(QWidget* parent, const QString& folder) override;
    std::optional<QString> choosePaletteFile(QWidget* parent, const QString& folder) override;
    std::optional<QString> choosePaletteSavePath(QWidget* parent, const QString& suggested) override;
    std::optional<QString> choosePicture(QWidget* parent, const QString& folder) override;
    QStringList choosePictures(QWidget* parent, const QString& folder) override;
    ReplaceAnswer confirmReplace(QWidget* parent, const ReplacePreview& preview) override;
    std::optional<QString> chooseContainerSavePath(QWidget* parent, const QString& suggested) override;
    std::optional<QString> chooseGifSavePath(QWidget* parent, const QString& suggested) override;
    std::optional<QString> chooseComparedFile(QWidget* parent, const QString& folder) override;
    void showMessage(QWidget* parent, const QString& title, const QString& text) override;
    void showInfo(QWidget* parent, const QString& title, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override;
    SaveChoice askSaveChanges(QWidget* parent, const QString& title, const QString& text) override;
};

}  // namespace zpk
