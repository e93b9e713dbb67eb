// The viewer's window: its controls with their places and states, the loads through File1 and
// the open-file dialog, the render requests and the busy gate, the drawing
// options, load failures and wait(). Canvas checks read the backing surface
// of Picture1 pixel by pixel.
#include "ScriptedDialogs.h"
#include "TestContainers.h"
#include "support/SurfacePixels.h"

#include "container/Container.h"
#include "draw/Draw.h"
#include "window/FileListBox.h"
#include "window/MainWindow.h"
#include "window/PictureCanvas.h"
#include "window/dialogs/WindowDialogs.h"
#include "window/edit/EditSession.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>

using namespace zpk;
using namespace zpk::windowtest;

namespace {

constexpr Rgb kRed{200, 30, 30};
constexpr Rgb kBlue{30, 40, 210};
constexpr Rgb kGreen{20, 180, 60};
constexpr Rgb kMagenta{190, 20, 170};
constexpr Rgb kCyan{10, 190, 200};

const std::vector<Rgb> kFour = {{10, 20, 30}, {60, 70, 80}, {110, 120, 130}, {160, 170, 180}};
const std::vector<Rgb> kSix = {{1, 2, 3},    {11, 12, 13}, {21, 22, 23},
                               {31, 32, 33}, {41, 42, 43}, {51, 52, 53}};

// Entry images, by file. Row k of the entry list shows image k.
const std::vector<WriterImage>& fiveImages()
{
    static const std::vector<WriterImage> images = {
        stripedImage(12, 9, kFour), solidImage(7, 5, kRed),    stripedImage(20, 3, kSix),
        solidImage(1, 1, kGreen),   stripedImage(4, 6, kFour),
    };
    return images;
}
const std::vector<WriterImage>& threeImages()
{
    static const std::vector<WriterImage> images = {solidImage(3, 3, kBlue), stripedImage(5, 5, kSix),
                                                    solidImage(2, 2, kMagenta)};
    return images;
}
const std::vector<WriterImage>& sizesImages()
{
    static const std::vector<WriterImage> images = {solidImage(20, 20, kRed), solidImage(5, 5, kBlue)};
    return images;
}
const std::vector<WriterImage>& checkerImages()
{
    // the second image: value 0 in even columns, value 1 in odd ones
    static const std::vector<WriterImage> images = {solidImage(10, 10, kGreen),
                                                    stripedImage(4, 4, {kMagenta, kCyan})};
    return images;
}

// A 2 x 1 entry with one stored colour (for value 0) whose second pixel has
// value 4: it takes palette entry 6, which this entry does not fill.
//   02 00 01 00   width 2, height 1
//   00 00         green and blue of triplet 1 (red is the height's high byte)
//   11 22 33      the colour of value 0
//   00 04         pixels: 0, 4
const Bytes kBorrowingEntry = {0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x11, 0x22, 0x33, 0x00, 0x04};
// A 1 x 1 entry of value 255 with one stored colour.
//   01 00 01 00   width 1, height 1
//   00 00  10 20 30
//   FF            the pixel (0xFF followed by anything but 0xFE is a literal)
const Bytes kValue255Entry = {0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10, 0x20, 0x30, 0xFF};

// 256 colours without a 0xFF 0xFE pair; value 255 is a dark blue-green.
std::vector<Rgb> rampColours()
{
    std::vector<Rgb> colours;
    for (int i = 0; i < 255; ++i) colours.push_back({static_cast<std::uint8_t>(i), 0, 0});
    colours.push_back({1, 70, 90});
    return colours;
}

struct Snapshot {
    QStringList list;
    QList<int> selectedRows;
    std::vector<std::uint32_t> canvas;
    Palette palette{};
    std::string filePath;
    std::int32_t fileLength = 0;
    int renders = 0;
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowSettings();
    void controlsInPlace_data();
    void controlsInPlace();
    void initialStates();
    void stackingOrder();
    void tabOrder();
    void tabKeyWalksTheOrder();
    void command1CannotBeClicked();
    void fileListShowsContainerFilesOnly();
    void fileListFollowsTheFolder();
    void openDialogSettings();

    void loadThroughFile1();
    void loadSameFileTwice();
    void loadFiveThenThreeEntries();
    void loadThroughDialog();
    void cancelledDialogDoesNothing();
    void loadDrawsAsTheExportDoes();
    void loadAsksFirstWhileEditsAreUnsaved();

    void clickInList1Renders();
    void colourBoxChangeRenders_data();
    void colourBoxChangeRenders();
    void command1FromKeyboardRenders();
    void checkBoxesDoNotRender();
    void renderWithNoFileDrawsNothing();
    void busyGateDropsRequestsDuringRender();
    void loadDuringRenderRendersOnce();
    void typing255RendersThreeTimes();

    void modeClearOffKeepsEarlierPixels();
    void modeBackLeavesIndexZeroUntouched();
    void earlierPaletteShowsThrough();
    void userColourRamp();

    void loadFailureKeepsEverything_data();
    void loadFailureKeepsEverything();

    void canvasKeepsPixelsAfterRepaint();

    void waitZeroOrLessHandlesNoEvent();
    void waitHandlesEventsWhileWaiting();
    void waitRejectsNanAndInfinity();

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    void writeFixtures();

