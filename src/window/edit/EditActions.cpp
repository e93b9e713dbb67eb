#include "window/edit/EditActions.h"

#include "window/edit/EditSession.h"

#include <QAction>
#include <QCoreApplication>
#include <QUndoStack>

namespace zpk {

namespace {

// Only for its translation context.
class EditMenu {
    Q_DECLARE_TR_FUNCTIONS(EditMenu)

public:
    static QString undoText(const QString& step)
    {
        return step.isEmpty() ? tr("되돌리기") : tr("되돌리기: %1").arg(step);
    }
    static QString redoText(const QString& step)
    {
        return step.isEmpty() ? tr("다시 하기") : tr("다시 하기: %1").arg(step);
    }
    static QString save() { return tr("저장"); }
    static QString saveAs() { return tr("다른 이름으로 저장…"); }
};

}  // namespace

EditActions makeEditActions(EditSession& session, QObject* owner)
{
    EditActions out;
    QUndoStack* stack = session.undoStack();
    out.undo = new QAction(EditMenu::undoText({}), owner);
    out.undo->setObjectName(QStringLiteral("undoEdit"));
    out.undo->setShortcut(QKeySequence::Undo);
    out.redo = new QAction(EditMenu::redoText({}), owner);
    out.redo->setObjectName(QStringLiteral("redoEdit"));
    out.redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    out.save = new QAction(EditMenu::save(), owner);
    out.save->setObjectName(QStringLiteral("saveEdits"));
    out.saveAs = new QAction(EditMenu::saveAs(), owner);
    out.saveAs->setObjectName(QStringLiteral("saveEditsAs"));
    out.saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));

    QObject::connect(out.undo, &QAction::triggered, &session, &EditSession::undo);
    QObject::connect(out.redo, &QAction::triggered, &session, &EditSession::redo);
    QObject::connect(out.save, &QAction::triggered, &session, &EditSession::save);
    QObject::connect(out.saveAs, &QAction::triggered, &session, &EditSession::saveAs);

    const auto follow = [out, stack, &session] {
        out.undo->setEnabled(stack->canUndo());
        out.undo->setText(EditMenu::undoText(stack->undoText()));
        out.redo->setEnabled(stack->canRedo());
        out.redo->setText(EditMenu::redoText(stack->redoText()));
        out.save->setEnabled(session.isModified());
    };
    QObject::connect(stack, &QUndoStack::indexChanged, out.undo, follow);
    QObject::connect(stack, &QUndoStack::cleanChanged, out.undo, follow);
    follow();
    return out;
}

}  // namespace zpk
