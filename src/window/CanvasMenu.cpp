#include "window/CanvasMenu.h"

#include "export/BatchExport.h"
#include "export/EntryExport.h"
#include "export/ExportNaming.h"
#include "io/FileOutput.h"
#include "pack/ContainerUpdate.h"
#include "pack/Pack.h"
#include "pack/PictureReader.h"
#include "palette/PaletteFile.h"
#include "window/DetailWindow.h"
#include "window/ExportRunner.h"
#include "window/GalleryWindow.h"
#include "window/Messages.h"
#include "window/RecentPlaces.h"
#include "window/ViewerContext.h"
#include "window/WindowDialogs.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QScreen>

#include <algorithm>
#include <climits>
#include <variant>

namespace zpk {

namespace {

std::string encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString decoded(const std::string& path) { return QFile::decodeName(path.c_str()); }

}  // namespace

CanvasMenu::CanvasMenu(ViewerContext* window)
    : QMenu(window), m_window(window), m_exporter(new ExportRunner(this))
{
    setObjectName(QStringLiteral("canvasMenu"));
    const auto action = [this](const char* name, const QString& text, const QKeySequence& keys, auto slot) {
        QAction* a = addAction(text);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(keys);
        // shown in the menu; the main window and the inspector own the keys
        a->setShortcutContext(Qt::WidgetShortcut);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    m_saveAction = action("saveImage", tr("이미지 저장…"), QKeySequence::Save, [this] {
        if (!m_drawn) return;
        const QString folder = m_window->places().saveFolder(m_window->folder());
        const QString suggested = QDir(folder).filePath(m_drawn->defaultFileName());
        if (const auto path = m_window->dialogs().chooseSavePath(m_window, suggested);
            path && !path->isEmpty()) {
            if (saveImage(*path)) m_window->places().setSaveFolder(QFileInfo(*path).absolutePath());
        }
    });
    m_copyAction = action("copyImage", tr("복사"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
                          [this] { copyImage(); });
    m_replaceAction = action("replaceEntry", tr("바꾸기…"), QKeySequence(), [this] {
        if (!m_drawn) return;
        const QString folder =
            m_pictureFolder.isEmpty() ? m_window->places().saveFolder(m_window->folder()) : m_pictureFolder;
        if (const auto path = m_window->dialogs().choosePicture(m_window, folder); path && !path->isEmpty())
            replaceDrawnEntry(*path);
    });
    addSeparator();
    m_exportAllAction = action("exportAll", tr("모두 내보내기…"), QKeySequence(Qt::CTRL | Qt::Key_E), [this] {
        if (!m_drawn) return;
        const auto folder = m_window->dialogs().chooseExportFolder(
            m_window, m_window->places().saveFolder(m_window->folder()));
        if (folder && !folder->isEmpty() && exportAll(*folder)) m_window->places().setSaveFolder(*folder);
    });
    m_inspectAction = action("inspect", tr("자세히 보기"), QKeySequence(Qt::CTRL | Qt::Key_I), [this] {
        if (m_drawn) openDetailWindow();
    });
    m_galleryAction =
        action("gallery", tr("모아 보기"), QKeySequence(Qt::CTRL | Qt::Key_G), [this] { openGallery(); });
    addSeparator();
    m_loadPaletteAction = action("loadPalette", tr("팔레트 불러오기…"), QKeySequence(), [this] {
        const QString folder =
            m_paletteFolder.isEmpty() ? m_window->places().openFolder(m_window->folder()) : m_paletteFolder;
        if (const auto path = m_window->dialogs().choosePaletteFile(m_window, folder);
            path && !path->isEmpty())
            loadPalette(*path);
        // the click toggled the check mark; it shows whether a palette is in use
        updatePaletteActions();
    });
    m_loadPaletteAction->setCheckable(true);
    m_revertPaletteAction =
        action("revertPalette", tr("팔레트 되돌리기"), QKeySequence(), [this] { revertPalette(); });
    m_savePaletteAction = action("savePalette", tr("팔레트 저장…"), QKeySequence(), [this] {
        if (!m_drawn) return;
        const QString folder =
            m_paletteFolder.isEmpty() ? m_window->places().saveFolder(m_window->folder()) : m_paletteFolder;
        const QString name =
            QFileInfo(m_drawn->defaultFileName()).completeBaseName() + QStringLiteral(".gpl");
        if (const auto path =
                m_window->dialogs().choosePaletteSavePath(m_window, QDir(folder).filePath(name));
            path && !path->isEmpty() && savePalette(*path))
            m_paletteFolder = QFileInfo(*path).absolutePath();
    });
    addSeparator();
    m_recentMenu = addMenu(tr("최근 파일"));
    m_recentMenu->setObjectName(QStringLiteral("recentFiles"));
    connect(m_recentMenu, &QMenu::aboutToShow, this, &CanvasMenu::fillRecentMenu);
    fillRecentMenu();
    QAction* about =
        action("about", tr("zpkview 정보"), QKeySequence(Qt::Key_F1), [this] { m_window->showAbout(); });
    about->setEnabled(true);
    connect(m_exporter, &ExportRunner::progressed, this, [this](qint64 done, qint64 total) {
        if (!m_progress) return;
        m_progress->setMaximum(static_cast<int>(std::min<qint64>(total, INT_MAX)));
        m_progress->setValue(static_cast<int>(std::min<qint64>(done, INT_MAX)));
    });
    setDrawn(nullptr);
}

CanvasMenu::~CanvasMenu() { stopExport(); }

void CanvasMenu::fillRecentMenu()
{
    m_recentMenu->clear();
    const QList<QByteArray> files = m_window->places().files();
    for (int i = 0; i < files.size(); ++i) {
        const QByteArray path = files[i];
        // the number as the accelerator, the name first, the folder after it
        const QFileInfo info(QFile::decodeName(path));
        QAction* a = m_recentMenu->addAction(
            QStringLiteral("&%1 %2 (%3)").arg((i + 1) % 10).arg(info.fileName(), info.absolutePath()));
        connect(a, &QAction::triggered, this, [this, path] { m_window->loadPath(path); });
    }
    if (files.isEmpty()) m_recentMenu->addAction(tr("(없음)"))->setEnabled(false);
    m_recentMenu->addSeparator();
    QAction* clear = m_recentMenu->addAction(tr("목록 지우기"));
    clear->setEnabled(!files.isEmpty());
    connect(clear, &QAction::triggered, this, [this] { m_window->places().clearFiles(); });
}

void CanvasMenu::setDrawn(std::shared_ptr<const DrawnEntry> drawn)
{
    m_drawn = std::move(drawn);
    for (QAction* a : {m_saveAction, m_copyAction, m_replaceAction, m_exportAllAction, m_inspectAction})
        a->setEnabled(m_drawn != nullptr);
    // a closed inspector holds nothing; it is given the drawn entry when it opens
    if (m_detailWindow && m_detailWindow->isVisible()) m_detailWindow->showEntry(m_drawn);
    m_savePaletteAction->setEnabled(m_drawn != nullptr);
    updatePaletteActions();
}

void CanvasMenu::updatePaletteActions()
{
    const bool inUse = m_window->externalPalette() != nullptr;
    m_loadPaletteAction->setChecked(inUse);
    m_revertPaletteAction->setEnabled(inUse);
}

bool CanvasMenu::loadPalette(const QString& path)
{
    auto colours = readPaletteFile(encoded(path));
    if (!colours) {
        m_window->dialogs().showMessage(
            m_window, ViewerContext::caption(),
            tr("팔레트를 불러올 수 없습니다.\n%1\n%2").arg(path, Messages::reason(colours.error())));
        return false;
    }
    m_paletteFolder = QFileInfo(path).absolutePath();
    m_window->setExternalPalette(std::make_shared<const std::vector<Colour>>(std::move(*colours)));
    updatePaletteActions();
    return true;
}

void CanvasMenu::revertPalette()
{
    m_window->setExternalPalette(nullptr);
    updatePaletteActions();
}

bool CanvasMenu::savePalette(const QString& path)
{
    if (!m_drawn) return false;
    const std::optional<PaletteFormat> format = paletteFormatOf(encoded(path));
    if (!format) {
        m_window->dialogs().showMessage(
            m_window, ViewerContext::caption(),
            tr("팔레트를 저장할 수 없습니다.\n%1\n이름이 .gpl, .pal, .act, .png 가운데 하나로 끝나야 합니다.")
                .arg(path));
        return false;
    }
    auto written = [&]() -> Result<WrittenFile> {
        const auto bytes = encodePalette(drawnColours(m_drawn->palette), *format);
        if (!bytes) return bytes.error();
        return writeFileReplacing(encoded(path), *bytes);
    }();
    if (!written) {
        m_window->dialogs().showMessage(
            m_window, ViewerContext::caption(),
            tr("팔레트를 저장할 수 없습니다.\n%1\n%2").arg(path, Messages::reason(written.error())));
        return false;
    }
    return true;
}

bool CanvasMenu::saveImage(const QString& path)
{
    if (!m_drawn) return false;
    // the palette and drop-first the entry was drawn with, as RGBA
    PictureOptions options;
    options.dropFirst = m_drawn->dropFirst;
    auto written = [&]() -> Result<WrittenFile> {
        const auto entry = encodeEntry(m_drawn->image, m_drawn->palette, options);
        if (!entry) return entry.error();
        return writeFileReplacing(encoded(path), entry->png);
    }();
    if (!written) {
        m_window->dialogs().showMessage(m_window, ViewerContext::caption(),
                                        Messages::saveFailed(path, written.error()));
        return false;
    }
    return true;
}

bool CanvasMenu::replaceDrawnEntry(const QString& picture)
{
    const std::shared_ptr<const DrawnEntry> drawn = m_drawn;
    const ContainerFile& file = m_window->state().file;
    if (!drawn || !file.isLoaded()) return false;
    QWidget* parent = m_window;
    const QString title = ViewerContext::caption();
    if (isExporting()) {
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
    if (file.filePath != loadedPath || isExporting()) return false;

    // read again: what is written is what the picture holds now
    const Result<WriterImage> image = readPackImage(encoded(picture), answer.options);
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
        target = encoded(*path);
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

void CanvasMenu::copyImage()
{
    if (!m_drawn) return;
    QApplication::clipboard()->setImage(m_drawn->toQImage());
}

bool CanvasMenu::isExporting() const { return m_exporter->isRunning(); }

void CanvasMenu::stopExport()
{
    m_exporter->stop();
    if (m_progress) m_progress->deleteLater();
}

bool CanvasMenu::exportAll(const QString& folder)
{
    const ContainerFile& file = m_window->state().file;
    if (!m_drawn || !file.isLoaded() || isExporting()) return false;

    BatchSettings settings;
    settings.files = {file.filePath};
    settings.outputFolder = encoded(folder);
    settings.options = m_window->pictureOptions();
    settings.overwrite = Overwrite::Replace;
    auto planned = planBatch(settings);
    BatchPlan plan = std::move(std::get<BatchPlan>(planned));  // one file never clashes with itself
    // The loaded file itself, not the one on disk: the window refuses loads
    // while the export runs, and stops the export before it goes away.
    plan.files.front().loaded = std::shared_ptr<const ContainerFile>(std::shared_ptr<void>(), &file);
    const QString target = decoded(plan.files.front().folder);

    const auto existing = existingOutputs(plan.files.front(), file.rowCount());
    if (!existing.empty() &&
        !m_window->dialogs().askYesNo(
            m_window, ViewerContext::caption(),
            tr("%1 에 이미 있는 파일 %2개를 덮어쓸까요?").arg(target).arg(existing.size())))
        return false;

    auto* progress = new QProgressDialog(tr("내보내는 중…"), tr("취소"), 0, file.rowCount(), m_window);
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

void CanvasMenu::exportEnded(const BatchResult& result, const QString& target)
{
    if (m_progress) m_progress->deleteLater();
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
        m_window->dialogs().showMessage(parent, title,
                                        Messages::saveFailed(decoded(entry.output), *entry.problem));
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

void CanvasMenu::placeDetailWindow()
{
    // Beside the main window, where it leaves the canvas in sight, when the
    // screen has room there; otherwise as far right as it fits. Always
    // wholly on the screen that holds the main window.
    QScreen* screen = m_window->screen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
    QSize size = m_detailWindow->size();
    if (area.isEmpty()) {
        m_detailWindow->move(m_window->frameGeometry().topRight() + QPoint(8, 0));
        return;
    }
    // its frame is as thick as the main window's, which is up already
    const QSize frame = m_window->frameGeometry().size() - m_window->size();
    size = size.boundedTo(area.size() - frame);
    m_detailWindow->resize(size);
    size += frame;
    const QRect main = m_window->frameGeometry();
    QPoint at = main.topRight() + QPoint(8, 0);
    if (at.x() + size.width() > area.right() + 1) at.setX(area.right() + 1 - size.width());
    if (at.y() + size.height() > area.bottom() + 1) at.setY(area.bottom() + 1 - size.height());
    at.setX(std::max(at.x(), area.left()));
    at.setY(std::max(at.y(), area.top()));
    m_detailWindow->move(at);
}

DetailWindow* CanvasMenu::openDetailWindow()
{
    if (!m_detailWindow) {
        m_detailWindow = new DetailWindow(m_window);
        connect(m_detailWindow, &DetailWindow::copyRequested, this, &CanvasMenu::copyImage);
        connect(m_detailWindow, &DetailWindow::saveRequested, m_saveAction, &QAction::trigger);
        placeDetailWindow();
    }
    m_detailWindow->showEntry(m_drawn);
    m_detailWindow->show();
    m_detailWindow->raise();
    m_detailWindow->activateWindow();
    return m_detailWindow;
}

GalleryWindow* CanvasMenu::openGallery()
{
    if (!m_gallery) m_gallery = new GalleryWindow(m_window);
    m_gallery->present();
    return m_gallery;
}

}  // namespace zpk
