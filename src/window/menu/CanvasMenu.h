// The canvas menu (right button or the menu key on Picture1): save the drawn
// entry as PNG, copy it, replace it with a PNG (ReplaceFlow), undo, redo and
// save the edits of the file (EditSession), export every
// entry of the file (ExportAllFlow), open the inspector, the gallery, the
// player or a comparison with another file,
// draw with a palette file and save the drawn palette (PaletteFlow). Each
// command on the drawn image does nothing while no image is drawn.
#pragma once

#include "window/DrawnEntry.h"
#include "window/compare/CompareWindow.h"
#include "window/edit/EditActions.h"
#include "window/gallery/GalleryWindow.h"
#include "window/inspector/InspectorWindow.h"
#include "window/menu/ExportAllFlow.h"
#include "window/menu/PaletteFlow.h"
#include "window/menu/ReplaceFlow.h"
#include "window/play/PlayWindow.h"

#include <QMenu>
#include <QPointer>
#include <QString>

#include <memory>

class QAction;

namespace zpk {

class ViewerContext;

class CanvasMenu : public QMenu {
    Q_OBJECT

public:
    // Attaches itself to the window's canvas.
    explicit CanvasMenu(ViewerContext* window);
    ~CanvasMenu() override;

    // Called after every render with what it drew (nothing: no image).
    void setDrawn(std::shared_ptr<const DrawnEntry> drawn);
    // Changes the entry the actions use without telling an open inspector
    // or the actions: for letting go of the drawn entry while a render
    // decodes or a load reads, and for taking it back after a failed load.
    void holdDrawn(std::shared_ptr<const DrawnEntry> drawn) { m_drawn = std::move(drawn); }

    // Saves the drawn entry as PNG, the bytes `zpk export` writes for it
    // with the same options and palette; false (after a message) on failure.
    bool saveImage(const QString& path);
    void copyImage();
    // The flows behind the menu's commands; see their classes.
    bool replaceDrawnEntry(const QString& picture) { return m_replace->replaceDrawnEntry(picture); }
    bool exportAll(const QString& folder) { return m_exports->exportAll(folder); }
    bool isExporting() const { return m_exports->isExporting(); }
    void stopExport() { m_exports->stopExport(); }

    // Shows the inspector, made on first use; it follows every render.
    InspectorWindow* openInspector();
    InspectorWindow* inspector() const { return m_inspector; }
    // Shows the gallery, made on first use; it follows every load and render.
    GalleryWindow* openGallery();
    GalleryWindow* gallery() const { return m_gallery; }
    // "재생": shows the player, made on first use, playing the rows selected
    // in the gallery when it is open with more than one, else every row.
    PlayWindow* openPlayer();
    PlayWindow* player() const { return m_player; }
    // "비교…": asks for a container and compares the loaded one with it in
    // the comparison window, made on first use.
    CompareWindow* comparison();

    bool loadPalette(const QString& path);
    void revertPalette();
    bool savePalette(const QString& path) { return m_palettes->savePalette(path); }

    QAction* saveAction() const { return m_saveAction; }
    QAction* copyAction() const { return m_copyAction; }
    QAction* replaceAction() const { return m_replaceAction; }
    QAction* exportAllAction() const { return m_exportAllAction; }
    QAction* inspectAction() const { return m_inspectAction; }
    QAction* galleryAction() const { return m_galleryAction; }
    QAction* playAction() const { return m_playAction; }
    QAction* compareAction() const { return m_compareAction; }
    // Undo, redo and the saves of the edits (see EditSession).
    const EditActions& editActions() const { return m_edits; }
    // Checked while a palette file is drawn with.
    QAction* loadPaletteAction() const { return m_loadPaletteAction; }
    QAction* revertPaletteAction() const { return m_revertPaletteAction; }
    QAction* savePaletteAction() const { return m_savePaletteAction; }
    // "최근 파일": the files opened last; a click loads one again.
    QMenu* recentMenu() const { return m_recentMenu; }

signals:
    // An export ended (finished, cancelled or failed); `written` PNGs.
    void exportFinished(int written);

private:
    void fillRecentMenu();
    void updatePaletteActions();

    ViewerContext* m_window;
    std::shared_ptr<const DrawnEntry> m_drawn;
    QAction* m_saveAction = nullptr;
    QAction* m_copyAction = nullptr;
    QAction* m_replaceAction = nullptr;
    QAction* m_exportAllAction = nullptr;
    QAction* m_inspectAction = nullptr;
    QAction* m_galleryAction = nullptr;
    QAction* m_playAction = nullptr;
    QAction* m_compareAction = nullptr;
    QAction* m_loadPaletteAction = nullptr;
    QAction* m_revertPaletteAction = nullptr;
    QAction* m_savePaletteAction = nullptr;
    QMenu* m_recentMenu = nullptr;
    EditActions m_edits;
    QPointer<InspectorWindow> m_inspector;
    QPointer<GalleryWindow> m_gallery;
    QPointer<PlayWindow> m_player;
    QPointer<CompareWindow> m_comparison;
    ExportAllFlow* m_exports = nullptr;
    ReplaceFlow* m_replace = nullptr;
    PaletteFlow* m_palettes = nullptr;
};

}  // namespace zpk
