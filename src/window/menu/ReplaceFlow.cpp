#include "window/menu/ReplaceFlow.h"

#include "window/SystemPath.h"

#include "pack/ContainerUpdate.h"
#include "pack/Pack.h"
#include "window/Messages.h"
#include "window/RecentPlaces.h"
#include "window/ViewerContext.h"
#include "window/dialogs/WindowDialogs.h"
#include "window/menu/ExportAllFlow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zpk {

namespace {

QString decoded(const std::string& path) { return QFile::decodeName(path.c_str()); }

}  // namespace

ReplaceFlow::ReplaceFlow(ViewerContext* window, const ExportAllFlow& exports, QObject* parent)
    : QObject(parent), m_window(window), m_exports(exports)
{
}

void ReplaceFlow::chooseAndReplace()
{
    if (!m_window->drawnEntry()) return;
    const QString folder =
        m_pictureFolder.isEmpty() ? m_window->places().saveFolder(m_window->folder()) : m_pictureFolder;
    if (const auto path = m_window->dialogs().choosePicture(m_window, folder); path && !path->isEmpty())
        replaceDrawnEntry(*path);
}

bool ReplaceFlow::replaceDrawnEntry(const QString& picture)
{
    const std::shared_ptr<const DrawnEntry> drawn = m_window->drawnEntry();
    const ContainerFile& file = m_window->state().file;
    if (!drawn || !file.isLoaded()) return false;
    QWidget* parent = m_window;
    const QString title = ViewerContext::caption();
    if (m_exports.isExporting()) {
        // the export reads the loaded file until it ends
        m_window->dialogs().showMessage(parent, title, tr("모두 내보내는 중에는 항목을 바꿀 수 없습니다."));
        return false;
    }
    const std::string loadedPath = file.filePath;
    const QString loaded = decoded(loadedPath);
    const int row = drawn->image.row;

    const ReplaceAnswer answer =
        m_window->dialogs().confirmReplace(parent, ReplacePreview{drawn, loaded, picture, m_replaceOptions});
    if (answer.choice == ReplaceChoice::Cancel) return false;
    m_pictureFolder = QFileInfo(picture).absolutePath();
    m_replaceOptions = answer.options;
    // the question was modal, but the file must still be the one it showed
    if (file.filePath != loadedPath || m_exports.isExporting()) return false;

    // read again: what is written is what the picture holds now
    const Result<WriterImage> image = readPackImage(systemPath(picture), answer.options);
    if (!image) {
        m_window->dialogs().showMessage(parent, title, Messages::replaceFailed(picture, image.error()));
        return false;
    }
    // the loaded file by its own bytes, which need not be UTF-8
    std::string target = loadedPath;
    if (answer.choice == ReplaceChoice::SaveAs) {
        const QFileInfo info(loaded);
        const QString suggested =
            QDir(info.absolutePath()).filePath(info.completeBaseName() + QStringLiteral("-new.zpk"));
        const auto path = m_window->dialogs().chooseContainerSavePath(parent, suggested);
        if (!path || path->isEmpty()) return false;
        target = systemPath(*path);
    }
    // built from the file as it is on disk now, which must still be the one
    // on screen: a change made since the load is never undone
    UpdateSettings update;
    update.expected = file.identity;
    const auto edit = [row, &image](const ContainerFile& current) {
        return planReplacement(current, row, *image);
    };
    auto written = updateContainer(loadedPath, target, edit, update);
    if (!written && written.error().code == ErrorCode::WriteProtected &&
        m_window->dialogs().askYesNo(parent, title,
                                     tr("쓰기 금지된 파일입니다.\n%1\n\n그래도 바꿀까요?").arg(loaded))) {
        update.force = true;
        written = updateContainer(loadedPath, target, edit, update);
    }
    if (!written && written.error().code == ErrorCode::ChangedOnDisk) {
        if (m_window->dialogs().askYesNo(parent, title,
                                         tr("불러온 뒤에 다른 프로그램이 파일을 바꾸었습니다. 항목은 바꾸지 "
                                            "않았습니다.\n%1\n\n파일을 다시 불러올까요?")
                                             .arg(loaded)))
            m_window->loadPath(QByteArray::fromStdString(loadedPath));
        return false;
    }
    if (!written) {
        // the error names its file: the loaded one, or the one written
        const Error& error = written.error();
        if (error.code != ErrorCode::WriteProtected)
            m_window->dialogs().showMessage(
                parent, title,
                Messages::replaceFailed(decoded(error.path.empty() ? target : error.path), error));
        return false;
    }

    m_window->loadPath(QByteArray::fromStdString(target));
    if (file.filePath != target) return false;  // the load said why
    m_window->selectRow(row);                   // a selection change draws the row
    return true;
}

}  // namespace zpk
