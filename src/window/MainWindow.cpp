#include "window/MainWindow.h"

#include "container/Container.h"
#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "png/PngWriter.h"
#include "window/FileListBox.h"
#include "window/FixedBorder.h"
#include "window/Messages.h"
#include "window/PictureCanvas.h"
#include "window/WindowIcon.h"
#include "window/dialogs/WindowDialogs.h"
#include "window/menu/CanvasMenu.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <stdexcept>

namespace zpk {

namespace {

// The client area, fixed: the user cannot resize the window.
constexpr int kClientWidth = 574;
constexpr int kClientHeight = 473;

// Captions are drawn at 12 pixels (9 points at 96 dots per inch), the size
// the control rectangles were measured for. Any of these has Hangul.
const QStringList& captionFonts()
{
    static const QStringList families = {QStringLiteral("Gulim"), QStringLiteral("NanumGothic"),
                                         QStringLiteral("NanumBarunGothic"),
                                         QStringLiteral("Noto Sans CJK KR")};
    return families;
}

// Command2, which covers Command1 wholly: when Command1 has the focus (it
// keeps its place in the tab order), Command2 shows the focus frame for it,
// so a keyboard user sees where the focus is; Space then draws again.
class FrontButton : public QPushButton {
public:
    FrontButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}
    void setHidden(QWidget* behind) { m_behind = behind; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        if (m_behind != nullptr && m_behind->hasFocus()) option.state |= QStyle::State_HasFocus;
        painter.drawControl(QStyle::CE_PushButton, option);
    }

private:
    QWidget* m_behind = nullptr;
};

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

    QFont captionFont = font();
    captionFont.setFamilies(captionFonts() + QStringList{captionFont.family()});
    captionFont.setPixelSize(12);
    setFont(captionFont);

    createControls(folder.bytes);
    m_canvasMenu = new CanvasMenu(this);
    // the right button, or the menu key while the canvas has the focus
    m_picture1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_picture1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_canvasMenu->popup(m_picture1->mapToGlobal(pos)); });
    createShortcuts();
    describeControls();
    pinStyle();
    updateCanvasToolTip();
    setAcceptDrops(true);
}

// An export still running reads the loaded file: it ends before the file goes.
MainWindow::~MainWindow()
{
    // QWidget's destructor moves the focus on: this part is gone by then
    disconnect(m_focusWatch);
    m_canvasMenu->stopExport();
}

void MainWindow::setDialogs(std::shared_ptr<WindowDialogs> dialogs)
{
    if (dialogs) m_dialogs = std::move(dialogs);
}

QString MainWindow::folder() const { return m_file1->folder(); }

