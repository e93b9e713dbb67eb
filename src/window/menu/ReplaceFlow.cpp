#include "window/menu/ReplaceFlow.h"

#include "window/SystemPath.h"

#include "window/RecentPlaces.h"
#include "window/ViewerContext.h"
#include "window/dialogs/WindowDialogs.h"
#include "window/edit/EditSession.h"

#include <QFile>
#include <QFileInfo>

namespace zpk {

namespace {

QString decoded(const std::string& path) { return QFile::decodeName(path.c_str()); }

}  // namespace

ReplaceFlow::ReplaceFlow(ViewerContext* window, QObject* parent) : QObject(parent), m_window(window) {}

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
    EditSession& edits = m_window->edits();
    if (m_window->isExporting()) {
        // the export reads the loaded file until it ends
        m_window->dialogs().showMessage(m_window, ViewerContext::caption(),
                                        tr("모두 내보내는 중에는 항목을 바꿀 수 없습니다."));
        return false;
    }
    const std::string loadedPath = file.filePath;
    const int row = drawn->image.row;

    const ReplaceAnswer answer = m_window->dialogs().confirmReplace(
        m_window, ReplacePreview{drawn, decoded(loadedPath), picture, edits.packOptions()});
    if (answer.choice == ReplaceChoice::Cancel) return false;
    m_pictureFolder = QFileInfo(picture).absolutePath();
    edits.setPackOptions(answer.options);
    // the question was modal, but the file must still be the one it showed
    if (file.filePath != loadedPath) return false;

    // one step of the edits, read again: what goes in is what the picture holds now
    if (!edits.replaceRows({row}, {picture})) return false;
    return answer.choice != ReplaceChoice::SaveAs || edits.saveAs();
}

}  // namespace zpk
