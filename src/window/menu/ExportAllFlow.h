// "모두 내보내기…": every entry of the loaded file exported as PNG on a
// thread of its own (ExportRunner), with a progress dialog that can cancel
// it, and a report at the end.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

class QProgressDialog;

namespace zpk {

class ExportRunner;
class ViewerContext;
struct BatchResult;

class ExportAllFlow : public QObject {
    Q_OBJECT

public:
    ExportAllFlow(ViewerContext* window, QObject* parent);
    ~ExportAllFlow() override;

    // Asks for the folder, starting in the last save folder, and exports
    // there; the folder becomes the save folder when the export starts.
    void chooseAndExport(const std::vector<int>& rows = {});
    // Starts exporting every entry of the loaded file, each on a fresh
    // palette with the window's current options, to FOLDER/STEM/KKK.png as
    // `zpk export --all` does, after asking before replacing PNGs that are
    // there already. A progress dialog can cancel it; exportFinished()
    // tells the end. False when nothing was started (no image drawn, an
    // export running, or the user said no).
    // With `rows`, only those rows are exported ("선택 내보내기…").
    bool exportAll(const QString& folder, const std::vector<int>& rows = {});
    bool isExporting() const;
    // Cancels an export and waits for its end (the window is going away).
    void stopExport();

signals:
    // An export ended (finished, cancelled or failed); `written` PNGs.
    void exportFinished(int written);

private:
    void exportEnded(const BatchResult& result, const QString& target);
    void closeProgress();

    ViewerContext* m_window;
    ExportRunner* m_exporter;
    QPointer<QProgressDialog> m_progress;
    bool m_updatingProgress = false;  // inside the progress dialog's setValue()
};

}  // namespace zpk