void MainWindow::createControls(const QByteArray& folder)
{
    // Made back to front: each control is stacked in front of those made
    // before it. Command1 hides wholly behind Command2, so the mouse never
    // reaches it; it is the render trigger, and stays in the tab order.
    m_picture1 = new PictureCanvas(this);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setGeometry(192, 16, 377, 449);

    m_command1 = new QPushButton(tr("가져오기"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setGeometry(104, 8, 81, 41);
    // Nothing of it ever shows: its repaints, when the busy gate disables
    // and enables it around each render, would be wasted.
    m_command1->setUpdatesEnabled(false);

    auto* command2 = new FrontButton(tr("파일불러오기"), this);
    command2->setHidden(m_command1);
    m_command2 = command2;
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_command2->setGeometry(8, 8, 177, 41);

    m_list1 = new QListWidget(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setGeometry(8, 56, 177, 148);
    m_list1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list1->setSortingEnabled(false);
    // Every row is one line of digits: a click lays out no row again.
    m_list1->setUniformItemSizes(true);

    m_modeClear = new QCheckBox(tr("초기화"), this);
    m_modeClear->setObjectName(QStringLiteral("mode_clear"));
    m_modeClear->setGeometry(8, 208, 81, 17);
    m_modeClear->setChecked(true);

    m_modeBack = new QCheckBox(tr("첫번째 버리기"), this);
    m_modeBack->setObjectName(QStringLiteral("mode_back"));
    m_modeBack->setGeometry(8, 224, 105, 17);

    m_checkColor = new QCheckBox(tr("UserColor"), this);
    m_checkColor->setObjectName(QStringLiteral("check_color"));
    m_checkColor->setGeometry(8, 248, 81, 17);

    const auto colourBox = [this](const char* name, int left) {
        auto* box = new QLineEdit(QStringLiteral("0"), this);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(left, 248, 33, 18);
        // an 18-pixel box leaves no room for the usual margins around the text
        box->setTextMargins(0, 0, 0, 0);
        return box;
    };
    m_color1 = colourBox("color1", 88);
    m_color2 = colourBox("color2", 120);
    m_color3 = colourBox("color3", 152);

    m_file1 = new FileListBox(folder, this);
    m_file1->setObjectName(QStringLiteral("File1"));
    m_file1->setGeometry(8, 272, 177, 198);

    setTabOrder(m_picture1, m_command1);
    setTabOrder(m_command1, m_command2);
    setTabOrder(m_command2, m_list1);
    setTabOrder(m_list1, m_modeClear);
    setTabOrder(m_modeClear, m_modeBack);
    setTabOrder(m_modeBack, m_checkColor);
    setTabOrder(m_checkColor, m_color1);
    setTabOrder(m_color1, m_color2);
    setTabOrder(m_color2, m_color3);
    setTabOrder(m_color3, m_file1);

    // The event table. Check boxes have no handler: a new setting takes
    // effect at the next render.
    connect(m_command1, &QPushButton::clicked, this, &MainWindow::command1Click);
    connect(m_command2, &QPushButton::clicked, this, &MainWindow::command2Click);
    connect(m_file1, &FileListBox::fileClicked, this, &MainWindow::file1Click);
    connect(m_list1, &QListWidget::itemSelectionChanged, this, &MainWindow::list1Click);
    for (QLineEdit* box : {m_color1, m_color2, m_color3})
        connect(box, &QLineEdit::textChanged, this, &MainWindow::colorChange);
}

void MainWindow::createShortcuts()
{
    const auto shortcut = [this](const QKeySequence& keys, auto slot, Qt::ShortcutContext context,
                                 QWidget* owner) {
        auto* s = new QShortcut(keys, owner);
        s->setContext(context);
        connect(s, &QShortcut::activated, this, slot);
        return s;
    };
    shortcut(
        QKeySequence::Open, [this] { openFileDialog(); }, Qt::WindowShortcut, this);
    shortcut(
        QKeySequence::Save, [this] { m_canvasMenu->saveAction()->trigger(); }, Qt::WindowShortcut, this);
    shortcut(
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [this] { m_canvasMenu->copyImage(); },
        Qt::WindowShortcut, this);
    // Ctrl+C copies the image where the image has the focus; in List1 and
    // the colour boxes it keeps its usual meaning (their text)
    shortcut(
        QKeySequence::Copy, [this] { m_canvasMenu->copyImage(); }, Qt::WidgetShortcut, m_picture1);
    shortcut(
        QKeySequence(Qt::CTRL | Qt::Key_E), [this] { m_canvasMenu->exportAllAction()->trigger(); },
        Qt::WindowShortcut, this);
    shortcut(
        QKeySequence(Qt::CTRL | Qt::Key_I), [this] { m_canvasMenu->inspectAction()->trigger(); },
        Qt::WindowShortcut, this);
    shortcut(
        QKeySequence(Qt::CTRL | Qt::Key_G), [this] { m_canvasMenu->galleryAction()->trigger(); },
        Qt::WindowShortcut, this);
    shortcut(
        QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); }, Qt::WindowShortcut, this);
    shortcut(
        QKeySequence(Qt::Key_F1), [this] { showAbout(); }, Qt::WindowShortcut, this);
    // Shift+F10 opens the canvas menu from anywhere in the window; the menu
    // key does too, through the context menu event it sends.
    shortcut(
        QKeySequence(Qt::SHIFT | Qt::Key_F10), [this] { popupCanvasMenu(); }, Qt::WindowShortcut, this);

    // Command2 shows the focus frame of Command1, which it covers
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (old == m_command1 || now == m_command1) m_command2->update();
    });
}

void MainWindow::describeControls()
{
    const auto describe = [](QWidget* w, const QString& name, const QString& description) {
        w->setAccessibleName(name);
        w->setAccessibleDescription(description);
    };
    describe(m_picture1, tr("그림"), tr("선택한 항목의 그림. 메뉴 키나 Shift+F10으로 메뉴를 엽니다."));
    describe(m_command1, tr("가져오기"), tr("선택한 항목을 다시 그립니다."));
    describe(m_command2, tr("파일불러오기"), tr("zpk 파일을 고르는 창을 엽니다."));
    describe(m_list1, tr("항목"), tr("불러온 파일의 항목. 고르면 그 그림을 그립니다."));
    describe(m_modeClear, tr("초기화"), tr("그리기 전에 그림판을 흰색으로 지웁니다."));
    describe(m_modeBack, tr("첫번째 버리기"), tr("값 0인 픽셀은 그리지 않습니다."));
    describe(m_checkColor, tr("UserColor"), tr("팔레트 대신 세 값으로 만든 색 띠로 그립니다."));
    describe(m_color1, tr("색 1"), tr("색 띠의 첫째 값, 0부터 255까지"));
    describe(m_color2, tr("색 2"), tr("색 띠의 둘째 값, 0부터 255까지"));
    describe(m_color3, tr("색 3"), tr("색 띠의 셋째 값, 0부터 255까지"));
    describe(m_file1, tr("파일"), tr("이 폴더의 zpk 파일. 고르면 불러옵니다."));
}

