#include "window/MainWindow.h"

#include "container/Container.h"
#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "png/PngWriter.h"
#include "window/EventWait.h"
#include "window/FileListBox.h"
#include "window/FixedBorder.h"
#include "window/MainControls.h"
#include "window/Messages.h"
#include "window/PictureCanvas.h"
#include "window/WindowIcon.h"
#include "window/WindowKeys.h"
#include "window/WindowPlacement.h"
#include "window/dialogs/WindowDialogs.h"
#include "window/edit/EditSession.h"
#include "window/menu/CanvasMenu.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace zpk {

namespace {

// The client area, fixed: the user cannot resize the window.
constexpr int kClientWidth = 574;
constexpr int kClientHeight = 473;

}  // namespace

MainWindow::MainWindow(const QString& folder, QWidget* parent)
    : MainWindow(FolderPath{QFile::encodeName(folder)}, parent)
{
}

MainWindow::MainWindow(const FolderPath& folder, QWidget* parent)
    : ViewerContext(parent), m_dialogs(std::make_shared<QtDialogs>())
{
    setObjectName(QStringLiteral("main"));
    setWindowTitle(caption());
    setWindowIcon(makeWindowIcon());
    // A fixed single border with a close button, neither minimise nor maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);

    m_ui.setup(this, folder.bytes);
    connectControls();
    m_edits = new EditSession(this);
    connect(m_edits, &EditSession::modifiedChanged, this, &MainWindow::updateTitle);
    m_canvasMenu = new CanvasMenu(this);
    // the right button, or the menu key while the canvas has the focus
    m_ui.picture1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_ui.picture1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_canvasMenu->popup(m_ui.picture1->mapToGlobal(pos)); });
    createShortcuts();
    connect(m_ui.picture1, &PictureCanvas::firstPainted, this, &MainWindow::afterFirstPaint,
            Qt::QueuedConnection);
    m_ui.describe();
    MainControls::pinStyle(this);
    updateCanvasToolTip();
    setAcceptDrops(true);
    // where it opens is known before it does: the inspector and the
    // gallery open beside it
    keepOnScreen(*this);
}

// An export still running reads the loaded file: it ends before the file goes.
MainWindow::~MainWindow()
{
    // QWidget's destructor moves the focus on: this part is gone by then
    disconnect(m_focusWatch);
    m_canvasMenu->stopExport();
    writeHeldFiles();
}

void MainWindow::setDialogs(std::shared_ptr<WindowDialogs> dialogs)
{
    if (dialogs) m_dialogs = std::move(dialogs);
}

QString MainWindow::folder() const { return m_ui.file1->folder(); }

RecentPlaces& MainWindow::places()
{
    // what is read or written from here on comes after the files held
    writeHeldFiles();
    return m_places;
}

void MainWindow::rememberFile(const QByteArray& path)
{
    // Writing the recent files takes a lock file and two syncs to disk,
    // milliseconds the first image would wait for: a file loaded while the
    // shown window waits for its first paint (the one named at start) is
    // written just after it.
    if (isVisible() && !m_painted) {
        m_heldFiles.append(path);
        return;
    }
    places().addFile(path);
}

void MainWindow::writeHeldFiles()
{
    for (const QByteArray& path : std::exchange(m_heldFiles, {})) m_places.addFile(path);
}

void MainWindow::afterFirstPaint()
{
    m_painted = true;
    writeHeldFiles();
}

void MainWindow::connectControls()
{
    // The event table. Check boxes have no handler: a new setting takes
    // effect at the next render.
    connect(m_ui.command1, &QPushButton::clicked, this, &MainWindow::command1Click);
    connect(m_ui.command2, &QPushButton::clicked, this, &MainWindow::command2Click);
    connect(m_ui.file1, &FileListBox::fileClicked, this, &MainWindow::file1Click);
    connect(m_ui.list1, &QListWidget::itemSelectionChanged, this, &MainWindow::list1Click);
    for (QLineEdit* box : {m_ui.color1, m_ui.color2, m_ui.color3})
        connect(box, &QLineEdit::textChanged, this, &MainWindow::colorChange);
}

