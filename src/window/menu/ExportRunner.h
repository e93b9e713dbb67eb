// Runs a batch export (see export/BatchExport.h) on a thread of its own, so
// that the window stays responsive: progress and the end arrive as signals
// on the thread that started it. Destroying the runner cancels the export
// and waits for its workers.
#pragma once

#include "export/BatchExport.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <thread>

namespace zpk {

class ExportRunner : public QObject {
    Q_OBJECT

public:
    explicit ExportRunner(QObject* parent = nullptr);
    ~ExportRunner() override;

    // Starts `plan`; false when an export is still running.
    bool start(BatchPlan plan);
    bool isRunning() const { return m_running; }
    // The workers finish the entries they hold and take no more; finished()
    // follows with BatchResult::cancelled set.
    void cancel();
    // Cancels and waits until the workers are done; finished() is not sent.
    void stop();

signals:
    void progressed(qint64 entriesDone, qint64 entriesTotal);
    void finished(const std::shared_ptr<const BatchResult>& result);

private:
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
    int m_run = 0;  // which start() the running export is
};

}  // namespace zpk
