#include "window/menu/ExportRunner.h"

#include <QMetaObject>
#include <QPointer>

namespace zpk {

namespace {

// Hands the engine's reports over to the runner's thread.
class QueuedProgress : public ProgressReporter {
public:
    explicit QueuedProgress(ExportRunner* runner) : m_runner(runner) {}

    void started(const BatchProgress& progress) override { post(progress); }
    void advanced(const BatchProgress& progress) override { post(progress); }
    void fileFinished(std::size_t, const FileOutcome&, const BatchProgress& progress) override
    {
        post(progress);
    }

private:
    void post(const BatchProgress& progress)
    {
        const QPointer<ExportRunner> runner = m_runner;
        const qint64 done = progress.entriesDone;
        const qint64 total = progress.entriesTotal;
        QMetaObject::invokeMethod(
            m_runner,
            [runner, done, total] {
                if (runner) emit runner->progressed(done, total);
            },
            Qt::QueuedConnection);
    }

    ExportRunner* m_runner;
};

}  // namespace

ExportRunner::ExportRunner(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<std::shared_ptr<const BatchResult>>();
}

ExportRunner::~ExportRunner() { stop(); }

bool ExportRunner::start(BatchPlan plan)
{
    if (m_running) return false;
    if (m_thread.joinable()) m_thread.join();  // the last run has ended, its thread not yet joined
    m_running = true;
    m_cancel = false;
    const int run = ++m_run;
    m_thread = std::thread([this, run, plan = std::move(plan)] {
        QueuedProgress progress(this);
        auto result = std::make_shared<const BatchResult>(runBatch(plan, progress, &m_cancel));
        // the runner lives until this thread is joined (see stop()), so
        // `this` is valid here; the slot runs on the runner's thread
        QMetaObject::invokeMethod(
            this,
            [this, run, result] {
                if (!m_running || run != m_run) return;  // stopped meanwhile, or a later run
                m_running = false;
                emit finished(result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void ExportRunner::cancel() { m_cancel = true; }

void ExportRunner::stop()
{
    m_cancel = true;
    if (m_thread.joinable()) m_thread.join();
    m_running = false;
}

}  // namespace zpk
