// "모아 보기": a window of its own that shows every entry of the loaded
// container as a thumbnail in a grid, each captioned with its row and
// width x height; rows without a picture say so. Thumbnails are drawn with
// the main window's options (ramp, drop-first, palette) on a fresh palette
// each, as `zpk export` draws them, decoded and scaled on worker threads
// (ThumbnailLoader) from a copy of the file (ContainerSnapshot), the rows
// in view first.
//
// A click on a thumbnail, or Enter on the one the arrow keys reached,
// selects that row in the main window's entry list as a click there does,
// so the main window draws it; the row drawn last has a frame here.
//
// The gallery edits the container too (EditSession, with undo): rows are
// selected with the mouse (Ctrl and Shift as anywhere) and Ctrl+A; the
// menus "파일" and "편집" and the grid's context menu replace them with
// pictures, insert pictures in front of or behind them, delete them
// (Delete), move them (Alt+Left, Alt+Right, or a drag within the grid), and
// export them. Pictures dropped from a file manager are inserted where
// they are dropped. Ctrl+S saves the edits. The
// window follows every load and every render of the main window (the
// options too: they take effect with the next render, as there). The
// slider, Ctrl + wheel, Ctrl + plus and Ctrl + minus set the size from 32
// to 256 pixels, keeping the current thumbnail in view. Esc and Ctrl+W
// close the window, which stops its work and lets go of its thumbnails and
// its copy of the file; Ctrl+Q ends the program.
#pragma once

#include "state/PictureOptions.h"
#include "state/ViewerState.h"
#include "window/gallery/GalleryView.h"

#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

class QAction;
class QLabel;
class QListView;
class QMenuBar;
class QMimeData;
class QModelIndex;
class QSlider;

namespace zpk {

class ContainerSnapshot;
class ThumbnailDelegate;
class ThumbnailLoader;
class ThumbnailModel;
class ViewerContext;
struct Thumbnail;

class GalleryWindow : public QWidget {
    Q_OBJECT

public:
    // The size a new gallery starts with.
    static constexpr int kDefaultSide = 128;
    // How much one step of the wheel (with Ctrl) changes the size.
    static constexpr int kWheelStep = 16;

    // A window beside `window`, following it; `threads` workers (0: one
    // per processor).
    explicit GalleryWindow(ViewerContext* window, int threads = 0);
    ~GalleryWindow() override;

    // Shows the window (beside the main window the first time), raises
    // and activates it.
    void present();

    int side() const;
    // Sets the size of the thumbnails' square, 32 to 256 pixels (the
    // slider follows).
    void setSide(int side);

    // Whether every row has what it shows for the current file, options and
    // size (its thumbnail, or that it has none).
    bool isComplete() const;
    // The rows the view shows now, top to bottom.
    std::vector<int> visibleRows() const;

    QListView* view() const { return m_view; }
    ThumbnailModel* model() const { return m_model; }
    ThumbnailLoader* loader() const { return m_loader; }
    QSlider* sizeSlider() const { return m_slider; }
    QString statusText() const;

    // The rows selected, in order; and selecting them (the first one current).
    std::vector<int> selectedRows() const;
    void selectRows(const std::vector<int>& rows);
    // The place a drop at `pos` (on the grid's viewport) puts what it brings:
    // in front of that row; the row count for the end.
    int dropGap(const QPoint& pos) const;
    // What a drop of `data` at the gap `before` does: rows of this gallery
    // move there, PNG files are inserted there. False when it is nothing.
    bool dropAt(const QMimeData* dropped, int before);

    struct EditingActions {
        QAction* replace = nullptr;
        QAction* insertBefore = nullptr;
        QAction* insertAfter = nullptr;
        QAction* remove = nullptr;
        QAction* moveBack = nullptr;     // towards the front: Alt+Left
        QAction* moveForward = nullptr;  // towards the end: Alt+Right
        QAction* exportSelected = nullptr;
    };
    const EditingActions& editingActions() const { return m_editing; }
    QMenuBar* menuBar() const { return m_menuBar; }

signals:
    // Every row has what it shows (see isComplete()).
    void completed();
    // "선택 내보내기…": the rows to export.
    void exportRequested(const std::vector<int>& rows);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reload();
    void release();
    void fileLoaded();
    void followRender();
    void snapshotReady(const std::shared_ptr<const ContainerFile>& file);
    void restartWork();
    void requestRows();
    void thumbnailMade(const Thumbnail& thumbnail);
    void choose(const QModelIndex& index);
    void sideChanged(int side);
    void updateGrid();
    void updateTitle();
    void updateStatus();
    std::vector<int> priorityOrder() const;
    // editing (GalleryEdits.cpp)
    void createEditing();
    void updateEditingActions();
    void chooseAndInsert(bool behind);
    void chooseAndReplace();
    void stepSelected(int step);
    void editShown(const std::vector<int>& selection);
    bool dragEvent(QEvent* event);
    QString pictureFolder() const;

    ViewerContext* m_window;
    ThumbnailModel* m_model = nullptr;
    ThumbnailDelegate* m_delegate = nullptr;
    ThumbnailLoader* m_loader = nullptr;
    ContainerSnapshot* m_snapshot = nullptr;
    GalleryView* m_view = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_sideLabel = nullptr;
    QLabel* m_status = nullptr;
    QMenuBar* m_menuBar = nullptr;
    EditingActions m_editing;
    QString m_pictureFolder;  // where the last pictures came from
    QTimer m_request;         // asks the loader for rows once per turn of the event loop
    QTimer m_statusUpdate;    // the count of thumbnails still to come, while they come

    bool m_open = false;    // shown, and following the main window
    bool m_placed = false;  // placed beside the main window once
    QString m_fileName;
    std::shared_ptr<const ContainerFile> m_file;  // the copy the workers read
    PictureOptions m_options;
    int m_wheelAngle = 0;  // wheel turns not yet a whole step
};

}  // namespace zpk
