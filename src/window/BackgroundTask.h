// Work that would hold the window up (decoding a large frame, writing a
// GIF, comparing two containers), run on a thread of its own. The work
// reports its progress and hands back what to do with its result; both
// arrive on the thread that started it. Destroying the task stops the work
// and waits for it.
#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <thread>

namespace zpk {

class BackgroundTask : public QObject {
    Q_OBJECT

public:
    // What the work sees of its task.
    class Control {
    public:
        Control(BackgroundTask& task, int run) : m_task(task), m_run(run) {}
        // Whether the work should stop now; what it hands back still runs
        // unless the task was stopped.
        bool cancelled() const { return m_task.m_cancel.load(); }
        // `done` of `total`: sent on as progressed().
        void report(qint64 done, qint64 total);

    private:
        BackgroundTask& m_task;
        int m_run;
    };

    // Runs on the task's thread once the work has ended, unless the task was
    // stopped or started again meanwhile: the result's way into the window.
    using Finish = std::function<void()>;
    using Work = std::function<Finish(Control&)>;

    explicit BackgroundTask(QObject* parent = nullptr);
    ~BackgroundTask() override;

    // Starts `work`; work still under way is stopped first (its Finish never
    // runs).
    void start(Work work);
    bool isRunning() const { return m_running; }
    // Asks the work to stop; its Finish still runs.
    void cancel() { m_cancel = true; }
    // Asks the work to stop and waits for it; its Finish does not run.
    void stop();

signals:
    void progressed(qint64 done, qint64 total);

private:
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
    int m_run = 0;  // which start() the work under way is
};

}  // namespace zpk