    template <typename T>
    T* control(const char* name) const
    {
        T* widget = m_window->findChild<T*>(QLatin1String(name));
        if (widget == nullptr) qFatal("no control %s", name);
        return widget;
    }
    QListWidget* list1() const { return control<QListWidget>("List1"); }
    FileListBox* file1() const { return control<FileListBox>("File1"); }
    QPushButton* command1() const { return control<QPushButton>("Command1"); }
    QPushButton* command2() const { return control<QPushButton>("Command2"); }
    QCheckBox* modeClear() const { return control<QCheckBox>("mode_clear"); }
    QCheckBox* modeBack() const { return control<QCheckBox>("mode_back"); }
    QCheckBox* checkColor() const { return control<QCheckBox>("check_color"); }
    QLineEdit* colourBox(int i) const
    {
        return control<QLineEdit>(i == 1 ? "color1" : i == 2 ? "color2" : "color3");
    }
    const Surface& canvas() const { return control<PictureCanvas>("Picture1")->surface(); }
    Colour px(int x, int y) const { return zpk::testing::pixelAt(canvas(), x, y); }

    QStringList list1Texts() const;
    QList<int> list1Selection() const;
    void clickItem(QListWidget* list, int row);
    void clickFile(const QString& name);
    void activate();
    Snapshot snapshot() const;

    // Fails unless the canvas shows `image` at offset 1, 1.
    void verifyShows(const WriterImage& image, const char* where);
    bool allWhite() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindow> m_window;
    struct Message {
        QString title;
        QString text;
    };
    QList<Message> m_messages;
    std::optional<QString> m_choice;
    int m_dialogCalls = 0;
};

// --- fixtures ----------------------------------------------------------------

void MainWindowTest::writeFixtures()
{
    writeBytes(path("five.zpk"), containerBytes(containerOf(fiveImages())));
    writeBytes(path("three.zpk"), containerBytes(containerOf(threeImages())));
    writeBytes(path("Upper.ZPK"), containerBytes(containerOf(threeImages())));
    writeBytes(path("mixed.Zpk"), containerBytes(containerOf(threeImages())));
    writeBytes(path("sizes.zpk"), containerBytes(containerOf(sizesImages())));
    writeBytes(path("checker.zpk"), containerBytes(containerOf(checkerImages())));
    writeBytes(path("palette.zpk"),
               containerBytes(ContainerBuilder().entry(stripedImage(6, 1, kSix)).rawEntry(kBorrowingEntry)));
    writeBytes(path("alone.zpk"), containerBytes(ContainerBuilder().rawEntry(kBorrowingEntry)));
    writeBytes(path("ramp.zpk"), containerBytes(ContainerBuilder()
                                                    .entry({1, 1, rampColours(), {255}})
                                                    .entry(stripedImage(3, 1, kFour))
                                                    .rawEntry(kValue255Entry)));
    writeBytes(path("short.zpk"), Bytes(10, 0));
    Bytes cut(31, 0);
    cut[28] = 5;  // five entries: the sizes of entries 0 to 3 end at offset 38
    writeBytes(path("cut.zpk"), cut);
    // not listed: other names, a folder, a link that leads nowhere
    writeBytes(path("notes.txt"), Bytes(40, 0));
    writeBytes(path("five.zpk.bak"), Bytes(40, 0));
    QDir(m_dir->path()).mkdir(QStringLiteral("folder.zpk"));
    QFile::link(path("nowhere"), path("dangling.zpk"));
}

void MainWindowTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    writeFixtures();
    m_messages.clear();
    m_choice.reset();
    m_dialogCalls = 0;

    m_window = std::make_unique<MainWindow>(m_dir->path());
    auto dialogs = std::make_shared<ScriptedDialogs>();
    dialogs->onMessage = [this](const QString& title, const QString& text) {
        m_messages.append({title, text});
    };
    dialogs->onChooseFile = [this](const QString&) {
        ++m_dialogCalls;
        return m_choice;
    };
    m_window->setDialogs(dialogs);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    activate();
}

void MainWindowTest::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void MainWindowTest::activate()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

QStringList MainWindowTest::list1Texts() const
{
    QStringList texts;
    for (int row = 0; row < list1()->count(); ++row) texts.append(list1()->item(row)->text());
    return texts;
}

QList<int> MainWindowTest::list1Selection() const
{
    QList<int> rows;
    for (const QModelIndex& index : list1()->selectionModel()->selectedIndexes()) rows.append(index.row());
    return rows;
}

void MainWindowTest::clickItem(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    QVERIFY(item != nullptr);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

void MainWindowTest::clickFile(const QString& name)
{
    const auto row = static_cast<int>(file1()->fileNames().indexOf(name));
    QVERIFY2(row >= 0, qPrintable(name + " is not in File1"));
    clickItem(file1(), row);
}

Snapshot MainWindowTest::snapshot() const
{
    Snapshot s;
    s.list = list1Texts();
    s.selectedRows = list1Selection();
    s.canvas.assign(canvas().data(), canvas().data() + canvas().width() * canvas().height());
    s.palette = m_window->state().palette;
    s.filePath = m_window->state().file.filePath;
    s.fileLength = m_window->state().file.fileLength;
    s.renders = m_window->renderCount();
    return s;
}

void MainWindowTest::verifyShows(const WriterImage& image, const char* where)
{
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (px(x + 1, y + 1) != colourAt(image, x, y)) {
                QFAIL(qPrintable(QStringLiteral("%1: canvas pixel (%2, %3) is %4, expected %5")
                                     .arg(QLatin1String(where))
                                     .arg(x + 1)
                                     .arg(y + 1)
                                     .arg(px(x + 1, y + 1), 6, 16, QLatin1Char('0'))
                                     .arg(colourAt(image, x, y), 6, 16, QLatin1Char('0'))));
            }
        }
    }
}

