#include "window/menu/PaletteFlow.h"

#include "window/SystemPath.h"

#include "io/FileOutput.h"
#include "palette/PaletteFile.h"
#include "window/Messages.h"
#include "window/RecentPlaces.h"
#include "window/ViewerContext.h"
#include "window/dialogs/WindowDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zpk {

namespace {

}  // namespace

PaletteFlow::PaletteFlow(ViewerContext* window, QObject* parent) : QObject(parent), m_window(window) {}

void PaletteFlow::chooseAndLoad()
{
    const QString folder =
        m_paletteFolder.isEmpty() ? m_window->places().openFolder(m_window->folder()) : m_paletteFolder;
    if (const auto path = m_window->dialogs().choosePaletteFile(m_window, folder); path && !path->isEmpty())
        loadPalette(*path);
}

void PaletteFlow::chooseAndSave()
{
    const std::shared_ptr<const DrawnEntry> drawn = m_window->drawnEntry();
    if (!drawn) return;
    const QString folder =
        m_paletteFolder.isEmpty() ? m_window->places().saveFolder(m_window->folder()) : m_paletteFolder;
    const QString name = QFileInfo(drawn->defaultFileName()).completeBaseName() + QStringLiteral(".gpl");
    if (const auto path = m_window->dialogs().choosePaletteSavePath(m_window, QDir(folder).filePath(name));
        path && !path->isEmpty() && savePalette(*path))
        m_paletteFolder = QFileInfo(*path).absolutePath();
}

bool PaletteFlow::loadPalette(const QString& path)
{
    auto colours = readPaletteFile(systemPath(path));
    if (!colours) {
        m_window->dialogs().showMessage(
            m_window, ViewerContext::caption(),
            tr("팔레트를 불러올 수 없습니다.\n%1\n%2").arg(path, Messages::reason(colours.error())));
        return false;
    }
    m_paletteFolder = QFileInfo(path).absolutePath();
    m_window->setExternalPalette(std::make_shared<const std::vector<Colour>>(std::move(*colours)));
    return true;
}

void PaletteFlow::revertPalette() { m_window->setExternalPalette(nullptr); }

bool PaletteFlow::savePalette(const QString& path)
{
    const std::shared_ptr<const DrawnEntry> drawn = m_window->drawnEntry();
    if (!drawn) return false;
    const std::optional<PaletteFormat> format = paletteFormatOf(systemPath(path));
    if (!format) {
        m_window->dialogs().showMessage(
            m_window, ViewerContext::caption(),
            tr("팔레트를 저장할 수 없습니다.\n%1\n이름이 .gpl, .pal, .act, .png 가운데 하나로 끝나야 합니다.")
                .arg(path));
        return false;
    }
    auto written = [&]() -> Result<WrittenFile> {
        const auto bytes = encodePalette(drawnColours(drawn->palette), *format);
        if (!bytes) return bytes.error();
        return writeFileReplacing(systemPath(path), *bytes);
    }();
    if (!written) {
        m_window->dialogs().showMessage(
            m_window, ViewerContext::caption(),
            tr("팔레트를 저장할 수 없습니다.\n%1\n%2").arg(path, Messages::reason(written.error())));
        return false;
    }
    return true;
}

}  // namespace zpk
