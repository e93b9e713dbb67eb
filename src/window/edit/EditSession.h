// The edits of the loaded container, kept in memory until they are saved:
// replace, insert, delete and move rows (pack/ContainerEdit), each one a
// step of an undo stack. The main window shows the edited container as it
// would show the file (its list, its canvas, the gallery follow); the file
// on disk is written only by save() or saveAs(), through the safe
// replacement, and only after asking when another program changed it
// since it was loaded.
//
// A refused edit changes nothing and says why. Edits, undo and redo are
// refused while an export reads the loaded container. A load of another
// file, the window's close and the end of the program ask first, while
// there are unsaved edits (mayDiscard()).
#pragma once

#include "pack/ContainerEdit.h"
#include "pack/PictureReader.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QUndoStack;
class QWidget;

namespace zpk {

class ViewerContext;

class EditSession : public QObject {
    Q_OBJECT

public:
    explicit EditSession(ViewerContext* window);
    ~EditSession() override;

    // Whether the container shown differs from the file as loaded or last saved.
    bool isModified() const;
    QUndoStack* undoStack() const { return m_stack; }
    void undo();
    void redo();

    using Edit = std::function<Result<EditableContainer>(const EditableContainer&)>;
    // Applies `edit` to the container shown, as one step named `name`, and
    // shows the result with the rows `selectAfter` selected (the first one
    // drawn); an undo selects `selectBefore` again. False, after a message
    // that says why, when the edit is refused.
    bool apply(const QString& name, const Edit& edit, std::vector<int> selectBefore,
               std::vector<int> selectAfter);

    // The edits a gallery offers, each one step. Pictures are PNGs read with
    // packOptions(); one that cannot become an entry is refused, naming it.
    bool replaceRows(const std::vector<int>& rows, const QStringList& pictures);
    bool insertPictures(int at, const QStringList& pictures, const std::vector<int>& selectBefore);
    bool deleteRows(const std::vector<int>& rows);
    // The rows in the order `order` gives (see pack/ContainerEdit), the rows
    // `selected` selected before and, where they went, after.
    bool reorder(const QString& name, const std::vector<int>& order, const std::vector<int>& selected);

    // How pictures are read (the replace dialog's choice, kept for the next).
    PackOptions packOptions() const { return m_packOptions; }
    void setPackOptions(const PackOptions& options) { m_packOptions = options; }

    // Writes the edited container over the loaded file; true when saved
    // (or nothing to save). A failure is told, and the edits are kept.
    bool save();
    // Asks for a new name and writes the edited container there, which
    // then is the loaded file.
    bool saveAs();
    // Whether whatever would let go of unsaved edits may go on: true when
    // there are none, or the user saved them or chose to throw them away.
    bool mayDiscard();

    // A file was loaded from disk: the edits of the one before are gone.
    void fileLoaded();

signals:
    void modifiedChanged(bool modified);
    // An edit, undo or redo was shown; `selection` is the rows it selected.
    void shown(const std::vector<int>& selection);

private:
    class Step;
    friend class Step;

    // The container being edited: made from the loaded file at the first edit.
    std::shared_ptr<const EditableContainer> current();
    void show(std::shared_ptr<const EditableContainer> container, const std::vector<int>& selection);
    bool refusedWhileExporting();
    std::optional<std::vector<WriterImage>> readPictures(const QStringList& pictures);
    bool write(const std::string& target);
    void refused(const QString& path, const Error& error);

    ViewerContext* m_window;
    QUndoStack* m_stack;
    std::shared_ptr<const EditableContainer> m_current;
    // The file as loaded or last saved: a save checks it is still the one on disk.
    std::string m_path;
    std::optional<FileIdentity> m_identity;
    PackOptions m_packOptions;
};

}  // namespace zpk
