// The viewer on a desktop: the loaded file stays visible (File1's selection,
// the canvas's tooltip), its keys, names that are not UTF-8, a File1 that
// stays calm while other files change, remembered places, the pinned style,
// accessible names and the inspector on screen and by keyboard.
#include "ScriptedDialogs.h"
#include "TestContainers.h"

#include "window/FileListBox.h"
#include "window/MainWindow.h"
#include "window/PictureCanvas.h"
#include "window/RecentPlaces.h"
#include "window/WindowPlacement.h"
#include "window/dialogs/WindowDialogs.h"
#include "window/gallery/GalleryWindow.h"
#include "window/inspector/InspectorWindow.h"
#include "window/inspector/PalettePanel.h"
#include "window/menu/CanvasMenu.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cmath>
#include <fstream>
#include <thread>
#include <tuple>

#include <ctime>

using namespace zpk;
using namespace zpk::windowtest;

namespace {

const std::vector<Rgb> kTwo = {{10, 20, 30}, {200, 100, 50}};

Bytes smallContainer(int width, int height)
{
    return containerBytes(
        ContainerBuilder().entry(stripedImage(width, height, kTwo)).entry(solidImage(3, 3, {1, 2, 3})));
}

double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void touch(const QByteArray& path)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << 'x';
}

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startFileFromAnotherFolderIsSelected();
    void loadsElsewhereClearTheSelection();
    void failedLoadSelectsTheLoadedFileAgain();
    void fileWrittenAMomentAgoIsSelectedWhenLoaded();
    void canvasToolTipAndTitleNameFileAndRow();
    void nonUtf8NameIsListedAndOpened();
    void unrelatedChangesCostNoRefresh();

    void shortcutsWork();
    void menuKeysOpenTheCanvasMenu();
    void recentFilesAndPlacesAreRemembered();
    void fileLoadedAsTheWindowOpensIsRemembered();

    void styleIsPinnedAndControlsAreDescribed();
    void commandLineNeedsNoDisplay();
    void inspectorOpensOnScreenAndWalksThePalette();
    void textReadsOnEveryControl_data();
    void textReadsOnEveryControl();
    void windowsOpenOnTheAvailableArea_data();
    void windowsOpenOnTheAvailableArea();
    void otherWindowsOpenBesideTheMainWindow_data();
    void otherWindowsOpenBesideTheMainWindow();

private:
    QByteArray path(const char* name) const { return QFile::encodeName(m_dir->path()) + '/' + name; }
    void makeWindow(const QByteArray& folder);
    void activate();
    FileListBox* file1() const { return m_window->findChild<FileListBox*>(QStringLiteral("File1")); }
    QStringList selectedFiles() const
    {
        QStringList names;
        for (QListWidgetItem* item : file1()->selectedItems()) names.append(item->text());
        return names;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<MainWindow> m_window;
    std::shared_ptr<ScriptedDialogs> m_dialogs;
};

void DesktopTest::initTestCase()
{
    // what the viewer remembers goes to a folder of the test's own
    m_config = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config->path());
}

void DesktopTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QDir(m_dir->path()).mkpath(QStringLiteral("here"));
    QDir(m_dir->path()).mkpath(QStringLiteral("there"));
    writeBytes(QString::fromUtf8(path("here/a.zpk")), smallContainer(6, 4));
    writeBytes(QString::fromUtf8(path("here/b.zpk")), smallContainer(5, 2));
    writeBytes(QString::fromUtf8(path("there/c.zpk")), smallContainer(4, 4));
    QFile bad(QString::fromUtf8(path("here/bad.zpk")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("xy");  // too short to be a container
    bad.close();
    RecentPlaces().clearFiles();
}

void DesktopTest::cleanup()
{
    QApplication::setPalette(QPalette());
    m_window.reset();
    m_dir.reset();
}

void DesktopTest::makeWindow(const QByteArray& folder)
{
    m_window = std::make_unique<MainWindow>(FolderPath{folder});
    m_dialogs = std::make_shared<ScriptedDialogs>();
    m_window->setDialogs(m_dialogs);
}

void DesktopTest::activate()
{
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

// --- the loaded file is visible --------------------------------------------

void DesktopTest::startFileFromAnotherFolderIsSelected()
{
    // as `zpkview DIR/here/b.zpk` started in another folder does it
    const QByteArray start = path("here/b.zpk");
    makeWindow(FileListBox::folderOf(start));
    m_window->loadPath(start);
    QCOMPARE(file1()->fileNames(), (QStringList{"a.zpk", "b.zpk", "bad.zpk"}));
    QCOMPARE(selectedFiles(), QStringList{"b.zpk"});
    QVERIFY(m_window->drawnEntry() != nullptr);
    // a bare name lies in the working folder
    QCOMPARE(FileListBox::folderOf("b.zpk"), QByteArray("."));
    QCOMPARE(FileListBox::folderOf("/b.zpk"), QByteArray("/"));
}

void DesktopTest::loadsElsewhereClearTheSelection()
{
    makeWindow(path("here"));
    m_window->loadPath(path("here/a.zpk"));
    QCOMPARE(selectedFiles(), QStringList{"a.zpk"});
    // a file of another folder: File1 stays on its folder, with no row marked
    m_window->loadPath(path("there/c.zpk"));
    QCOMPARE(m_window->folder(), QString::fromUtf8(path("here")));
    QVERIFY(selectedFiles().isEmpty());
    // the same folder by another spelling still finds the row
    m_window->loadPath(path("there/../here/b.zpk"));
    QCOMPARE(selectedFiles(), QStringList{"b.zpk"});
}

void DesktopTest::failedLoadSelectsTheLoadedFileAgain()
{
    makeWindow(path("here"));
    m_window->loadPath(path("here/a.zpk"));
    const int renders = m_window->renderCount();
    // a click on the bad file: the load fails, a.zpk stays loaded and marked
    const int badRow = static_cast<int>(file1()->fileNames().indexOf("bad.zpk"));
    file1()->setCurrentRow(badRow);
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(selectedFiles(), QStringList{"a.zpk"});
    QCOMPARE(m_window->renderCount(), renders);
    QCOMPARE(QByteArray::fromStdString(m_window->state().file.filePath), path("here/a.zpk"));
}

void DesktopTest::fileWrittenAMomentAgoIsSelectedWhenLoaded()
{
    // as a file saved under a new name is loaded before File1 hears of it
    makeWindow(path("here"));
    writeBytes(QString::fromUtf8(path("here/new.zpk")), smallContainer(2, 2));
    m_window->loadPath(path("here/new.zpk"));
    QCOMPARE(selectedFiles(), QStringList{"new.zpk"});
    // and it stays selected as the folder changes around it
    writeBytes(QString::fromUtf8(path("here/0.zpk")), smallContainer(2, 2));
    file1()->refresh();
    QCOMPARE(selectedFiles(), QStringList{"new.zpk"});
}

void DesktopTest::canvasToolTipAndTitleNameFileAndRow()
{
    makeWindow(path("here"));
    const QString caption = MainWindow::caption();
    QCOMPARE(m_window->windowTitle(), caption);
    QWidget* canvas = m_window->findChild<PictureCanvas*>(QStringLiteral("Picture1"));
    QVERIFY(canvas->toolTip().isEmpty());
    m_window->loadPath(path("here/a.zpk"));
    QCOMPARE(canvas->toolTip(), QStringLiteral("a.zpk, 항목 0, 6 x 4"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("a.zpk (항목 0) — ") + caption);
    auto* list1 = m_window->findChild<QListWidget*>(QStringLiteral("List1"));
    list1->setCurrentRow(1);
    QCOMPARE(canvas->toolTip(), QStringLiteral("a.zpk, 항목 1, 3 x 3"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("a.zpk (항목 1) — ") + caption);
    // a failed load leaves the title with the file still loaded
    m_window->loadPath(path("here/bad.zpk"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("a.zpk (항목 1) — ") + caption);
    m_window->canvasMenu()->openInspector();
    QVERIFY(m_window->canvasMenu()->inspector()->windowTitle().contains(QStringLiteral("a.zpk, 항목 1")));
}

// --- names as bytes and a calm File1 ------------------------------------------

void DesktopTest::nonUtf8NameIsListedAndOpened()
{
    // "그림" in EUC-KR: not valid UTF-8
    const QByteArray name("\xb1\xd7\xb8\xb2.zpk");
    const QByteArray full = path("here/") + name;
    {
        std::ofstream out(full.toStdString(), std::ios::binary);
        const Bytes bytes = smallContainer(2, 2);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    makeWindow(path("here"));
    QVERIFY(file1()->fileNameBytes().contains(name));
    const int row = static_cast<int>(file1()->fileNameBytes().indexOf(name));
    file1()->setCurrentRow(row);
    QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->messages.join('\n')));
    QCOMPARE(QByteArray::fromStdString(m_window->state().file.filePath), full);
    QCOMPARE(m_window->drawnEntry()->image.imageWidth, 2);
    m_window.reset();
    std::remove(full.constData());  // a name QTemporaryDir cannot spell
}

void DesktopTest::unrelatedChangesCostNoRefresh()
{
    const QByteArray folder = path("here");
    for (int i = 0; i < 2000; ++i) touch(folder + "/filler" + QByteArray::number(i) + ".txt");
    makeWindow(folder);
    const int reads = file1()->readCount();

    // 1,000 changes to other files while the GUI thread waits for events
    std::atomic<bool> done = false;
    QEventLoop loop;
    const double cpuBefore = threadSeconds();
    QElapsedTimer wall;
    wall.start();
    std::thread changer([&] {
        for (int i = 0; i < 1000; ++i) {
            const QByteArray name = folder + "/note" + QByteArray::number(i % 10) + ".txt";
            if (i % 2 == 0) touch(name);
            else std::remove(name.constData());
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    changer.join();
    QTest::qWait(250);  // past the refresh delay: a refresh would have come
    const double cpu = threadSeconds() - cpuBefore;
    const double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;
    QVERIFY(done);
    QCOMPARE(file1()->readCount(), reads);
    QVERIFY2(cpu < 0.05 * elapsed,
             qPrintable(QStringLiteral("GUI thread busy %1 s of %2 s").arg(cpu).arg(elapsed)));

    // a container coming and going is seen, in one read for a burst
    touch(folder + "/new.ZPK");
    touch(folder + "/new2.zpk");
    QTRY_VERIFY(file1()->fileNames().contains("new.ZPK") && file1()->fileNames().contains("new2.zpk"));
    QCOMPARE(file1()->readCount(), reads + 1);
    std::remove((folder + "/new.ZPK").constData());
    QTRY_VERIFY(!file1()->fileNames().contains("new.ZPK"));
}

// --- keys -------------------------------------------------------------------

void DesktopTest::shortcutsWork()
{
    makeWindow(path("here"));
    activate();
    auto* list1 = m_window->findChild<QListWidget*>(QStringLiteral("List1"));

    // Ctrl+O: the open dialog, as Command2
    int opened = 0;
    m_dialogs->onChooseFile = [&](const QString&) -> std::optional<QString> {
        ++opened;
        return QString::fromUtf8(path("here/a.zpk"));
    };
    QTest::keyClick(list1, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(opened, 1);
    QVERIFY(m_window->drawnEntry() != nullptr);

    // Ctrl+S: the save dialog, from whichever control has the focus
    int saves = 0;
    m_dialogs->onChooseSavePath = [&](const QString&) -> std::optional<QString> {
        ++saves;
        return std::nullopt;
    };
    QTest::keyClick(list1, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(file1(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(saves, 2);

    // Ctrl+Shift+C anywhere, Ctrl+C on the canvas: the image on the clipboard
    QApplication::clipboard()->clear();
    QTest::keyClick(list1, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::clipboard()->image().size(), QSize(6, 4));
    QApplication::clipboard()->clear();
    auto* canvas = m_window->findChild<PictureCanvas*>(QStringLiteral("Picture1"));
    canvas->setFocus();
    QTest::keyClick(canvas, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->image().size(), QSize(6, 4));

    // Ctrl+E: the export folder dialog; Ctrl+I: the inspector
    int exports = 0;
    m_dialogs->onChooseExportFolder = [&](const QString&) -> std::optional<QString> {
        ++exports;
        return std::nullopt;
    };
    QTest::keyClick(list1, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(exports, 1);
    QTest::keyClick(list1, Qt::Key_I, Qt::ControlModifier);
    QVERIFY(m_window->canvasMenu()->inspector() != nullptr);
    QVERIFY(m_window->canvasMenu()->inspector()->isVisible());
    m_window->canvasMenu()->inspector()->close();
    activate();

    // F1: the short help, with the version and the libraries
    QTest::keyClick(list1, Qt::Key_F1);
    QCOMPARE(m_dialogs->infos.size(), 1);
    QVERIFY(m_dialogs->infos.first().contains(QStringLiteral("MIT")));
    QVERIFY(m_dialogs->infos.first().contains(QStringLiteral("libspng")));

    // Ctrl+Q ends the window
    QTest::keyClick(list1, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!m_window->isVisible());
}

void DesktopTest::menuKeysOpenTheCanvasMenu()
{
    makeWindow(path("here"));
    m_window->loadPath(path("here/a.zpk"));
    activate();
    QMenu* menu = m_window->canvasMenu();
    auto* list1 = m_window->findChild<QListWidget*>(QStringLiteral("List1"));

    QTest::keyClick(list1, Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();

    // the menu key, as the platform sends it: a context menu event from the keyboard
    QContextMenuEvent fromKey(QContextMenuEvent::Keyboard, QPoint(4, 4), list1->mapToGlobal(QPoint(4, 4)));
    QCoreApplication::sendEvent(list1->viewport(), &fromKey);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();

    // in a colour box the key keeps the box's own menu
    auto* color1 = m_window->findChild<QLineEdit*>(QStringLiteral("color1"));
    color1->setFocus();
    QTimer::singleShot(0, [] {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    });
    QTest::keyClick(color1, Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY(!menu->isVisible());
}

void DesktopTest::recentFilesAndPlacesAreRemembered()
{
    makeWindow(path("here"));
    m_window->loadPath(path("here/a.zpk"));
    m_window->loadPath(path("there/c.zpk"));
    m_window->loadPath(path("here/bad.zpk"));  // a failed load is not recent
    m_window->loadPath(path("here/a.zpk"));

    RecentPlaces places;
    QCOMPARE(places.files(), (QList<QByteArray>{path("here/a.zpk"), path("there/c.zpk")}));
    for (int i = 0; i < RecentPlaces::kMaxFiles + 3; ++i) places.addFile(path("x") + QByteArray::number(i));
    QCOMPARE(places.files().size(), RecentPlaces::kMaxFiles);
    QCOMPARE(places.files().first(), path("x") + QByteArray::number(RecentPlaces::kMaxFiles + 2));
    places.clearFiles();
    places.addFile(path("there/c.zpk"));

    // the submenu lists them and loads one again
    QMenu* recent = m_window->canvasMenu()->recentMenu();
    emit recent->aboutToShow();
    QAction* first = recent->actions().first();
    QVERIFY(first->text().contains(QStringLiteral("c.zpk")));
    first->trigger();
    QCOMPARE(QByteArray::fromStdString(m_window->state().file.filePath), path("there/c.zpk"));

    // the open dialog starts where it was used last, and offers the recent folders
    QString startedIn;
    m_dialogs->onChooseFile = [&](const QString& folder) -> std::optional<QString> {
        startedIn = folder;
        return QString::fromUtf8(path("there/c.zpk"));
    };
    m_window->openFileDialog();
    QCOMPARE(startedIn, QString::fromUtf8(path("here")));
    m_window->openFileDialog();
    QCOMPARE(startedIn, QString::fromUtf8(path("there")));
    const auto dialog =
        QtDialogs::makeOpenDialog(nullptr, QString::fromUtf8(path("here")), places.fileFolders());
    QVERIFY(dialog->history().contains(QString::fromUtf8(path("there"))));
}

void DesktopTest::fileLoadedAsTheWindowOpensIsRemembered()
{
    // held until the window's first paint, but written before anything
    // reads the recent files, and when the window goes first
    makeWindow(path("here"));
    m_window->show();
    m_window->loadPath(path("here/a.zpk"));
    QCOMPARE(m_window->places().files(), QList<QByteArray>{path("here/a.zpk")});
    m_window->loadPath(path("here/b.zpk"));
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTRY_COMPARE(RecentPlaces().files(), (QList<QByteArray>{path("here/b.zpk"), path("here/a.zpk")}));

    makeWindow(path("here"));
    m_window->show();
    m_window->loadPath(path("there/c.zpk"));
    m_window.reset();
    QCOMPARE(RecentPlaces().files().first(), path("there/c.zpk"));
}

// --- style, accessibility, the inspector -------------------------------------------

void DesktopTest::styleIsPinnedAndControlsAreDescribed()
{
    // the user's style does not reach the fixed layout
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    makeWindow(path("here"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    for (QWidget* w : m_window->findChildren<QWidget*>()) {
        if (w->isWindow()) continue;
        // Fusion, its list frames drawn to whole device pixels
        const auto* frames = qobject_cast<QProxyStyle*>(w->style());
        QVERIFY(frames != nullptr);
        QCOMPARE(frames->baseStyle()->name().toLower(), QStringLiteral("fusion"));
    }
    for (const char* name : {"Picture1", "Command1", "Command2", "List1", "mode_clear", "mode_back",
                             "check_color", "color1", "color2", "color3", "File1"}) {
        auto* w = m_window->findChild<QWidget*>(QLatin1String(name));
        QVERIFY2(w != nullptr, name);
        QVERIFY2(!w->accessibleName().isEmpty(), name);
        QVERIFY2(!w->accessibleDescription().isEmpty(), name);
    }
}

void DesktopTest::inspectorOpensOnScreenAndWalksThePalette()
{
    makeWindow(path("here"));
    m_window->loadPath(path("here/a.zpk"));
    const QRect area = m_window->screen()->availableGeometry();
    m_window->move(area.right() - m_window->width() - 10, area.top());
    m_window->show();
    InspectorWindow* detail = m_window->canvasMenu()->openInspector();
    QVERIFY2(area.contains(detail->geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4 outside %5x%6")
                                                               .arg(detail->x())
                                                               .arg(detail->y())
                                                               .arg(detail->width())
                                                               .arg(detail->height())
                                                               .arg(area.width())
                                                               .arg(area.height()) +
                                                           QStringLiteral(" at %1,%2 frame %3,%4")
                                                               .arg(area.x())
                                                               .arg(area.y())
                                                               .arg(detail->frameGeometry().width())
                                                               .arg(detail->frameGeometry().height())));

    auto* panel = detail->findChild<PalettePanel*>(QStringLiteral("inspectorPalette"));
    auto* status = detail->findChild<QLabel*>(QStringLiteral("status"));
    QCOMPARE(panel->focusPolicy(), Qt::StrongFocus);
    QSignalSpy hovered(panel, &PalettePanel::hoveredValue);
    QTest::keyClick(panel, Qt::Key_Right);  // the first key shows where it starts
    QTest::keyClick(panel, Qt::Key_Right);
    QTest::keyClick(panel, Qt::Key_Down);
    QCOMPARE(panel->hovered(), 17);
    QCOMPARE(hovered.size(), 3);
    QVERIFY(!status->text().isEmpty());
    QTest::keyClick(panel, Qt::Key_End);
    QCOMPARE(panel->hovered(), 255);
    QTest::keyClick(panel, Qt::Key_Down);  // the edge holds
    QCOMPARE(panel->hovered(), 255);
}

void DesktopTest::commandLineNeedsNoDisplay()
{
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        bare.remove(QLatin1String(name));
    const auto run = [&](const QStringList& arguments) {
        QProcess viewer;
        viewer.setProcessEnvironment(bare);
        viewer.start(QStringLiteral(ZPKVIEW_BINARY), arguments);
        if (!viewer.waitForFinished(10000)) {
            viewer.kill();
            viewer.waitForFinished();
        }
        return std::make_tuple(viewer.exitStatus() == QProcess::NormalExit ? viewer.exitCode() : -1,
                               QString::fromUtf8(viewer.readAllStandardOutput()),
                               QString::fromUtf8(viewer.readAllStandardError()));
    };
    const auto [helpStatus, help, helpErrors] = run({QStringLiteral("--help")});
    QCOMPARE(helpStatus, 0);
    QVERIFY2(help.startsWith(QStringLiteral("Usage: zpkview [options] [file]\n")), qPrintable(help));
    QVERIFY(help.contains(QStringLiteral("--lang")));
    // Qt's own options stand beside the program's, in each of their spellings
    for (const QStringList& start :
         {QStringList{QStringLiteral("--version")},
          QStringList{QStringLiteral("-style"), QStringLiteral("Fusion"), QStringLiteral("--version")},
          QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--version")},
          QStringList{QStringLiteral("--style=Fusion"), QStringLiteral("-reverse"), QStringLiteral("-v")},
          QStringList{QStringLiteral("-qwindowgeometry"), QStringLiteral("10x10+0+0"),
                      QStringLiteral("--version")}}) {
        const auto [status, version, errors] = run(start);
        QCOMPARE(status, 0);
        QVERIFY2(version.startsWith(QStringLiteral("zpkview ")), qPrintable(start.join(' ') + errors));
    }
    // every usage error exits 2, naming the program and not its path
    for (const QStringList& wrong :
         {QStringList{QStringLiteral("--no-such-option")},
          QStringList{QStringLiteral("a.zpk"), QStringLiteral("b.zpk")},
          QStringList{QStringLiteral("--lang"), QStringLiteral("fr")}, QStringList{QStringLiteral("-style")},
          QStringList{QStringLiteral("-platform=offscreen")}}) {
        const auto [status, out, errors] = run(wrong);
        QCOMPARE(status, 2);
        QVERIFY2(errors.startsWith(QStringLiteral("zpkview: ")), qPrintable(errors));
        QVERIFY(errors.contains(QStringLiteral("Usage: zpkview ")));
    }
}

QTEST_MAIN(DesktopTest)
// --- colours and where the windows open --------------------------------------

namespace {

// WCAG's contrast of two colours.
double contrastOf(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return std::max(la, lb) / std::min(la, lb);
}

// A dark desktop: light text on dark grey, white names on a bright blue selection.
QPalette darkPalette()
{
    QPalette p(QColor(239, 240, 241), QColor(49, 54, 59), QColor(70, 76, 82), QColor(20, 22, 24),
               QColor(40, 44, 48), QColor(239, 240, 241), QColor(239, 240, 241), QColor(35, 38, 41),
               QColor(49, 54, 59));
    p.setColor(QPalette::Highlight, QColor(61, 174, 233));
    p.setColor(QPalette::HighlightedText, QColor(239, 240, 241));
    return p;
}

}  // namespace

void DesktopTest::textReadsOnEveryControl_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("dark") << darkPalette();
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    QTest::newRow("light, Fusion's") << fusion->standardPalette();
}

void DesktopTest::textReadsOnEveryControl()
{
    QFETCH(QPalette, palette);
    QApplication::setPalette(palette);
    makeWindow(path("here"));
    const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {
        {QPalette::Text, QPalette::Base},
        {QPalette::WindowText, QPalette::Window},
        {QPalette::ButtonText, QPalette::Button},
        {QPalette::HighlightedText, QPalette::Highlight},
    };
    for (const char* name :
         {"Command2", "List1", "mode_clear", "mode_back", "check_color", "color1", "File1"}) {
        const QPalette shown = m_window->findChild<QWidget*>(QLatin1String(name))->palette();
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            for (const auto& [text, back] : pairs) {
                const double contrast = contrastOf(shown.color(group, text), shown.color(group, back));
                QVERIFY2(contrast >= 4.5, qPrintable(QStringLiteral("%1, group %2, roles %3 on %4: %5:1")
                                                         .arg(QLatin1String(name))
                                                         .arg(group)
                                                         .arg(text)
                                                         .arg(back)
                                                         .arg(contrast)));
            }
    }
}

void DesktopTest::windowsOpenOnTheAvailableArea_data()
{
    // on the offscreen screen, 800 x 800; no frame
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QPoint>("opensAt");
    QTest::newRow("fits where it is") << QRect(100, 80, 300, 200) << QPoint(100, 80);
    QTest::newRow("past the bottom right") << QRect(600, 700, 300, 200) << QPoint(500, 600);
    QTest::newRow("above and left") << QRect(-40, -30, 300, 200) << QPoint(0, 0);
    QTest::newRow("taller than the area") << QRect(400, 300, 300, 900) << QPoint(0, 0);
    QTest::newRow("wider than the area") << QRect(10, 10, 900, 200) << QPoint(0, 0);
}

void DesktopTest::windowsOpenOnTheAvailableArea()
{
    QFETCH(QRect, geometry);
    QFETCH(QPoint, opensAt);
    QWidget window;
    window.setGeometry(geometry);
    keepOnScreen(window);
    QCOMPARE(window.pos(), opensAt);

    // the main window, never moved, opens centred
    makeWindow(path("here"));
    QCOMPARE(m_window->frameGeometry().center(), m_window->screen()->availableGeometry().center());
}

void DesktopTest::otherWindowsOpenBesideTheMainWindow_data()
{
    // a main window 574 wide on the 800 x 800 screen, another window of
    // 200 x 150, no narrower than `narrowest`
    QTest::addColumn<int>("mainLeft");
    QTest::addColumn<bool>("leftFirst");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("narrowest");
    QTest::addColumn<QRect>("placed");
    QTest::newRow("right") << 0 << false << 200 << 100 << QRect(582, 0, 200, 150);
    QTest::newRow("left first") << 226 << true << 200 << 100 << QRect(18, 0, 200, 150);
    QTest::newRow("no room right: left") << 226 << false << 200 << 100 << QRect(18, 0, 200, 150);
    QTest::newRow("narrowed to the room") << 0 << true << 300 << 100 << QRect(582, 0, 218, 150);
    QTest::newRow("roomier side, narrowed") << 120 << false << 300 << 100 << QRect(0, 0, 112, 150);
    QTest::newRow("no room anywhere: over it") << 120 << false << 300 << 200 << QRect(0, 0, 300, 150);
}

void DesktopTest::otherWindowsOpenBesideTheMainWindow()
{
    QFETCH(int, mainLeft);
    QFETCH(bool, leftFirst);
    QFETCH(int, width);
    QFETCH(int, narrowest);
    QFETCH(QRect, placed);
    QWidget main;
    main.setGeometry(mainLeft, 0, 574, 473);
    QWidget other;
    other.setMinimumWidth(narrowest);
    other.resize(width, 150);
    placeBeside(other, main, leftFirst ? Beside::LeftElseRight : Beside::Right);
    QCOMPARE(other.geometry(), placed);
}

#include "DesktopTest.moc"
