// The canvas menu (right button or the menu key on Picture1): save the drawn
// entry as PNG, copy it, replace it with a PNG, export every entry of the
// file, open the inspector, draw with a palette file and save the drawn
// palette. Each
// command on the drawn image does nothing while no image is drawn.
#pragma once

#include "pack/PictureReader.h"
#include "window/DetailWindow.h"
#include "window/DrawnEntry.h"
#include "window/GalleryWindow.h"

#include <QMenu>
#include <QPointer>
#include <QString>

#include <memory>

class QAction;
class QProgressDialog;

namespace zpk {

class ExportRunner;
class ViewerContext;
struct BatchResult;

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
    // Replaces the drawn entry's row of the loaded file with the PNG at
    // `picture`, after asking (WindowDialogs::confirmReplace) whether to
    // write over the file or to a new one and how to read the PNG. The new
    // container is written whole (writeFileAtomically), loaded, and the row
    // drawn. False, with the file, the list and the canvas as they were,
    // when cancelled, while an export runs, or (after a message) when the
    // PNG cannot be read or packed or the file cannot be written.
    bool replaceDrawnEntry(const QString& picture);
    // Starts exporting every entry of the loaded file, each on a fresh
    // palette with the window's current options, to FOLDER/STEM/KKK.png as
    // `zpk export --all` does, after asking before replacing PNGs that are
    // there already. A progress dialog can cancel it; exportFinished()
    // tells the end. False when nothing was started.
    bool exportAll(const QString& folder);
    bool isExporting() const;
    // Cancels an export and waits for its end (the window is going away).
    void stopExport();

    // Shows the inspector, made on first use; it follows every render.
    DetailWindow* openDetailWindow();
    DetailWindow* detailWindow() const { return m_detailWindow; }
    // Shows the gallery, made on first use; it follows every load and render.
    GalleryWindow* openGallery();
    GalleryWindow* gallery() const { return m_gallery; }

    // Reads a palette file (.gpl, .pal, .act) and draws every entry with it
    // from now on, instead of the colours the entries store; false (after a
    // message, with nothing changed) when the file cannot be read or is
    // malformed.
    bool loadPalette(const QString& path);
    // Draws with the entries' stored colours again.
    void revertPalette();
    // Saves the 256 colours the drawn entry was drawn with (pixel values 0
    // to 255) as a palette file in the format of the name's extension
    // (.gpl, .pal, .act, or .png swatches); false (after a message) on failure.
    bool savePalette(const QString& path);

    QAction* saveAction() const { return m_saveAction; }
    QAction* copyAction() const { return m_copyAction; }
    QAction* replaceAction() const { return m_replaceAction; }
    QAction* exportAllAction() const { return m_exportAllAction; }
    QAction* inspectAction() const { return m_inspectAction; }
    QAction* galleryAction() const { return m_galleryAction; }
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
    void exportEnded(const BatchResult& result, const QString& target);
    void fillRecentMenu();
    void placeDetailWindow();
    void updatePaletteActions();

    ViewerContext* m_window;
    std::shared_ptr<const DrawnEntry> m_drawn;
    QAction* m_saveAction = nullptr;
    QAction* m_copyAction = nullptr;
    QAction* m_replaceAction = nullptr;
    QAction* m_exportAllAction = nullptr;
    QAction* m_inspectAction = nullptr;
    QAction* m_galleryAction = nullptr;
    QAction* m_loadPaletteAction = nullptr;
    QAction* m_revertPaletteAction = nullptr;
    QAction* m_savePaletteAction = nullptr;
    // Where a palette file was last opened or saved in this run.
    QString m_paletteFolder;
    // Where the last replacing PNG came from, and how it was read.
    QString m_pictureFolder;
    PackOptions m_replaceOptions;
    QMenu* m_recentMenu = nullptr;
    QPointer<DetailWindow> m_detailWindow;
    QPointer<GalleryWindow> m_gallery;
    ExportRunner* m_exporter = nullptr;
    QPointer<QProgressDialog> m_progress;
};

}  // namespace zpk