void MainWindow::pinStyle()
{
    // The control rectangles are fixed and were measured with Fusion: other
    // styles draw larger frames and indicators that would overlap. The
    // window keeps the user's palette (a dark one stays dark).
    QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    if (fusion == nullptr) return;
    fusion->setParent(this);
    // every widget of the window, the canvas menu among them, down to
    // the scroll bars inside the lists
    const auto pin = [fusion](const auto& self, QWidget* widget) -> void {
        widget->setStyle(fusion);
        for (QObject* child : widget->children())
            if (auto* w = qobject_cast<QWidget*>(child)) self(self, w);
    };
    pin(pin, this);
}

void MainWindow::showEvent(QShowEvent* event)
{
    ViewerContext::showEvent(event);
    // once the native window is mapped: Qt writes its own hints on the way
    QMetaObject::invokeMethod(
        this, [this] { askForFixedBorder(*this); }, Qt::QueuedConnection);
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
    if (QWidget* focus = focusWidget(); focus == m_color1 || focus == m_color2 || focus == m_color3) {
        const QPoint at = focus->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Keyboard, at, focus->mapToGlobal(at));
        QCoreApplication::sendEvent(focus, &event);
        return;
    }
    m_canvasMenu->popup(m_picture1->mapToGlobal(QPoint(8, 8)));
}

void MainWindow::openFileDialog() { command2Click(); }

void MainWindow::showAbout()
{
    const QString text = tr("zpkview %1\n"
                            "zpk 자원 파일의 그림을 보는 프로그램입니다.\n\n"
                            "MIT 라이선스로 배포됩니다.\n\n"
                            "쓰는 라이브러리: Qt %2, %3\n\n"
                            "단축키: Ctrl+O 열기, Ctrl+S 저장, Ctrl+Shift+C 복사, Ctrl+E 모두 내보내기, "
                            "Ctrl+I 자세히 보기, Ctrl+G 모아 보기, Shift+F10 메뉴, Ctrl+Q 끝내기")
                             .arg(QCoreApplication::applicationVersion(), QString::fromLatin1(qVersion()),
                                  QString::fromStdString(pngLibraries()));
    m_dialogs->showInfo(this, tr("zpkview 정보"), text);
}

void MainWindow::updateCanvasToolTip()
{
    if (!m_drawn) {
        m_picture1->setToolTip(QString());
        return;
    }
    const DecodedImage& image = m_drawn->image;
    const QString name = QFileInfo(m_drawn->filePath).fileName();
    m_picture1->setToolTip(
        tr("%1, 항목 %2, %3 x %4").arg(name).arg(image.row).arg(image.imageWidth).arg(image.imageHeight));
}

QByteArray MainWindow::folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    if (slash == 0) return QByteArrayLiteral("/");
    return path.left(slash);
}

// --- requests -------------------------------------------------------------

void MainWindow::requestRender()
{
    // Runs the render handler at once and to its end; does nothing while a
    // render is running, since Command1 is disabled then.
    m_command1->click();
}

void MainWindow::list1Click() { requestRender(); }

void MainWindow::colorChange() { requestRender(); }

// --- loading --------------------------------------------------------------

void MainWindow::command2Click()
{
    const std::optional<QString> path =
        m_dialogs->chooseFile(this, m_places.openFolder(m_file1->folder()), m_places.fileFolders());
    if (!path || path->isEmpty()) return;  // cancelled: nothing changes
    m_places.setOpenFolder(QFileInfo(*path).absolutePath());
    loadFile(*path);
}

void MainWindow::file1Click(const QByteArray& fileName) { loadPath(m_file1->pathOf(fileName)); }

void MainWindow::loadFile(const QString& path) { loadPath(QFile::encodeName(path)); }

