// The canvas menu (right button or the menu key on Picture1): save the drawn
// entry as PNG, copy it, export every entry of the file, open the
// inspector. Each command does nothing while no image is drawn.
#pragma once

#include "window/DetailWindow.h"
#include "window/DrawnEntry.h"

#include <QMenu>
#include <QPointer>
#include <QString>

#include <memory>

class QAction;
class QProgressDialog;

namespace zpk {

class ExportRunner;
class MainWindow;
struct BatchResult;

class CanvasMenu : public QMenu {
    Q_OBJECT

public:
    // Attaches itself to the window's canvas.
    explicit CanvasMenu(MainWindow* window);
    ~CanvasMenu() override;

    // Called after every render with what it drew (nothing: no image).
    void setDrawn(std::shared_ptr<const DrawnEntry> drawn);

    // Saves the drawn entry as PNG, the bytes `zpk export` writes for it
    // with the same options and palette; false (after a message) on failure.
    bool saveImage(const QString& path);
    void copyImage();
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

    QAction* saveAction() const { return m_saveAction; }
    QAction* copyAction() const { return m_copyAction; }
    QAction* exportAllAction() const { return m_exportAllAction; }
    QAction* inspectAction() const { return m_inspectAction; }
    // "최근 파일": the files opened last; a click loads one again.
    QMenu* recentMenu() const { return m_recentMenu; }

signals:
    // An export ended (finished, cancelled or failed); `written` PNGs.
    void exportFinished(int written);

private:
    void exportEnded(const BatchResult& result, const QString& target);
    void fillRecentMenu();
    void placeDetailWindow();

    MainWindow* m_window;
    std::shared_ptr<const DrawnEntry> m_drawn;
    QAction* m_saveAction = nullptr;
    QAction* m_copyAction = nullptr;
    QAction* m_exportAllAction = nullptr;
    QAction* m_inspectAction = nullptr;
    QMenu* m_recentMenu = nullptr;
    QPointer<DetailWindow> m_detailWindow;
    ExportRunner* m_exporter = nullptr;
    QPointer<QProgressDialog> m_progress;
};

}  // namespace zpk