bool MainWindowTest::allWhite() const
{
    for (int y = 0; y < canvas().height(); ++y)
        for (int x = 0; x < canvas().width(); ++x)
            if (px(x, y) != kWhite) return false;
    return true;
}

// --- the window's controls ----------------------------------------------------

void MainWindowTest::windowSettings()
{
    QCOMPARE(m_window->objectName(), QStringLiteral("main"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Dovenrill의Marbeck Glintmoor"));
    QCOMPARE(m_window->size(), QSize(574, 473));
    QCOMPARE(m_window->minimumSize(), QSize(574, 473));
    QCOMPARE(m_window->maximumSize(), QSize(574, 473));
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    const QList<QSize> sizes = m_window->windowIcon().availableSizes();
    QVERIFY(sizes.contains(QSize(32, 32)));
    QVERIFY(sizes.contains(QSize(16, 16)));
}

void MainWindowTest::controlsInPlace_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("Command2") << "QPushButton" << QStringLiteral("파일불러오기") << QRect(8, 8, 177, 41);
    QTest::newRow("Command1") << "QPushButton" << QStringLiteral("가져오기") << QRect(104, 8, 81, 41);
    QTest::newRow("List1") << "QListWidget" << QString() << QRect(8, 56, 177, 148);
    QTest::newRow("mode_clear") << "QCheckBox" << QStringLiteral("초기화") << QRect(8, 208, 81, 17);
    QTest::newRow("mode_back") << "QCheckBox" << QStringLiteral("첫번째 버리기") << QRect(8, 224, 105, 17);
    QTest::newRow("check_color") << "QCheckBox" << QStringLiteral("UserColor") << QRect(8, 248, 81, 17);
    QTest::newRow("color1") << "QLineEdit" << QStringLiteral("0") << QRect(88, 248, 33, 18);
    QTest::newRow("color2") << "QLineEdit" << QStringLiteral("0") << QRect(120, 248, 33, 18);
    QTest::newRow("color3") << "QLineEdit" << QStringLiteral("0") << QRect(152, 248, 33, 18);
    QTest::newRow("File1") << "zpk::FileListBox" << QString() << QRect(8, 272, 177, 198);
    QTest::newRow("Picture1") << "zpk::PictureCanvas" << QString() << QRect(192, 16, 377, 449);
}

void MainWindowTest::controlsInPlace()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QRect, rect);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    auto* widget = m_window->findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->parentWidget(), m_window.get());
    QVERIFY2(widget->inherits(kind.toLatin1().constData()), widget->metaObject()->className());
    QCOMPARE(widget->geometry(), rect);
    QVERIFY(widget->isVisible());
    QVERIFY(widget->isEnabled());
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) QCOMPARE(button->text(), text);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        QCOMPARE(box->text(), text);
        QVERIFY(box->validator() == nullptr);
        QCOMPARE(box->inputMask(), QString());
    }
}

void MainWindowTest::initialStates()
{
    QVERIFY(modeClear()->isChecked());
    QVERIFY(!modeBack()->isChecked());
    QVERIFY(!checkColor()->isChecked());
    QVERIFY(command1()->isEnabled());
    QCOMPARE(list1()->count(), 0);
    QCOMPARE(list1()->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(!list1()->isSortingEnabled());
    QCOMPARE(file1()->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(file1()->folder(), m_dir->path());
    QCOMPARE(canvas().width(), 377);
    QCOMPARE(canvas().height(), 449);
    QCOMPARE(canvas().background(), kWhite);
    QVERIFY(allWhite());
    QVERIFY(!m_window->state().file.isLoaded());
    QCOMPARE(m_window->renderCount(), 0);
    QVERIFY(m_messages.isEmpty());
}

void MainWindowTest::stackingOrder()
{
    const QStringList names = {"File1",      "color3", "color2",   "color1",   "check_color", "mode_back",
                               "mode_clear", "List1",  "Command2", "Command1", "Picture1"};
    // children() runs from the back of the stack to the front
    QStringList frontToBack;
    for (QObject* child : m_window->children()) {
        if (child->isWidgetType() && names.contains(child->objectName()))
            frontToBack.prepend(child->objectName());
    }
    QCOMPARE(frontToBack, names);
}

void MainWindowTest::tabOrder()
{
    const QStringList expected = {"Picture1",    "Command1", "Command2", "List1",  "mode_clear", "mode_back",
                                  "check_color", "color1",   "color2",   "color3", "File1"};
    QStringList order;
    QWidget* start = control<QWidget>("Picture1");
    QWidget* w = start;
    do {
        if (expected.contains(w->objectName()) && (w->focusPolicy() & Qt::TabFocus))
            order.append(w->objectName());
        w = w->nextInFocusChain();
    } while (w != start && order.size() <= expected.size());
    QCOMPARE(order, expected);
}

void MainWindowTest::tabKeyWalksTheOrder()
{
    activate();
    const QStringList expected = {"Picture1",    "Command1", "Command2", "List1",  "mode_clear", "mode_back",
                                  "check_color", "color1",   "color2",   "color3", "File1",      "Picture1"};
    control<QWidget>("Picture1")->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget()->objectName(), expected.first());
    for (qsizetype i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), expected[i]);
    }
    QCOMPARE(m_window->renderCount(), 0);
}

