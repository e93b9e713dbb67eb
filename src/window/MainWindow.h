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

#include "state/ViewerState.h"
#include "window/DrawnEntry.h"

#include <QDir>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QFileDialog;
class QLineEdit;
class QListWidget;
class QMenu;
class QMimeData;
class QPushButton;

namespace zpk {

class FileListBox;
class DetailWindow;
class PictureCanvas;

class MainWindow : public QWidget {
    Q_OBJECT

public:
    // `folder` is the folder File1 lists: the working folder by default.
    explicit MainWindow(const QString& folder = QDir::currentPath(), QWidget* parent = nullptr);
    ~MainWindow() override;

    static QString caption();

    // Waits `waitSeconds` seconds on a monotonic clock while the window
    // keeps handling its events. Returns at once, without handling any
    // event, for 0 or less; returns early when the program is ending.
    // Throws std::invalid_argument for NaN or an infinite value.
    void wait(float waitSeconds);

    // Loads the container at `path` as a click in File1 does: on success the
    // file and its entry list replace the old ones and the first entry is
    // drawn; on failure a message says why and nothing changes.
    void loadFile(const QString& path);

    // The entry the last render drew, or nothing when it drew no image (no
    // file, no data, width or height below 1).
    std::shared_ptr<const DrawnEntry> drawnEntry() const { return m_drawn; }

    // The canvas menu's commands. Each does nothing while no image is drawn.
    // Saves the drawn entry as PNG, the bytes `zpk export` writes for it
    // with the same options and palette; false (after a message) on failure.
    bool saveImage(const QString& path);
    void copyImage();
    // Every entry of the loaded file, each on a fresh palette with the
    // current options, to FOLDER/STEM/ROW.png (ROW in three digits), as
    // `zpk export --all` does, with a progress dialog that can cancel.
    // Returns how many images were written.
    int exportAll(const QString& folder);
    // Shows the inspector, made on first use; it follows every render.
    DetailWindow* openDetailWindow();
    DetailWindow* detailWindow() const;
    QMenu* canvasMenu() const { return m_canvasMenu; }

    // The container among dropped data: the first local file whose name
    // ends in ".zpk" in any letter case.
    static std::optional<QString> droppedContainer(const QMimeData* data);

    // Renders that passed the busy gate, since the window was made.
    int renderCount() const { return m_renderCount; }
    const ViewerState& state() const { return m_state; }

    // The open-file dialog behind Command2: the chosen path, or nothing when
    // the user cancels. Replaceable, so that tests need no dialog.
    std::function<std::optional<QString>()> chooseFile;
    // Every warning of the window goes through here (title, text).
    std::function<void(const QString& title, const QString& text)> showMessage;
    // Messages that report success go through here.
    std::function<void(const QString& title, const QString& text)> showInfo;
    // A yes/no question; true for yes.
    std::function<bool(const QString& title, const QString& text)> askYesNo;
    // The save dialog of "이미지 저장…", starting at `suggested`: the
    // chosen path, or nothing when cancelled. Replaceable like chooseFile.
    std::function<std::optional<QString>(const QString& suggested)> chooseSavePath;
    // The folder dialog of "모두 내보내기…".
    std::function<std::optional<QString>()> chooseExportFolder;
    // Called inside each render, after the canvas is prepared and before the
    // entry is decoded. Empty unless a test sets it.
    std::function<void()> renderProbe;

    // CDialog: an open-file dialog for "*.zpk" files, default suffix "zpk",
    // starting in `folder`.
    static std::unique_ptr<QFileDialog> makeOpenDialog(QWidget* parent, const QString& folder);

signals:
    // A render has finished (it passed the busy gate).
    void rendered();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls(const QString& folder);
    void createCanvasMenu();
    void updateCanvasActions();
    DecodeOptions decodeOptions() const;

    // Event handlers, named after their control and event.
    void command1Click();  // the render handler
    void command2Click();
    void file1Click(const QString& fileName);
    void list1Click();
    void colorChange();

    void requestRender();
    void fillList1();
    int selectedRow() const;
    bool typingInColourBox() const;

    ViewerState m_state;
    std::shared_ptr<const DrawnEntry> m_drawn;
    int m_renderCount = 0;
    bool m_closing = false;
    bool m_exporting = false;

    PictureCanvas* m_picture1 = nullptr;
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command2 = nullptr;
    QListWidget* m_list1 = nullptr;
    QCheckBox* m_modeClear = nullptr;
    QCheckBox* m_modeBack = nullptr;
    QCheckBox* m_checkColor = nullptr;
    QLineEdit* m_color1 = nullptr;
    QLineEdit* m_color2 = nullptr;
    QLineEdit* m_color3 = nullptr;
    FileListBox* m_file1 = nullptr;

    QMenu* m_canvasMenu = nullptr;
    QAction* m_saveAction = nullptr;
    QAction* m_copyAction = nullptr;
    QAction* m_exportAllAction = nullptr;
    QAction* m_inspectAction = nullptr;
    QPointer<DetailWindow> m_detailWindow;
};

}  // namespace zpk
