#include "window/menu/ExportAllFlow.h"

#include "window/SystemPath.h"

#include "export/BatchExport.h"
#include "window/Messages.h"
#include "window/RecentPlaces.h"
#include "window/ViewerContext.h"
#include "window/dialogs/WindowDialogs.h"
#include "window/menu/ExportRunner.h"

#include <QFile>
#include <QProgressDialog>

#include <algorithm>
#include <climits>
#include <variant>

namespace zpk {

ExportAllFlow::ExportAllFlow(ViewerContext* window, QObject* parent)
    : QObject(parent), m_window(window), m_exporter(new ExportRunner(this))
{
    connect(m_exporter, &ExportRunner::progressed, this, [this](qint64 done, qint64 total) {
        if (!m_progress) return;
        const QPointer<QProgressDialog> progress = m_progress;
        const bool outer = m_updatingProgress;
        m_updatingProgress = true;
        progress->setMaximum(static_cast<int>(std::min<qint64>(total, INT_MAX)));
        // once the dialog shows, setValue() handles events: the end of the
        // export may arrive in there and close the dialog
        progress->setValue(static_cast<int>(std::min<qint64>(done, INT_MAX)));
        m_updatingProgress = outer;
        if (progress && progress != m_progress && !m_updatingProgress) progress->deleteLater();
    });
}

ExportAllFlow::~ExportAllFlow() { stopExport(); }

void ExportAllFlow::chooseAndExport(const std::vector<int>& rows)
{
    if (!m_window->drawnEntry()) return;
    const auto folder =
        m_window->dialogs().chooseExportFolder(m_window, m_window->places().saveFolder(m_window->folder()));
    if (folder && !folder->isEmpty() && exportAll(*folder, rows)) m_window->places().setSaveFolder(*folder);
}

bool ExportAllFlow::isExporting() const { return m_exporter->isRunning(); }

void ExportAllFlow::stopExport()
{
    m_exporter->stop();
    closeProgress();
}

void ExportAllFlow::closeProgress()
{
    if (!m_progress) return;
    // Gone from the screen now, not when the event loop next comes round:
    // the result box that follows runs a loop of its own, under which a
    // modal progress dialog would stay on top and take its clicks. reset()
    // stops the timer that shows a dialog still waiting for its delay.
    m_progress->reset();
    m_progress->hide();
    // Inside the dialog's setValue() it goes once that has returned: a
    // deletion asked for in there could come due in the result box's loop,
    // under setValue() still running.
    if (!m_updatingProgress) m_progress->deleteLater();
    m_progress = nullptr;
}

bool ExportAllFlow::exportAll(const QString& folder, const std::vector<int>& rows)
{
    const ContainerFile& file = m_window->state().file;
    if (!m_window->drawnEntry() || !file.isLoaded() || isExporting()) return false;

    BatchSettings settings;
    settings.files = {file.filePath};
    settings.outputFolder = systemPath(folder);
    settings.options = m_window->pictureOptions();
    settings.overwrite = Overwrite::Replace;
    auto planned = planBatch(settings);
    BatchPlan plan = std::move(std::get<BatchPlan>(planned));  // one file never clashes with itself
    // The loaded file itself, not the one on disk: the window refuses loads
    // while the export runs, and stops the export before it goes away.
    plan.files.front().loaded = std::shared_ptr<const ContainerFile>(std::shared_ptr<void>(), &file);
    plan.files.front().rows = rows;
    const auto total = static_cast<int>(rowsToExport(plan.files.front(), file.rowCount()).size());
    const QString target = QFile::decodeName(plan.files.front().folder.c_str());

    const auto existing = existingOutputs(plan.files.front(), file.rowCount());
    if (!existing.empty() &&
        !m_window->dialogs().askYesNo(
            m_window, ViewerContext::caption(),
            tr("%1 에 이미 있는 파일 %2개를 덮어쓸까요?").arg(target).arg(existing.size())))
        return false;

    auto* progress = new QProgressDialog(tr("내보내는 중…"), tr("취소"), 0, total, m_window);
    progress->setObjectName(QStringLiteral("exportProgress"));
    progress->setWindowTitle(ViewerContext::caption());
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(300);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    connect(progress, &QProgressDialog::canceled, m_exporter, &ExportRunner::cancel);
    m_progress = progress;

    connect(
        m_exporter, &ExportRunner::finished, this,
        [this, target](const std::shared_ptr<const BatchResult>& result) { exportEnded(*result, target); },
        Qt::SingleShotConnection);
    m_exporter->start(std::move(plan));
    return true;
}

void ExportAllFlow::exportEnded(const BatchResult& result, const QString& target)
{
    closeProgress();
    const FileOutcome& file = result.files.front();
    const int written = file.exported();
    QWidget* parent = m_window;
    const QString title = ViewerContext::caption();

    if (!file.read && file.problem) {
        const QString text = file.problem->code == ErrorCode::CannotMakeFolder
                                 ? tr("폴더를 만들 수 없습니다.\n%1").arg(target)
                                 : Messages::loadFailed(*file.problem);
        m_window->dialogs().showMessage(parent, title, text);
        emit exportFinished(written);
        return;
    }
    QStringList skipped;
    for (const EntryOutcome& entry : file.entries) {
        if (!entry.problem) continue;
        const ErrorCode code = entry.problem->code;
        if (code == ErrorCode::NoData || code == ErrorCode::EmptyImage) {
            skipped.append(QString::number(entry.row));
            continue;
        }
        // the first entry that could not be written speaks for the rest
        m_window->dialogs().showMessage(
            parent, title, Messages::saveFailed(QFile::decodeName(entry.output.c_str()), *entry.problem));
        emit exportFinished(written);
        return;
    }
    if (result.unsynced) {
        m_window->dialogs().showMessage(
            parent, title,
            Messages::unsynced(QFile::decodeName(result.unsynced->path.c_str()), *result.unsynced));
        emit exportFinished(written);
        return;
    }
    QString text = tr("%1개를 %2 에 내보냈습니다.").arg(written).arg(target);
    if (result.cancelled) text += tr("\n중간에 취소했습니다.");
    if (!skipped.isEmpty())
        text += tr("\n그림이 없어 건너뛴 항목: %1").arg(skipped.join(QStringLiteral(", ")));
    m_window->dialogs().showInfo(parent, title, text);
    emit exportFinished(written);
}

}  // namespace zpk