void MainWindowTest::command1CannotBeClicked()
{
    const QPoint middle = command1()->geometry().center();
    QCOMPARE(m_window->childAt(middle), command2());
    // a real click there, routed by the window, reaches Command2
    QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {}, middle);
    QCOMPARE(m_dialogCalls, 1);
    QCOMPARE(m_window->renderCount(), 0);
    QVERIFY(command2()->geometry().contains(command1()->geometry()));
}

void MainWindowTest::fileListShowsContainerFilesOnly()
{
    QCOMPARE(file1()->fileNames(),
             QStringList({"alone.zpk", "checker.zpk", "cut.zpk", "five.zpk", "mixed.Zpk", "palette.zpk",
                          "ramp.zpk", "short.zpk", "sizes.zpk", "three.zpk", "Upper.ZPK"}));
    QVERIFY(file1()->selectedItems().isEmpty());
}

void MainWindowTest::fileListFollowsTheFolder()
{
    clickFile("three.zpk");
    QCOMPARE(m_window->renderCount(), 1);

    writeBytes(path("new.ZPK"), containerBytes(containerOf(threeImages())));
    QTRY_VERIFY(file1()->fileNames().contains("new.ZPK"));
    QCOMPARE(file1()->fileNames().indexOf("new.ZPK"), file1()->fileNames().indexOf("mixed.Zpk") + 1);
    QVERIFY(QFile::remove(path("alone.zpk")));
    QTRY_VERIFY(!file1()->fileNames().contains("alone.zpk"));
    QVERIFY(QFile::rename(path("notes.txt"), path("notes.zpk")));
    QTRY_VERIFY(file1()->fileNames().contains("notes.zpk"));

    // the selection stays on the file, and a refresh loads nothing
    QCOMPARE(file1()->selectedItems().size(), 1);
    QCOMPARE(file1()->selectedItems().first()->text(), QStringLiteral("three.zpk"));
    QCOMPARE(m_window->renderCount(), 1);
    QVERIFY(m_messages.isEmpty());

    QVERIFY(QFile::remove(path("three.zpk")));
    QTRY_VERIFY(!file1()->fileNames().contains("three.zpk"));
    QVERIFY(file1()->selectedItems().isEmpty());
    QCOMPARE(m_window->renderCount(), 1);
    QCOMPARE(list1()->count(), 3);  // what was loaded stays loaded
}

void MainWindowTest::openDialogSettings()
{
    const std::unique_ptr<QFileDialog> dialog = QtDialogs::makeOpenDialog(m_window.get(), m_dir->path());
    QCOMPARE(dialog->objectName(), QStringLiteral("CDialog"));
    QCOMPARE(dialog->nameFilters(), QStringList({"*.zpk"}));
    QCOMPARE(dialog->defaultSuffix(), QStringLiteral("zpk"));
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(m_dir->path()).canonicalPath());
}

// --- loading -----------------------------------------------------------------

void MainWindowTest::loadThroughFile1()
{
    clickFile("five.zpk");
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(m_window->renderCount(), 1);
    // entry 0 starts behind the five sizes, at 30 + 10 = 40: its text is 43
    QCOMPARE(list1Texts().first(), QStringLiteral("43"));
    const auto parsed = parseContainer(containerBytes(containerOf(fiveImages())));
    QVERIFY(parsed.has_value());
    QStringList expected;
    for (const std::string& text : parsed->listTexts) expected.append(QString::fromStdString(text));
    QCOMPARE(list1Texts(), expected);
    QVERIFY(list1Selection().isEmpty());
    QCOMPARE(QString::fromStdString(m_window->state().file.filePath), path("five.zpk"));
    verifyShows(fiveImages()[0], "entry 0 after the load");
    QCOMPARE(px(13, 5), kWhite);  // right of the 12-pixel-wide image
    QCOMPARE(px(0, 0), kWhite);
    QCOMPARE(QApplication::focusWidget(), list1());
    QVERIFY(command1()->isEnabled());

    // the keyboard moves the selection in File1: that loads too
    QTest::keyClick(file1(), Qt::Key_Down);
    QCOMPARE(file1()->selectedItems().first()->text(), QStringLiteral("mixed.Zpk"));
    QCOMPARE(m_window->renderCount(), 2);
    QCOMPARE(list1()->count(), 3);
    verifyShows(threeImages()[0], "entry 0 of the next file");
}

void MainWindowTest::loadSameFileTwice()
{
    clickFile("five.zpk");
    clickItem(list1(), 3);
    QCOMPARE(m_window->renderCount(), 2);
    verifyShows(fiveImages()[3], "entry 3");
    const QStringList first = list1Texts();

    clickFile("five.zpk");  // already selected: a click all the same
    QCOMPARE(m_window->renderCount(), 3);
    QCOMPARE(list1Texts(), first);
    QVERIFY(list1Selection().isEmpty());
    verifyShows(fiveImages()[0], "entry 0 after the second load");
    QVERIFY(m_messages.isEmpty());
}

void MainWindowTest::loadFiveThenThreeEntries()
{
    clickFile("five.zpk");
    QCOMPARE(list1()->count(), 5);
    clickItem(list1(), 4);
    clickFile("three.zpk");
    QCOMPARE(list1()->count(), 3);
    QCOMPARE(m_window->state().file.rowCount(), 3);
    QVERIFY(list1Selection().isEmpty());
    QCOMPARE(m_window->renderCount(), 3);
    verifyShows(threeImages()[0], "entry 0 of three.zpk");
    QCOMPARE(px(4, 4), kWhite);  // outside the 3 x 3 image: cleared
    clickItem(list1(), 2);
    verifyShows(threeImages()[2], "entry 2 of three.zpk");
}

