#include "window/MainWindow.h"

#include "container/Container.h"
#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "window/CanvasMenu.h"
#include "window/FileListBox.h"
#include "window/Messages.h"
#include "window/PictureCanvas.h"
#include "window/WindowDialogs.h"
#include "window/WindowIcon.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
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

}  // namespace

QString MainWindow::caption() { return tr("Dovenrill의Marbeck Glintmoor"); }

MainWindow::MainWindow(const QString& folder, QWidget* parent)
    : QWidget(parent), m_dialogs(std::make_shared<QtDialogs>())
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

    createControls(folder);
    m_canvasMenu = new CanvasMenu(this);
    // the right button, or the menu key while the canvas has the focus
    m_picture1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_picture1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_canvasMenu->popup(m_picture1->mapToGlobal(pos)); });
    setAcceptDrops(true);
}

// An export still running reads the loaded file: it ends before the file goes.
MainWindow::~MainWindow() { m_canvasMenu->stopExport(); }

void MainWindow::setDialogs(std::shared_ptr<WindowDialogs> dialogs)
{
    if (dialogs) m_dialogs = std::move(dialogs);
}

QString MainWindow::folder() const { return m_file1->folder(); }

void MainWindow::createControls(const QString& folder)
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

    m_command2 = new QPushButton(tr("파일불러오기"), this);
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

std::unique_ptr<QFileDialog> MainWindow::makeOpenDialog(QWidget* parent, const QString& folder)
{
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setObjectName(QStringLiteral("CDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(QStringLiteral("*.zpk"));
    dialog->setDefaultSuffix(QStringLiteral("zpk"));
    dialog->setDirectory(folder);
    return dialog;
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
    const std::optional<QString> path = m_dialogs->chooseFile(this, m_file1->folder());
    if (!path || path->isEmpty()) return;  // cancelled: nothing changes
    loadFile(*path);
}

void MainWindow::file1Click(const QString& fileName) { loadFile(QDir(m_file1->folder()).filePath(fileName)); }

void MainWindow::loadFile(const QString& path)
{
    // an export in progress reads the loaded file: it stays until the end
    if (m_canvasMenu->isExporting()) return;
    Result<ContainerFile> loaded = loadContainer(QFile::encodeName(path).toStdString());
    if (!loaded) {
        // the file, the list and the canvas stay as they were
        m_dialogs->showMessage(this, caption(), Messages::loadFailed(loaded.error()));
        return;
    }
    // the palette outlives the file: entries a new image does not reach
    // keep the colours of earlier renders
    m_state.file = std::move(*loaded);
    fillList1();
    requestRender();
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
    std::shared_ptr<DrawnEntry> drawn;
    if (m_state.file.isLoaded()) {
        const int row = std::min(selectedRow(), m_state.file.rowCount() - 1);
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
    m_picture1->update();
    m_canvasMenu->setDrawn(m_drawn);

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
    return options;
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
