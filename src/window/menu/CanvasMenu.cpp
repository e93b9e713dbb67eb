#include "window/menu/CanvasMenu.h"

#include "window/SystemPath.h"

#include "export/EntryExport.h"
#include "io/FileOutput.h"
#include "window/Messages.h"
#include "window/RecentPlaces.h"
#include "window/ViewerContext.h"
#include "window/WindowPlacement.h"
#include "window/dialogs/WindowDialogs.h"
#include "window/edit/EditSession.h"
#include "window/gallery/GalleryWindow.h"
#include "window/inspector/InspectorWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace zpk {

CanvasMenu::CanvasMenu(ViewerContext* window)
    : QMenu(window),
      m_window(window),
      m_exports(new ExportAllFlow(window, this)),
      m_replace(new ReplaceFlow(window, this)),
      m_palettes(new PaletteFlow(window, this))
{
    connect(m_exports, &ExportAllFlow::exportFinished, this, &CanvasMenu::exportFinished);
    setObjectName(QStringLiteral("canvasMenu"));
    const auto action = [this](const char* name, const QString& text, const QKeySequence& keys, auto slot) {
        QAction* a = addAction(text);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(keys);
        // shown in the menu; the main window and the inspector own the keys
        a->setShortcutContext(Qt::WidgetShortcut);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    m_saveAction = action("saveImage", tr("이미지 저장…"), QKeySequence::Save, [this] {
        if (!m_drawn) return;
        const QString folder = m_window->places().saveFolder(m_window->folder());
        const QString suggested = QDir(folder).filePath(m_drawn->defaultFileName());
        if (const auto path = m_window->dialogs().chooseSavePath(m_window, suggested);
            path && !path->isEmpty()) {
            if (saveImage(*path)) m_window->places().setSaveFolder(QFileInfo(*path).absolutePath());
        }
    });
    m_copyAction = action("copyImage", tr("복사"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
                          [this] { copyImage(); });
    m_replaceAction =
        action("replaceEntry", tr("바꾸기…"), QKeySequence(), [this] { m_replace->chooseAndReplace(); });
    // the edits of the file, shown here; the main window owns their keys
    m_edits = makeEditActions(window->edits(), this);
    m_edits.save->setText(tr("바꾼 내용 저장"));  // beside "이미지 저장…"
    for (QAction* a : {m_edits.undo, m_edits.redo, m_edits.save, m_edits.saveAs}) {
        a->setShortcutContext(Qt::WidgetShortcut);
        addAction(a);
    }
    addSeparator();
    m_exportAllAction = action("exportAll", tr("모두 내보내기…"), QKeySequence(Qt::CTRL | Qt::Key_E),
                               [this] { m_exports->chooseAndExport(); });
    m_inspectAction = action("inspect", tr("자세히 보기"), QKeySequence(Qt::CTRL | Qt::Key_I), [this] {
        if (m_drawn) openInspector();
    });
    m_galleryAction =
        action("gallery", tr("모아 보기"), QKeySequence(Qt::CTRL | Qt::Key_G), [this] { openGallery(); });
    m_playAction = action("play", tr("재생"), QKeySequence(Qt::CTRL | Qt::Key_P), [this] { openPlayer(); });
    m_compareAction =
        action("compare", tr("비교…"), QKeySequence(), [this] { comparison()->chooseAndCompare(); });
    addSeparator();
    m_loadPaletteAction = action("loadPalette", tr("팔레트 불러오기…"), QKeySequence(), [this] {
        m_palettes->chooseAndLoad();
        // the click toggled the check mark; it shows whether a palette is in use
        updatePaletteActions();
    });
    m_loadPaletteAction->setCheckable(true);
    m_revertPaletteAction =
        action("revertPalette", tr("팔레트 되돌리기"), QKeySequence(), [this] { revertPalette(); });
    m_savePaletteAction =
        action("savePalette", tr("팔레트 저장…"), QKeySequence(), [this] { m_palettes->chooseAndSave(); });
    addSeparator();
    m_recentMenu = addMenu(tr("최근 파일"));
    m_recentMenu->setObjectName(QStringLiteral("recentFiles"));
    // filled as it opens, and as the menu around it opens: the settings are
    // not read before the window's first paint
    connect(m_recentMenu, &QMenu::aboutToShow, this, &CanvasMenu::fillRecentMenu);
    connect(this, &QMenu::aboutToShow, this, &CanvasMenu::fillRecentMenu);
    QAction* about =
        action("about", tr("zpkview 정보"), QKeySequence(Qt::Key_F1), [this] { m_window->showAbout(); });
    about->setEnabled(true);
    setDrawn(nullptr);
}

CanvasMenu::~CanvasMenu() { stopExport(); }

void CanvasMenu::fillRecentMenu()
{
    m_recentMenu->clear();
    const QList<QByteArray> files = m_window->places().files();
    for (int i = 0; i < files.size(); ++i) {
        const QByteArray& path = files[i];  // the lambda below keeps a copy
        // the number as the accelerator, the name first, the folder after it
        const QFileInfo info(QFile::decodeName(path));
        QAction* a = m_recentMenu->addAction(
            QStringLiteral("&%1 %2 (%3)").arg((i + 1) % 10).arg(info.fileName(), info.absolutePath()));
        connect(a, &QAction::triggered, this, [this, path] { m_window->loadPath(path); });
    }
    if (files.isEmpty()) m_recentMenu->addAction(tr("(없음)"))->setEnabled(false);
    m_recentMenu->addSeparator();
    QAction* clear = m_recentMenu->addAction(tr("목록 지우기"));
    clear->setEnabled(!files.isEmpty());
    connect(clear, &QAction::triggered, this, [this] { m_window->places().clearFiles(); });
}

void CanvasMenu::setDrawn(std::shared_ptr<const DrawnEntry> drawn)
{
    m_drawn = std::move(drawn);
    for (QAction* a : {m_saveAction, m_copyAction, m_replaceAction, m_exportAllAction, m_inspectAction})
        a->setEnabled(m_drawn != nullptr);
    const bool loaded = m_window->state().file.isLoaded();
    m_playAction->setEnabled(loaded);
    m_compareAction->setEnabled(loaded);
    // a closed inspector holds nothing; it is given the drawn entry when it opens
    if (m_inspector && m_inspector->isVisible()) m_inspector->showEntry(m_drawn);
    m_savePaletteAction->setEnabled(m_drawn != nullptr);
    updatePaletteActions();
}

void CanvasMenu::updatePaletteActions()
{
    const bool inUse = m_window->externalPalette() != nullptr;
    m_loadPaletteAction->setChecked(inUse);
    m_revertPaletteAction->setEnabled(inUse);
}

bool CanvasMenu::loadPalette(const QString& path)
{
    const bool loaded = m_palettes->loadPalette(path);
    updatePaletteActions();
    return loaded;
}

void CanvasMenu::revertPalette()
{
    m_palettes->revertPalette();
    updatePaletteActions();
}

bool CanvasMenu::saveImage(const QString& path)
{
    if (!m_drawn) return false;
    // the palette and drop-first the entry was drawn with, as RGBA
    PictureOptions options;
    options.dropFirst = m_drawn->dropFirst;
    const auto written =
        writeEntryPng(m_drawn->image, m_drawn->palette, options, systemPath(path), WriteOptions{});
    if (!written) {
        m_window->dialogs().showMessage(m_window, ViewerContext::caption(),
                                        Messages::saveFailed(path, written.error()));
        return false;
    }
    return true;
}

void CanvasMenu::copyImage()
{
    if (!m_drawn) return;
    QApplication::clipboard()->setImage(m_drawn->toQImage());
}

InspectorWindow* CanvasMenu::openInspector()
{
    if (!m_inspector) {
        m_inspector = new InspectorWindow(m_window);
        connect(m_inspector, &InspectorWindow::copyRequested, this, &CanvasMenu::copyImage);
        connect(m_inspector, &InspectorWindow::saveRequested, m_saveAction, &QAction::trigger);
        placeBeside(*m_inspector, *m_window, Beside::Right);
    }
    m_inspector->showEntry(m_drawn);
    m_inspector->show();
    m_inspector->raise();
    m_inspector->activateWindow();
    return m_inspector;
}

GalleryWindow* CanvasMenu::openGallery()
{
    if (!m_gallery) {
        m_gallery = new GalleryWindow(m_window);
        connect(m_gallery, &GalleryWindow::exportRequested, this,
                [this](const std::vector<int>& rows) { m_exports->chooseAndExport(rows); });
    }
    m_gallery->present();
    return m_gallery;
}

PlayWindow* CanvasMenu::openPlayer()
{
    if (!m_player) m_player = new PlayWindow(m_window);
    std::vector<int> rows;
    if (m_gallery && m_gallery->isVisible()) rows = m_gallery->selectedRows();
    if (rows.size() > 1) {
        const auto [first, last] = std::minmax_element(rows.begin(), rows.end());
        m_player->present(*first, *last);
    } else {
        m_player->present();
    }
    return m_player;
}

CompareWindow* CanvasMenu::comparison()
{
    if (!m_comparison) m_comparison = new CompareWindow(m_window);
    return m_comparison;
}

}  // namespace zpk