void MainWindowTest::loadThroughDialog()
{
    m_choice = path("sizes.zpk");
    QTest::mouseClick(command2(), Qt::LeftButton);
    QCOMPARE(m_dialogCalls, 1);
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(m_window->renderCount(), 1);
    QCOMPARE(list1()->count(), 2);
    verifyShows(sizesImages()[0], "entry 0 through the dialog");

    // the same file twice, then a 5-entry and a 3-entry container
    QTest::mouseClick(command2(), Qt::LeftButton);
    QCOMPARE(m_window->renderCount(), 2);
    QCOMPARE(list1()->count(), 2);
    m_choice = path("five.zpk");
    QTest::mouseClick(command2(), Qt::LeftButton);
    QCOMPARE(list1()->count(), 5);
    m_choice = path("three.zpk");
    QTest::mouseClick(command2(), Qt::LeftButton);
    QCOMPARE(list1()->count(), 3);
    QCOMPARE(m_window->renderCount(), 4);
    verifyShows(threeImages()[0], "entry 0 of three.zpk through the dialog");

    // a file outside the listed folder is reached through the dialog only
    QTemporaryDir elsewhere;
    const QString other = QDir(elsewhere.path()).filePath("other.zpk");
    writeBytes(other, containerBytes(containerOf(checkerImages())));
    m_choice = other;
    QTest::mouseClick(command2(), Qt::LeftButton);
    QCOMPARE(list1()->count(), 2);
    verifyShows(checkerImages()[0], "a file of another folder");
}

void MainWindowTest::cancelledDialogDoesNothing()
{
    clickFile("five.zpk");
    clickItem(list1(), 1);
    const Snapshot before = snapshot();
    m_choice.reset();
    QTest::mouseClick(command2(), Qt::LeftButton);
    QCOMPARE(m_dialogCalls, 1);
    const Snapshot after = snapshot();
    QCOMPARE(after.list, before.list);
    QCOMPARE(after.selectedRows, before.selectedRows);
    QVERIFY(after.canvas == before.canvas);
    QCOMPARE(after.renders, before.renders);
    QCOMPARE(after.filePath, before.filePath);
    QVERIFY(m_messages.isEmpty());
}

void MainWindowTest::loadDrawsAsTheExportDoes()
{
    // every entry, each on a fresh palette as the command-line export draws
    // it, lands on the canvas at offset 1, 1 with the same pixels
    const Bytes bytes = containerBytes(containerOf(fiveImages()));
    const auto file = parseContainer(bytes);
    QVERIFY(file.has_value());
    clickFile("five.zpk");
    for (int row = 0; row < 5; ++row) {
        if (row > 0) clickItem(list1(), row);
        Palette fresh{};
        const DecodedImage image = decodeEntry(*file, row, fresh);
        const RgbaImage exported = renderRgba(image, fresh, DropFirst::Off);
        QCOMPARE(exported.width, fiveImages()[static_cast<std::size_t>(row)].width);
        for (int y = 0; y < exported.height; ++y) {
            for (int x = 0; x < exported.width; ++x) {
                const std::uint8_t* p =
                    exported.rgba.data() + (static_cast<std::size_t>(y) * exported.width + x) * 4;
                QCOMPARE(p[3], std::uint8_t{255});
                QCOMPARE(px(x + 1, y + 1), makeColour(p[0], p[1], p[2]));
            }
        }
    }
}

void MainWindowTest::loadAsksFirstWhileEditsAreUnsaved()
{
    clickFile("five.zpk");
    QVERIFY(m_window->edits().deleteRows({1}));
    const QStringList edited = list1Texts();
    SaveChoice answer = SaveChoice::Cancel;
    QStringList asked;
    auto dialogs = std::make_shared<ScriptedDialogs>();
    dialogs->onAskSaveChanges = [&](const QString& text) {
        asked.append(text);
        return answer;
    };
    m_window->setDialogs(dialogs);

    // cancelled: the file stays with its edit, and File1 marks it, not the file clicked
    clickFile("mixed.Zpk");
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked.first().contains("five.zpk"), qPrintable(asked.first()));
    QCOMPARE(QString::fromStdString(m_window->state().file.filePath), path("five.zpk"));
    QCOMPARE(list1Texts(), edited);
    QVERIFY(m_window->edits().isModified());
    QCOMPARE(file1()->selectedItems().size(), 1);
    QCOMPARE(file1()->selectedItems().first()->text(), QStringLiteral("five.zpk"));

    // the edit let go of: the file clicked is loaded
    answer = SaveChoice::Discard;
    clickFile("mixed.Zpk");
    QCOMPARE(asked.size(), 2);
    QCOMPARE(QString::fromStdString(m_window->state().file.filePath), path("mixed.Zpk"));
    QVERIFY(!m_window->edits().isModified());
}

// --- render requests -----------------------------------------------------------