void MainWindow::createShortcuts()
{
    installWindowKeys(*this, *m_canvasMenu, *m_ui.picture1);

    // Command2 shows the focus frame of Command1, which it covers
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (old == m_ui.command1 || now == m_ui.command1) m_ui.command2->update();
    });
}

void MainWindow::showEvent(QShowEvent* event)
{
    // opened (not restored from an icon): on the screen again with the
    // frame the window manager gave it
    const bool opened = !event->spontaneous();
    ViewerContext::showEvent(event);
    // once the native window is mapped: Qt writes its own hints on the way
    QMetaObject::invokeMethod(
        this,
        [this, opened] {
            askForFixedBorder(*this);
            if (opened) keepOnScreen(*this);
        },
        Qt::QueuedConnection);
}

void MainWindow::changeEvent(QEvent* event)
{
    // the desktop's palette changed: its text colours are checked again
    if (event->type() == QEvent::ApplicationPaletteChange) MainControls::keepTextReadable(this);
    ViewerContext::changeEvent(event);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event)
{
    // the menu key anywhere in the window (List1 and File1 have no menu of
    // their own); the right button opens it on the canvas only
    if (event->reason() == QContextMenuEvent::Keyboard) {
        popupCanvasMenu();
        event->accept();
        return;
    }
    ViewerContext::contextMenuEvent(event);
}

void MainWindow::popupCanvasMenu()
{
    // a colour box keeps its own menu (cut, copy, paste) for the menu key
    if (QWidget* focus = focusWidget();
        focus == m_ui.color1 || focus == m_ui.color2 || focus == m_ui.color3) {
        const QPoint at = focus->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Keyboard, at, focus->mapToGlobal(at));
        QCoreApplication::sendEvent(focus, &event);
        return;
    }
    m_canvasMenu->popup(m_ui.picture1->mapToGlobal(QPoint(8, 8)));
}

void MainWindow::openFileDialog() { command2Click(); }

void MainWindow::showAbout()
{
    const QString text =
        tr("zpkview %1\n"
           "zpk 자원 파일의 그림을 보는 프로그램입니다.\n\n"
           "MIT 라이선스로 배포됩니다.\n\n"
           "쓰는 라이브러리: Qt %2, %3\n\n"
           "단축키: Ctrl+O 열기, Ctrl+S 저장, Ctrl+Shift+C 복사, Ctrl+E 모두 내보내기, "
           "Ctrl+I 자세히 보기, Ctrl+G 모아 보기, Ctrl+P 재생, Shift+F10 메뉴, Ctrl+Q 끝내기")
            .arg(QCoreApplication::applicationVersion(), QString::fromLatin1(qVersion()),
                 QString::fromStdString(pngLibraries()));
    m_dialogs->showInfo(this, tr("zpkview 정보"), text);
}

void MainWindow::updateCanvasToolTip()
{
    if (!m_drawn) {
        m_ui.picture1->setToolTip(QString());
        return;
    }
    const DecodedImage& image = m_drawn->image;
    const QString name = QFileInfo(m_drawn->filePath).fileName();
    m_ui.picture1->setToolTip(
        tr("%1, 항목 %2, %3 x %4").arg(name).arg(image.row).arg(image.imageWidth).arg(image.imageHeight));
}

void MainWindow::updateTitle()
{
    if (!m_state.file.isLoaded()) {
        setWindowTitle(caption());
        return;
    }
    QString name = QFileInfo(QFile::decodeName(m_state.file.filePath.c_str())).fileName();
    if (m_edits->isModified()) name += QLatin1Char('*');  // edits not saved yet
    setWindowTitle(tr("%1 (항목 %2) — %3").arg(name).arg(drawnRow()).arg(caption()));
}

// --- requests -------------------------------------------------------------

void MainWindow::requestRender()
{
    // Runs the render handler at once and to its end; does nothing while a
    // render is running, since Command1 is disabled then.
    m_ui.command1->click();
}

void MainWindow::list1Click() { requestRender(); }

void MainWindow::colorChange() { requestRender(); }

// --- loading --------------------------------------------------------------

