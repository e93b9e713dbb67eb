#include "window/WindowKeys.h"

#include "window/ViewerContext.h"
#include "window/menu/CanvasMenu.h"

#include <QAction>
#include <QKeySequence>
#include <QShortcut>

namespace zpk {

void installWindowKeys(ViewerContext& window, CanvasMenu& menu, QWidget& canvas)
{
    const auto shortcut = [&window](const QKeySequence& keys, auto slot, Qt::ShortcutContext context,
                                    QWidget* owner) {
        auto* s = new QShortcut(keys, owner);
        s->setContext(context);
        QObject::connect(s, &QShortcut::activated, &window, slot);
        return s;
    };
    shortcut(
        QKeySequence::Open, [w = &window] { w->openFileDialog(); }, Qt::WindowShortcut, &window);
    shortcut(
        QKeySequence::Save, [m = &menu] { m->saveAction()->trigger(); }, Qt::WindowShortcut, &window);
    shortcut(
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [m = &menu] { m->copyImage(); }, Qt::WindowShortcut,
        &window);
    // Ctrl+C copies the image where the image has the focus; in List1 and
    // the colour boxes it keeps its usual meaning (their text)
    shortcut(
        QKeySequence::Copy, [m = &menu] { m->copyImage(); }, Qt::WidgetShortcut, &canvas);
    shortcut(
        QKeySequence(Qt::CTRL | Qt::Key_E), [m = &menu] { m->exportAllAction()->trigger(); },
        Qt::WindowShortcut, &window);
    shortcut(
        QKeySequence(Qt::CTRL | Qt::Key_I), [m = &menu] { m->inspectAction()->trigger(); },
        Qt::WindowShortcut, &window);
    shortcut(
        QKeySequence(Qt::CTRL | Qt::Key_G), [m = &menu] { m->galleryAction()->trigger(); },
        Qt::WindowShortcut, &window);
    shortcut(
        QKeySequence(Qt::CTRL | Qt::Key_P), [m = &menu] { m->playAction()->trigger(); }, Qt::WindowShortcut,
        &window);
    shortcut(
        QKeySequence(Qt::CTRL | Qt::Key_Q), [w = &window] { w->close(); }, Qt::WindowShortcut, &window);
    // the edits' undo and redo; a colour box being typed in keeps its own
    for (QAction* edit : {menu.editActions().undo, menu.editActions().redo})
        for (const QKeySequence& keys : edit->shortcuts())
            shortcut(
                keys, [edit] { edit->trigger(); }, Qt::WindowShortcut, &window);
    shortcut(
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [m = &menu] { m->editActions().saveAs->trigger(); },
        Qt::WindowShortcut, &window);
    shortcut(
        QKeySequence(Qt::Key_F1), [w = &window] { w->showAbout(); }, Qt::WindowShortcut, &window);
    // Shift+F10 opens the canvas menu from anywhere in the window; the menu
    // key does too, through the context menu event it sends.
    shortcut(
        QKeySequence(Qt::SHIFT | Qt::Key_F10), [w = &window] { w->popupCanvasMenu(); }, Qt::WindowShortcut,
        &window);
}

void installOtherWindowKeys(QWidget& window, QWidget* main)
{
    auto* close = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), &window);
    close->setContext(Qt::WindowShortcut);
    QObject::connect(close, &QShortcut::activated, &window, &QWidget::close);
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), &window);
    quit->setContext(Qt::WindowShortcut);
    QWidget* ending = main != nullptr ? main : &window;
    QObject::connect(quit, &QShortcut::activated, ending, &QWidget::close);
}

}  // namespace zpk