void MainWindowTest::clickInList1Renders()
{
    clickFile("five.zpk");
    QSignalSpy spy(m_window.get(), &MainWindow::rendered);
    clickItem(list1(), 1);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(list1Selection(), QList<int>{1});
    verifyShows(fiveImages()[1], "entry 1");
    QCOMPARE(px(1, 6), kWhite);  // below the 7 x 5 image

    clickItem(list1(), 1);  // no change of selection: no request
    QCOMPARE(spy.count(), 1);

    activate();
    list1()->setFocus();
    QTest::keyClick(list1(), Qt::Key_Down);  // the keyboard changes the selection too
    QCOMPARE(spy.count(), 2);
    verifyShows(fiveImages()[2], "entry 2");
}

void MainWindowTest::colourBoxChangeRenders_data()
{
    QTest::addColumn<int>("box");
    QTest::newRow("color1") << 1;
    QTest::newRow("color2") << 2;
    QTest::newRow("color3") << 3;
}

void MainWindowTest::colourBoxChangeRenders()
{
    QFETCH(int, box);
    clickFile("sizes.zpk");
    clickItem(list1(), 1);
    QCOMPARE(m_window->renderCount(), 2);
    // paint over the canvas behind the window's back: a render clears it
    zpk::testing::plotAt(const_cast<Surface&>(canvas()), 100, 100, 0x123456);
    colourBox(box)->setText("7");
    QCOMPARE(m_window->renderCount(), 3);
    QCOMPARE(px(100, 100), kWhite);
    verifyShows(sizesImages()[1], "the selected entry");
    colourBox(box)->setText("abc");  // not a number: a change all the same
    QCOMPARE(m_window->renderCount(), 4);
    colourBox(box)->clear();
    QCOMPARE(m_window->renderCount(), 5);
    colourBox(box)->setText("");  // no change
    QCOMPARE(m_window->renderCount(), 5);
}

void MainWindowTest::command1FromKeyboardRenders()
{
    clickFile("five.zpk");
    clickItem(list1(), 2);
    QCOMPARE(m_window->renderCount(), 2);
    activate();
    control<QWidget>("Picture1")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), command1());
    const_cast<Surface&>(canvas()).clear();
    QTest::keyClick(command1(), Qt::Key_Space);
    QCOMPARE(m_window->renderCount(), 3);
    verifyShows(fiveImages()[2], "entry 2 by the keyboard");
    QCOMPARE(QApplication::focusWidget(), list1());
    QVERIFY(command1()->isEnabled());
}

void MainWindowTest::checkBoxesDoNotRender()
{
    clickFile("five.zpk");
    const Snapshot before = snapshot();
    for (QCheckBox* box : {modeClear(), modeBack(), checkColor()}) {
        const QPoint indicator(6, box->height() / 2);
        for (int i = 0; i < 3; ++i) QTest::mouseClick(box, Qt::LeftButton, {}, indicator);
    }
    QVERIFY(!modeClear()->isChecked());
    QVERIFY(modeBack()->isChecked());
    QVERIFY(checkColor()->isChecked());
    QCOMPARE(m_window->renderCount(), before.renders);
    QVERIFY(snapshot().canvas == before.canvas);
}

void MainWindowTest::renderWithNoFileDrawsNothing()
{
    zpk::testing::plotAt(const_cast<Surface&>(canvas()), 5, 5, 0x00FF00);
    command1()->click();
    QCOMPARE(m_window->renderCount(), 1);
    QVERIFY(allWhite());  // cleared (mode_clear), nothing drawn
    modeClear()->setChecked(false);
    zpk::testing::plotAt(const_cast<Surface&>(canvas()), 5, 5, 0x00FF00);
    colourBox(2)->setText("9");
    QCOMPARE(m_window->renderCount(), 2);
    QCOMPARE(px(5, 5), Colour{0x00FF00});
    QVERIFY(command1()->isEnabled());
    QCOMPARE(list1()->count(), 0);
    QVERIFY(m_messages.isEmpty());
}

void MainWindowTest::busyGateDropsRequestsDuringRender()
{
    clickFile("five.zpk");
    QCOMPARE(m_window->renderCount(), 1);
    int probes = 0;
    bool disabledInside = false;
    auto probe = connect(m_window.get(), &MainWindow::renderStarted, [&] {
        ++probes;
        disabledInside = !command1()->isEnabled();
        command1()->click();          // a render request of its own
        list1()->setCurrentRow(3);    // a click in List1
        colourBox(1)->setText("12");  // an edit of each colour box
        colourBox(2)->setText("34");
        colourBox(3)->setText("56");
    });
    clickItem(list1(), 1);
    disconnect(probe);
    QCOMPARE(probes, 1);
    QVERIFY(disabledInside);
    QCOMPARE(m_window->renderCount(), 2);  // the requests inside were dropped
    QVERIFY(command1()->isEnabled());
    // the running render read the selection as it was when it decoded
    verifyShows(fiveImages()[3], "entry 3");
    // and the next request renders again
    colourBox(1)->setText("0");
    QCOMPARE(m_window->renderCount(), 3);
}

void MainWindowTest::loadDuringRenderRendersOnce()
{
    clickFile("five.zpk");
    int probes = 0;
    auto probe = connect(m_window.get(), &MainWindow::renderStarted, [&] {
        if (probes++ == 0) m_window->loadFile(path("three.zpk"));
    });
    clickItem(list1(), 4);
    disconnect(probe);
    QCOMPARE(probes, 1);  // the load's own request met the busy gate
    QCOMPARE(m_window->renderCount(), 2);
    QCOMPARE(list1()->count(), 3);
    // the render went on with the new file; its list has no selection
    verifyShows(threeImages()[0], "entry 0 of the file loaded inside");
}