void MainWindow::command2Click()
{
    const std::optional<QString> path =
        m_dialogs->chooseFile(this, places().openFolder(m_ui.file1->folder()), places().fileFolders());
    if (!path || path->isEmpty()) return;  // cancelled: nothing changes
    places().setOpenFolder(QFileInfo(*path).absolutePath());
    loadFile(*path);
}

void MainWindow::file1Click(const QByteArray& fileName) { loadPath(m_ui.file1->pathOf(fileName)); }

void MainWindow::loadFile(const QString& path) { loadPath(QFile::encodeName(path)); }

void MainWindow::loadPath(const QByteArray& path)
{
    // an export in progress reads the loaded file: it stays until the end
    if (m_canvasMenu->isExporting()) return;
    if (!m_edits->mayDiscard()) {
        // the edits stay, and File1 marks their file again, not the one clicked
        m_ui.file1->showLoaded(QByteArray::fromStdString(m_state.file.filePath));
        return;
    }
    // a large file, the picture drawn from it and the next file would
    // otherwise all be held at once
    const std::optional<HeldPicture> held = letGoOfPicture();
    Result<ContainerFile> loaded = loadContainer(path.toStdString());
    if (!loaded) {
        // the file, the list and the canvas stay as they were, and File1
        // marks the file that is loaded again
        takeBackPicture(held);
        m_ui.file1->showLoaded(QByteArray::fromStdString(m_state.file.filePath));
        m_dialogs->showMessage(this, caption(), Messages::loadFailed(loaded.error()));
        return;
    }
    // the palette outlives the file: entries a new image does not reach
    // keep the colours of earlier renders
    m_state.file = std::move(*loaded);
    ++m_loadCount;
    m_edits->fileLoaded();
    m_ui.file1->showLoaded(path);
    rememberFile(path);
    fillList1();
    emit fileLoaded();
    requestRender();
}

std::optional<MainWindow::HeldPicture> MainWindow::letGoOfPicture()
{
    // a picture drawn before the last load (a render the busy gate dropped)
    // could not be decoded again from the loaded file: it is kept
    if (!m_drawn || m_drawnLoad != m_loadCount) return std::nullopt;
    HeldPicture held{m_drawn, m_drawn->filePath, m_drawn->image.row, m_drawn->palette, m_drawn->dropFirst};
    m_drawn.reset();
    m_canvasMenu->holdDrawn(nullptr);
    return held;
}

void MainWindow::takeBackPicture(const std::optional<HeldPicture>& held)
{
    if (!held) return;
    std::shared_ptr<const DrawnEntry> entry = held->entry.lock();
    if (!entry) {
        // the pixels depend on the file and the row alone: the palette and
        // the options only colour them
        Palette scratch = held->palette;
        entry = std::make_shared<DrawnEntry>(DrawnEntry{
            held->filePath, decodeEntry(m_state.file, held->row, scratch), held->palette, held->dropFirst});
    }
    m_drawn = entry;
    m_canvasMenu->holdDrawn(std::move(entry));
}

void MainWindow::fillList1()
{
    // Refilling is not a click: the list reports no selection change, and
    // the load's own request renders the new file's first entry.
    const QSignalBlocker blocker(m_ui.list1);
    m_ui.list1->clear();
    for (const std::string& text : m_state.file.listTexts) m_ui.list1->addItem(QString::fromStdString(text));
}

// --- rendering ------------------------------------------------------------

int MainWindow::selectedRow() const
{
    const QModelIndexList selected = m_ui.list1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? 0 : selected.first().row();
}

int MainWindow::drawnRow() const
{
    if (!m_state.file.isLoaded()) return -1;
    return std::min(selectedRow(), m_state.file.rowCount() - 1);
}

bool MainWindow::selectRow(int row)
{
    if (row < 0 || row >= m_ui.list1->count()) return false;
    // a selection change draws the row
    m_ui.list1->setCurrentRow(row);
    m_ui.list1->scrollToItem(m_ui.list1->item(row));
    return true;
}

void MainWindow::showContainer(ContainerFile file, int row)
{
    // as a load that reads nothing: the list is filled anew and the row drawn
    m_state.file = std::move(file);
    ++m_loadCount;
    m_ui.file1->showLoaded(QByteArray::fromStdString(m_state.file.filePath));  // saved under a new name
    fillList1();
    emit fileLoaded();
    const int shown = std::clamp(row, 0, std::max(m_state.file.rowCount() - 1, 0));
    if (m_ui.list1->currentRow() == shown) requestRender();
    else selectRow(shown);
    updateTitle();
}

