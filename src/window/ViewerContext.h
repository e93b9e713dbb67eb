// What the windows and flows around the main window may ask of it: the
// entry drawn last and its row, the loaded file, the picture options, the
// places remembered and the dialogs, a load, a row to draw; and the signals
// of its loads and renders. The main window is the one implementation; the
// canvas menu, the gallery and the inspector know it only as this.
#pragma once

#include "state/PictureOptions.h"
#include "state/ViewerState.h"
#include "window/DrawnEntry.h"

#include <QByteArray>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

namespace zpk {

class EditSession;
class RecentPlaces;
class WindowDialogs;

class ViewerContext : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

    // The main window's title, the title of its message boxes too.
    static QString caption();

    // The entry the last render drew, or nothing when it drew no image (no
    // file, no data, width or height below 1).
    virtual std::shared_ptr<const DrawnEntry> drawnEntry() const = 0;
    // The row a render draws: List1's selected row, row 0 when none is
    // selected, the last row at most; -1 while no file is loaded.
    virtual int drawnRow() const = 0;
    virtual const ViewerState& state() const = 0;
    // The picture options the controls set now, with the external palette.
    virtual PictureOptions pictureOptions() const = 0;
    // A palette from a file that entries are drawn with instead of their
    // stored colours (UserColor still takes precedence); nothing: the stored
    // colours. Setting it draws the selected entry again.
    virtual void setExternalPalette(std::shared_ptr<const std::vector<Colour>> colours) = 0;
    virtual std::shared_ptr<const std::vector<Colour>> externalPalette() const = 0;

    // Loads the container at `path` (the system's bytes) as a click in
    // File1 does; a failure is told in a message and changes nothing.
    virtual void loadPath(const QByteArray& path) = 0;
    // Selects `row` of List1 as a click there does, which draws it; false
    // when the list has no such row.
    virtual bool selectRow(int row) = 0;
    // Shows `file` as the loaded one, in place of it, with `row` selected
    // and drawn: an edited container, which keeps the loaded file's name.
    virtual void showContainer(ContainerFile file, int row) = 0;
    // The edits of the loaded container, not saved yet.
    virtual EditSession& edits() = 0;
    // Whether an export reads the loaded container now.
    virtual bool isExporting() const = 0;
    // The folder File1 lists.
    virtual QString folder() const = 0;

    // The places the user opened and saved files last, and recent files.
    virtual RecentPlaces& places() = 0;
    // Every dialog and message box of the viewer's windows goes through here.
    virtual WindowDialogs& dialogs() const = 0;

    // Opens the open dialog, as Command2 does.
    virtual void openFileDialog() = 0;
    // The short help: version, licence, the libraries used.
    virtual void showAbout() = 0;
    // Opens the canvas menu below the canvas's top left corner (from the keyboard).
    virtual void popupCanvasMenu() = 0;

signals:
    // A file was loaded: state().file is the new one (its first entry is
    // drawn next).
    void fileLoaded();
    // A render passed the busy gate and prepared the canvas; the entry is
    // decoded next.
    void renderStarted();
    // A render has finished (it passed the busy gate).
    void rendered();
};

}  // namespace zpk
