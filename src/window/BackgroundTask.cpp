#include "window/BackgroundTask.h"

#include <QMetaObject>

namespace zpk {

void BackgroundTask::Control::report(qint64 done, qint64 total)
{
    // queued to the task's thread; dropped there if the task is gone by then
    QMetaObject::invokeMethod(
        &m_task,
        [task = &m_task, run = m_run, done, total] {
            if (task->m_running && task->m_run == run) emit task->progressed(done, total);
        },
        Qt::QueuedConnection);
}

BackgroundTask::BackgroundTask(QObject* parent) : QObject(parent) {}

BackgroundTask::~BackgroundTask() { stop(); }

void BackgroundTask::start(Work work)
{
    stop();
    m_running = true;
    m_cancel = false;
    const int run = ++m_run;
    m_thread = std::thread([this, run, work = std::move(work)] {
        Control control(*this, run);
        Finish finish = work(control);
        // the task lives until this thread is joined (see stop()), so `this`
        // is valid here; the finish runs on the task's thread
        QMetaObject::invokeMethod(
            this,
            [this, run, finish = std::move(finish)] {
                if (!m_running || run != m_run) return;  // stopped meanwhile, or a later run
                m_running = false;
                if (finish) finish();
            },
            Qt::QueuedConnection);
    });
}

void BackgroundTask::stop()
{
    m_cancel = true;
    if (m_thread.joinable()) m_thread.join();
    m_running = false;
}

}  // namespace zpk