void MainWindowTest::typing255RendersThreeTimes()
{
    clickFile("three.zpk");
    checkColor()->setChecked(true);
    activate();
    colourBox(1)->setFocus(Qt::TabFocusReason);
    colourBox(1)->selectAll();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    QCOMPARE(colourBox(1)->text(), QString());
    QCOMPARE(m_window->renderCount(), 2);
    QSignalSpy spy(m_window.get(), &MainWindow::rendered);
    // typed where the focus is, as the keyboard would
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_5);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_5);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(colourBox(1)->text(), QStringLiteral("255"));
    QCOMPARE(QApplication::focusWidget(), colourBox(1));
    // value 0 takes ramp entry 2: red 255 + 2 (taken as 255), green 2, blue 2
    QCOMPARE(px(1, 1), makeColour(255, 2, 2));
}

// --- drawing options -------------------------------------------------------------

void MainWindowTest::modeClearOffKeepsEarlierPixels()
{
    clickFile("sizes.zpk");
    verifyShows(sizesImages()[0], "the large image");
    modeClear()->setChecked(false);
    clickItem(list1(), 1);
    verifyShows(sizesImages()[1], "the small image");
    QCOMPARE(px(6, 6), colourOf(kRed));  // the large image around it
    QCOMPARE(px(20, 20), colourOf(kRed));
    QCOMPARE(px(21, 21), kWhite);
    modeClear()->setChecked(true);
    colourBox(1)->setText("1");  // render again, clearing first
    verifyShows(sizesImages()[1], "the small image alone");
    QCOMPARE(px(6, 6), kWhite);
    QCOMPARE(px(20, 20), kWhite);
}

void MainWindowTest::modeBackLeavesIndexZeroUntouched()
{
    clickFile("checker.zpk");
    verifyShows(checkerImages()[0], "the green square");
    modeClear()->setChecked(false);
    modeBack()->setChecked(true);
    clickItem(list1(), 1);
    for (int y = 1; y <= 4; ++y) {
        for (int x = 1; x <= 4; ++x) {
            // value 0 (even columns from 0, so odd canvas columns) is not drawn
            const Colour expected = (x - 1) % 2 == 0 ? colourOf(kGreen) : colourOf(kCyan);
            QCOMPARE(px(x, y), expected);
        }
    }
    modeBack()->setChecked(false);
    colourBox(1)->setText("1");
    verifyShows(checkerImages()[1], "the checker with value 0 drawn");
    QCOMPARE(px(1, 1), colourOf(kMagenta));

    // with the canvas cleared first, value 0 shows the white background
    modeBack()->setChecked(true);
    modeClear()->setChecked(true);
    colourBox(1)->setText("2");
    QCOMPARE(px(1, 1), kWhite);
    QCOMPARE(px(2, 1), colourOf(kCyan));
}

void MainWindowTest::earlierPaletteShowsThrough()
{
    // on a fresh palette, entry 6 was never filled: value 4 is black
    clickFile("alone.zpk");
    QCOMPARE(px(1, 1), makeColour(0x11, 0x22, 0x33));
    QCOMPARE(px(2, 1), Colour{0});

    // after an entry with six colours, value 4 shows that entry's colour
    clickFile("palette.zpk");
    QCOMPARE(px(5, 1), colourOf(kSix[4]));
    clickItem(list1(), 1);
    QCOMPARE(px(1, 1), makeColour(0x11, 0x22, 0x33));
    QCOMPARE(px(2, 1), colourOf(kSix[4]));
    QCOMPARE(px(3, 1), kWhite);
}

void MainWindowTest::userColourRamp()
{
    clickFile("ramp.zpk");
    QCOMPARE(px(1, 1), makeColour(1, 70, 90));  // value 255 in its stored colour
    clickItem(list1(), 1);
    verifyShows(stripedImage(3, 1, kFour), "the stored colours");

    checkColor()->setChecked(true);
    colourBox(3)->setText("0");  // unchanged text: no request
    colourBox(1)->setText("00");
    // boxes "00", "0", "0": value v takes grey v + 2
    QCOMPARE(px(1, 1), makeColour(2, 2, 2));
    QCOMPARE(px(2, 1), makeColour(3, 3, 3));
    QCOMPARE(px(3, 1), makeColour(4, 4, 4));
    colourBox(1)->setText("100");
    QCOMPARE(px(2, 1), makeColour(103, 3, 3));
    colourBox(3)->setText("-2");
    QCOMPARE(px(2, 1), makeColour(103, 3, 1));
    colourBox(2)->setText("abc");  // not a number: the stored colours stay
    verifyShows(stripedImage(3, 1, kFour), "the stored colours under a ramp that does not read");

    // the ramp fills entries 1 to 256; value 255 takes entry 257, which the
    // first entry filled earlier
    colourBox(2)->setText("0");
    clickItem(list1(), 2);
    QCOMPARE(px(1, 1), makeColour(1, 70, 90));
}

// --- load failures ---------------------------------------------------------------