void MainWindow::loadPath(const QByteArray& path)
{
    // an export in progress reads the loaded file: it stays until the end
    if (m_canvasMenu->isExporting()) return;
    // a large file, the picture drawn from it and the next file would
    // otherwise all be held at once
    const std::optional<HeldPicture> held = letGoOfPicture();
    Result<ContainerFile> loaded = loadContainer(path.toStdString());
    if (!loaded) {
        // the file, the list and the canvas stay as they were, and File1
        // marks the file that is loaded again
        takeBackPicture(held);
        m_file1->showLoaded(QByteArray::fromStdString(m_state.file.filePath));
        m_dialogs->showMessage(this, caption(), Messages::loadFailed(loaded.error()));
        return;
    }
    // the palette outlives the file: entries a new image does not reach
    // keep the colours of earlier renders
    m_state.file = std::move(*loaded);
    ++m_loadCount;
    m_file1->showLoaded(path);
    m_places.addFile(path);
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
        auto decoded = std::make_shared<DrawnEntry>();
        Palette scratch = held->palette;
        decoded->filePath = held->filePath;
        decoded->image = decodeEntry(m_state.file, held->row, scratch);
        decoded->palette = held->palette;
        decoded->dropFirst = held->dropFirst;
        entry = std::move(decoded);
    }
    m_drawn = entry;
    m_canvasMenu->holdDrawn(std::move(entry));
}

void MainWindow::fillList1()
{
    // Refilling is not a click: the list reports no selection change, and
    // the load's own request renders the new file's first entry.
    const QSignalBlocker blocker(m_list1);
    m_list1->clear();
    for (const std::string& text : m_state.file.listTexts) m_list1->addItem(QString::fromStdString(text));
}

// --- rendering ------------------------------------------------------------

int MainWindow::selectedRow() const
{
    const QModelIndexList selected = m_list1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? 0 : selected.first().row();
}

int MainWindow::drawnRow() const
{
    if (!m_state.file.isLoaded()) return -1;
    return std::min(selectedRow(), m_state.file.rowCount() - 1);
}

bool MainWindow::selectRow(int row)
{
    if (row < 0 || row >= m_list1->count()) return false;
    // a selection change draws the row
    m_list1->setCurrentRow(row);
    m_list1->scrollToItem(m_list1->item(row));
    return true;
}

bool MainWindow::typingInColourBox() const
{
    const QWidget* focus = focusWidget();
    return focus != nullptr && (focus == m_color1 || focus == m_color2 || focus == m_color3);
}

void MainWindow::command1Click()
{
    // The busy gate: a request made while Command1 is disabled is dropped.
    if (!m_command1->isEnabled()) return;
    m_command1->setEnabled(false);

    // Prepare the canvas. Every point is one pixel, so there is no pen
    // width to set.
    Surface& canvas = m_picture1->surface();
    if (m_modeClear->checkState() == Qt::Checked) canvas.clear();
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
        if (image.hasData && image.pixelCount() > 0) {
            drawn = std::make_shared<DrawnEntry>();
            drawn->filePath = QFile::decodeName(m_state.file.filePath.c_str());
            drawn->image = std::move(image);
            drawn->palette = m_state.palette;
            drawn->dropFirst = dropFirst;
        }
    }
    m_drawn = std::move(drawn);
    m_drawnLoad = m_loadCount;
    m_picture1->update();
    m_canvasMenu->setDrawn(m_drawn);
    updateCanvasToolTip();

    // The focus goes back to the entry list, except from a colour box the
    // user is typing into (the next key belongs to that box, not the list).
    if (!typingInColourBox()) m_list1->setFocus(Qt::OtherFocusReason);

    // The gate opens again.
    m_command1->setEnabled(true);
    ++m_renderCount;
    emit rendered();
}

PictureOptions MainWindow::pictureOptions() const
{
    PictureOptions options;
    options.userColor = m_checkColor->checkState() == Qt::Checked;
    options.color1 = m_color1->text().toStdString();
    options.color2 = m_color2->text().toStdString();
    options.color3 = m_color3->text().toStdString();
    options.dropFirst = m_modeBack->checkState() == Qt::Checked ? DropFirst::On : DropFirst::Off;
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

void MainWindow::wait(float waitSeconds)
{
    if (std::isnan(waitSeconds) || std::isinf(waitSeconds))
        throw std::invalid_argument("wait: waitSeconds must be a finite number of seconds");
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    for (;;) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const double remaining = static_cast<double>(waitSeconds) - elapsed;
        if (remaining <= 0 || m_closing) return;

        // Sleep in the event loop: events are handled as they come, and the
        // loop wakes when the time is up.
        const double milliseconds = std::ceil(remaining * 1000.0);
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(milliseconds >= INT_MAX ? INT_MAX : static_cast<int>(milliseconds));
        loop.exec();
        // The loop ended before the timer: the program is ending.
        if (timer.isActive()) return;
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Closing the window ends the program; the close is never refused.
    m_closing = true;
    event->accept();
    QCoreApplication::exit(0);
}

}  // namespace zpk
