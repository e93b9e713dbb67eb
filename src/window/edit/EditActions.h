// The actions on the edits that the gallery's menus and the canvas menu
// both offer: undo and redo, named after the step they undo or redo, and
// the two saves. Each is enabled only while it can do something.
#pragma once

class QAction;
class QObject;

namespace zpk {

class EditSession;

struct EditActions {
    QAction* undo = nullptr;    // Ctrl+Z
    QAction* redo = nullptr;    // Ctrl+Shift+Z and Ctrl+Y
    QAction* save = nullptr;    // no key: the caller gives it one where it is free
    QAction* saveAs = nullptr;  // Ctrl+Shift+S
};

// The actions as children of `owner`, following `session`.
EditActions makeEditActions(EditSession& session, QObject* owner);

}  // namespace zpk