void MainWindowTest::loadFailureKeepsEverything_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("throughDialog");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QString>("lastLine");
    QTest::newRow("missing") << "nothere.zpk" << true << QStringLiteral("파일을 열 수 없습니다.")
                             << QString();
    QTest::newRow("vanished from File1")
        << "gone.zpk" << false << QStringLiteral("파일을 열 수 없습니다.") << QString();
    QTest::newRow("folder") << "folder.zpk" << true << QStringLiteral("파일을 열 수 없습니다.") << QString();
    QTest::newRow("too short") << "short.zpk" << false << QStringLiteral("올바른 zpk 파일이 아닙니다.")
                               << QStringLiteral("파일 크기 10 바이트, 필요한 크기 29 바이트");
    QTest::newRow("size table cut short")
        << "cut.zpk" << false << QStringLiteral("올바른 zpk 파일이 아닙니다.")
        << QStringLiteral("파일 크기 31 바이트, 필요한 크기 38 바이트");
    QTest::newRow("2 GiB") << "huge.zpk" << true << QStringLiteral("파일이 너무 큽니다.") << QString();
}

void MainWindowTest::loadFailureKeepsEverything()
{
    QFETCH(QString, name);
    QFETCH(bool, throughDialog);
    QFETCH(QString, firstLine);
    QFETCH(QString, lastLine);

    if (name == "gone.zpk") {
        writeBytes(path(name), containerBytes(containerOf(threeImages())));
        QTRY_VERIFY(file1()->fileNames().contains(name));
    }
    if (name == "huge.zpk") {
        QFile huge(path(name));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        if (!huge.resize(qint64{1} << 31)) QSKIP("no room for a sparse 2 GiB file here");
    }

    clickFile("five.zpk");
    clickItem(list1(), 2);
    checkColor()->setChecked(false);
    const Snapshot before = snapshot();
    QCOMPARE(before.renders, 2);

    if (name == "gone.zpk") {
        // removed while the list still shows it
        const auto row = static_cast<int>(file1()->fileNames().indexOf(name));
        QVERIFY(QFile::remove(path(name)));
        file1()->setCurrentRow(row);
    } else if (throughDialog) {
        m_choice = path(name);
        QTest::mouseClick(command2(), Qt::LeftButton);
    } else {
        clickFile(name);
    }

    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages.first().title, QStringLiteral("Dovenrill의Marbeck Glintmoor"));
    const QStringList lines = m_messages.first().text.split('\n');
    QCOMPARE(lines.value(0), firstLine);
    QCOMPARE(lines.value(1), path(name));
    if (!lastLine.isEmpty()) QCOMPARE(lines.value(lines.size() - 1), lastLine);
    else if (name != "huge.zpk") QCOMPARE(lines.size(), 3);  // the system's reason

    const Snapshot after = snapshot();
    QCOMPARE(after.list, before.list);
    QCOMPARE(after.selectedRows, before.selectedRows);
    QVERIFY(after.canvas == before.canvas);
    QVERIFY(after.palette == before.palette);
    QCOMPARE(after.filePath, before.filePath);
    QCOMPARE(after.fileLength, before.fileLength);
    QCOMPARE(after.renders, before.renders);
    QVERIFY(m_window->isVisible());

    // the file loaded before is still the one drawn
    const_cast<Surface&>(canvas()).clear();
    colourBox(1)->setText("5");
    verifyShows(fiveImages()[2], "entry 2 of the file kept");
    if (name == "huge.zpk") QFile::remove(path(name));
}

// --- the canvas on screen --------------------------------------------------------

void MainWindowTest::canvasKeepsPixelsAfterRepaint()
{
    clickFile("five.zpk");
    modeClear()->setChecked(false);
    clickItem(list1(), 2);
    auto* picture = control<PictureCanvas>("Picture1");
    picture->repaint();
    const QImage shown = picture->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), QSize(377, 449));
    for (int y = 0; y < shown.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        for (int x = 0; x < shown.width(); ++x) {
            const Colour onScreen = makeColour(qRed(line[x]), qGreen(line[x]), qBlue(line[x]));
            if (onScreen != px(x, y))
                QFAIL(qPrintable(QStringLiteral("screen pixel (%1, %2) differs").arg(x).arg(y)));
        }
    }
    QCOMPARE(QColor(shown.pixel(1, 1)), QColor(qRgb(1, 2, 3)));  // entry 2: value 0 at (0, 0)
    QCOMPARE(QColor(shown.pixel(10, 8)), QColor::fromRgb(toArgb(colourAt(fiveImages()[0], 9, 7))));
    QCOMPARE(QColor(shown.pixel(200, 200)), QColor(Qt::white));
}

// --- wait -------------------------------------------------------------------------

void MainWindowTest::waitZeroOrLessHandlesNoEvent()
{
    bool handled = false;
    QTimer::singleShot(0, m_window.get(), [&] { handled = true; });
    m_window->wait(0.0f);
    QVERIFY(!handled);
    m_window->wait(-1.5f);
    QVERIFY(!handled);
    m_window->wait(-0.0f);
    QVERIFY(!handled);
    QTRY_VERIFY(handled);
}

void MainWindowTest::waitHandlesEventsWhileWaiting()
{
    bool handled = false;
    clickFile("five.zpk");
    QTimer::singleShot(10, m_window.get(), [&] {
        handled = true;
        colourBox(1)->setText("3");  // a render request while waiting
    });
    QElapsedTimer clock;
    clock.start();
    m_window->wait(0.15f);
    QVERIFY(clock.elapsed() >= 150);
    QVERIFY(handled);
    QCOMPARE(m_window->renderCount(), 2);
}

void MainWindowTest::waitRejectsNanAndInfinity()
{
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, m_window->wait(std::numeric_limits<float>::quiet_NaN()));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, m_window->wait(std::numeric_limits<float>::infinity()));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, m_window->wait(-std::numeric_limits<float>::infinity()));
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