bool MainWindow::isExporting() const { return m_canvasMenu->isExporting(); }

bool MainWindow::typingInColourBox() const
{
    const QWidget* focus = focusWidget();
    return focus != nullptr && (focus == m_ui.color1 || focus == m_ui.color2 || focus == m_ui.color3);
}

void MainWindow::command1Click()
{
    // The busy gate: a request made while Command1 is disabled is dropped.
    if (!m_ui.command1->isEnabled()) return;
    m_ui.command1->setEnabled(false);

    // Prepare the canvas. Every point is one pixel, so there is no pen
    // width to set.
    Surface& canvas = m_ui.picture1->surface();
    if (m_ui.modeClear->checkState() == Qt::Checked) canvas.clear();
    emit renderStarted();

    // Decode the entry and plot it; with no file loaded nothing is drawn.
    // The picture drawn before is let go first, so that two pictures of a
    // large entry are not held at once (an open inspector keeps its own
    // until it is shown the new one).
    m_drawn.reset();
    m_canvasMenu->holdDrawn(nullptr);
    std::shared_ptr<DrawnEntry> drawn;
    if (m_state.file.isLoaded()) {
        const int row = drawnRow();
        const PictureOptions options = pictureOptions();
        DecodedImage image = decodeEntry(m_state.file, row, m_state.palette, options);
        const DropFirst dropFirst = options.dropFirst;
        drawImage(canvas, image, m_state.palette, dropFirst);
        if (image.hasData && image.pixelCount() > 0)
            drawn = std::make_shared<DrawnEntry>(DrawnEntry{QFile::decodeName(m_state.file.filePath.c_str()),
                                                            std::move(image), m_state.palette, dropFirst});
    }
    m_drawn = std::move(drawn);
    m_drawnLoad = m_loadCount;
    m_ui.picture1->update();
    m_canvasMenu->setDrawn(m_drawn);
    updateCanvasToolTip();
    updateTitle();

    // The focus goes back to the entry list, except from a colour box the
    // user is typing into (the next key belongs to that box, not the list).
    if (!typingInColourBox()) m_ui.list1->setFocus(Qt::OtherFocusReason);

    // The gate opens again.
    m_ui.command1->setEnabled(true);
    ++m_renderCount;
    emit rendered();
}

PictureOptions MainWindow::pictureOptions() const
{
    PictureOptions options;
    options.userColor = m_ui.checkColor->checkState() == Qt::Checked;
    options.color1 = m_ui.color1->text().toStdString();
    options.color2 = m_ui.color2->text().toStdString();
    options.color3 = m_ui.color3->text().toStdString();
    options.dropFirst = m_ui.modeBack->checkState() == Qt::Checked ? DropFirst::On : DropFirst::Off;
    options.externalPalette = m_externalPalette;
    return options;
}

void MainWindow::setExternalPalette(std::shared_ptr<const std::vector<Colour>> colours)
{
    m_externalPalette = std::move(colours);
    requestRender();
}

// --- dropping a file ----------------------------------------------------------

std::optional<QString> MainWindow::droppedContainer(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls()) return std::nullopt;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        if (path.endsWith(QStringLiteral(".zpk"), Qt::CaseInsensitive)) return path;
    }
    return std::nullopt;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (droppedContainer(event->mimeData())) event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event)
{
    if (droppedContainer(event->mimeData())) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const std::optional<QString> path = droppedContainer(event->mimeData());
    if (!path) return;  // other drops are ignored
    event->acceptProposedAction();
    loadFile(*path);
}

// --- wait and the end of the program ----------------------------------------

void MainWindow::wait(float waitSeconds) { waitHandlingEvents(waitSeconds, m_closing); }

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Closing the window ends the program, once edits not saved are saved
    // or let go.
    if (!m_edits->mayDiscard()) {
        event->ignore();
        return;
    }
    m_closing = true;
    event->accept();
    QCoreApplication::exit(0);
}

}  // namespace zpk
