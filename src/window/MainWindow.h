// The window `main`: the viewer's one window, its controls and the table of
// events that loads containers and renders their entries.
//
// Rendering goes one way only: a request is a click of the hidden button
// Command1, whose slot is the render handler. It decodes the entry of the
// selected row of List1 (row 0 when none is selected) and draws it onto the
// surface of Picture1. Renders run to their end on this thread without
// pumping the event queue, so no handler ever runs inside another one; the
// disabled state of Command1 still marks a render in progress, and a
// request made meanwhile is dropped.
#pragma once

#include "state/PictureOptions.h"
#include "state/ViewerState.h"
#include "window/DrawnEntry.h"
#include "window/MainControls.h"
#include "window/RecentPlaces.h"
#include "window/ViewerContext.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QContextMenuEvent;
class QShowEvent;
class QMimeData;

namespace zpk {

class CanvasMenu;
class EditSession;
class FileListBox;
class PictureCanvas;
class WindowDialogs;

// A folder named by the bytes the system gives, which need not be UTF-8.
struct FolderPath {
    QByteArray bytes;
};

class MainWindow : public ViewerContext {
    Q_OBJECT

public:
    // `folder` is the folder File1 lists: the working folder by default.
    explicit MainWindow(const QString& folder = QDir::currentPath(), QWidget* parent = nullptr);
    explicit MainWindow(const FolderPath& folder, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Waits `waitSeconds` seconds on a monotonic clock while the window
    // keeps handling its events. Returns at once, without handling any
    // event, for 0 or less; returns early when the program is ending.
    // Throws std::invalid_argument for NaN or an infinite value.
    void wait(float waitSeconds);

    // Loads the container at `path` as a click in File1 does: on success the
    // file and its entry list replace the old ones and the first entry is
    // drawn; on failure a message says why and nothing changes. Refused
    // while an export reads the loaded file.
    void loadFile(const QString& path);
    // The same for a path given as the system's bytes.
    void loadPath(const QByteArray& path) override;

    std::shared_ptr<const DrawnEntry> drawnEntry() const override { return m_drawn; }
    int drawnRow() const override;
    PictureOptions pictureOptions() const override;
    void setExternalPalette(std::shared_ptr<const std::vector<Colour>> colours) override;
    std::shared_ptr<const std::vector<Colour>> externalPalette() const override { return m_externalPalette; }
    bool selectRow(int row) override;
    void showContainer(ContainerFile file, int row) override;
    EditSession& edits() override { return *m_edits; }
    bool isExporting() const override;
    QString folder() const override;
    CanvasMenu* canvasMenu() const { return m_canvasMenu; }
    // Picture1, the surface renders draw on.
    PictureCanvas* canvas() const { return m_ui.picture1; }

    // Every dialog and message box of the viewer's windows goes through
    // here; tests put their own in.
    WindowDialogs& dialogs() const override { return *m_dialogs; }
    void setDialogs(std::shared_ptr<WindowDialogs> dialogs);

    // The container among dropped data: the first local file whose name
    // ends in ".zpk" in any letter case.
    static std::optional<QString> droppedContainer(const QMimeData* data);

    // Renders that passed the busy gate, since the window was made.
    int renderCount() const { return m_renderCount; }
    const ViewerState& state() const override { return m_state; }

    // The recent files and folders; the files loaded before the window's
    // first paint are written there first (see rememberFile).
    RecentPlaces& places() override;
    void openFileDialog() override;
    void showAbout() override;
    void popupCanvasMenu() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void connectControls();
    void createShortcuts();
    void updateCanvasToolTip();
    // the caption, behind the loaded file's name and the entry shown
    void updateTitle();

    // Event handlers, named after their control and event.
    void command1Click();  // the render handler
    void command2Click();
    void file1Click(const QByteArray& fileName);
    void list1Click();
    void colorChange();

    void requestRender();
    void fillList1();
    // Puts a loaded file first in the recent files, or holds it until the
    // window's first paint while a shown window waits for it.
    void rememberFile(const QByteArray& path);
    void writeHeldFiles();
    void afterFirstPaint();

    // While a new file is read, the picture drawn from the loaded one is let
    // go (one that succeeds draws its own first entry) and taken back when
    // the load fails: the same one when an inspector still holds it, else
    // decoded again from the loaded file.
    struct HeldPicture {
        std::weak_ptr<const DrawnEntry> entry;
        QString filePath;
        int row = 0;
        Palette palette{};
        DropFirst dropFirst = DropFirst::Off;
    };
    std::optional<HeldPicture> letGoOfPicture();
    void takeBackPicture(const std::optional<HeldPicture>& held);
    int selectedRow() const;
    bool typingInColourBox() const;

    RecentPlaces m_places;
    QList<QByteArray> m_heldFiles;  // loaded before the first paint, oldest first
    bool m_painted = false;
    ViewerState m_state;
    std::shared_ptr<const DrawnEntry> m_drawn;
    std::shared_ptr<const std::vector<Colour>> m_externalPalette;
    std::shared_ptr<WindowDialogs> m_dialogs;
    int m_renderCount = 0;
    int m_loadCount = 0;   // files loaded
    int m_drawnLoad = -1;  // the value of m_loadCount when m_drawn was drawn
    QMetaObject::Connection m_focusWatch;
    bool m_closing = false;

    MainControls m_ui;
    EditSession* m_edits = nullptr;
    CanvasMenu* m_canvasMenu = nullptr;
};

}  // namespace zpk
