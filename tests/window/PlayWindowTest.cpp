// The player ("재생"): the frames are the rows with a picture, each the
// picture `zpk export` writes; the keys, the two ways of playing, the range,
// the main window's loads and options it follows, and "GIF로 저장…", which
// writes the bytes of the library's GIF.
#include "ScriptedDialogs.h"
#include "TestContainers.h"

#include "export/EntryExport.h"
#include "export/GifExport.h"
#include "window/DrawnEntry.h"
#include "window/MainWindow.h"
#include "window/gallery/GalleryWindow.h"
#include "window/menu/CanvasMenu.h"
#include "window/play/PlayWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QShortcut>
#include <QTemporaryDir>
#include <QtTest>

using namespace zpk;
using namespace zpk::windowtest;

namespace {

constexpr int kPatience = 30000;

// Rows 0 to 5: four sprites, row 2 without a picture (0 x 4) between them.
Bytes fiveFrames()
{
    return containerBytes(ContainerBuilder()
                              .entry(spriteImage(20, 16, 1))
                              .entry(spriteImage(24, 12, 2))
                              .entry({0, 4, threeColours(), {}})
                              .entry(framedImage())
                              .entry(spriteImage(8, 30, 4)));
}

QImage exported(const ContainerFile& file, int row, const PictureOptions& options)
{
    const auto picture = exportPicture(file, row, options);
    return picture ? toQImage(*picture) : QImage();
}

}  // namespace

class PlayWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensFromMenuAndKeys();
    void everyFrameIsTheExportPicture();
    void playsInALoopOrBackAndForth_data();
    void playsInALoopOrBackAndForth();
    void rangeComesFromTheGallerySelection();
    void followsLoadsAndOptions();
    void savesTheGifTheLibraryWrites();

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    PlayWindow* playerOn(const QString& name);
    // Waits until frame `frame` is on show.
    static bool shows(PlayWindow* player, int frame);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindow> m_window;
    std::shared_ptr<ScriptedDialogs> m_dialogs;
};

void PlayWindowTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    writeBytes(path("five.zpk"), fiveFrames());
    writeBytes(path("three.zpk"), containerBytes(containerOf({spriteImage(10, 10, 7), spriteImage(12, 10, 8),
                                                              spriteImage(10, 14, 9)})));
    m_window = std::make_unique<MainWindow>(m_dir->path());
    m_dialogs = std::make_shared<ScriptedDialogs>();
    m_window->setDialogs(m_dialogs);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void PlayWindowTest::cleanup()
{
    if (m_dialogs) QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->messages.join(u'\n')));
    m_window.reset();
    m_dir.reset();
}

bool PlayWindowTest::shows(PlayWindow* player, int frame)
{
    return QTest::qWaitFor(
        [&] {
            return player->frame() == frame &&
                   player->shownRow() == player->frames()[static_cast<std::size_t>(frame)];
        },
        kPatience);
}

PlayWindow* PlayWindowTest::playerOn(const QString& name)
{
    m_window->loadFile(path(name));
    PlayWindow* player = m_window->canvasMenu()->openPlayer();
    if (!QTest::qWaitForWindowActive(player)) return nullptr;
    if (!QTest::qWaitFor([player] { return !player->frames().empty() && player->shownRow() >= 0; },
                         kPatience))
        return nullptr;
    return player;
}

void PlayWindowTest::opensFromMenuAndKeys()
{
    auto* action = m_window->findChild<QAction*>(QStringLiteral("play"));
    QVERIFY(action != nullptr);
    QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    QVERIFY(!action->isEnabled());  // nothing to play yet

    m_window->loadFile(path("five.zpk"));
    QVERIFY(action->isEnabled());
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_P, Qt::ControlModifier);
    PlayWindow* player = m_window->canvasMenu()->player();
    QVERIFY(player != nullptr);
    QTRY_VERIFY(player->isVisible());
    QCOMPARE(player->windowTitle(), QStringLiteral("재생 - five.zpk"));
    // the row without a picture is left out, as `zpk gif` leaves it out
    QTRY_COMPARE(player->frames(), (std::vector<int>{0, 1, 3, 4}));

    // Ctrl+W closes it and lets go of its frames
    QTRY_VERIFY(QApplication::activeWindow() == player);
    QTest::keyClick(player, Qt::Key_W, Qt::ControlModifier);
    QTRY_VERIFY(!player->isVisible());
    QVERIFY(player->frames().empty());
    QVERIFY(player->shownImage().isNull());
}

void PlayWindowTest::everyFrameIsTheExportPicture()
{
    PlayWindow* player = playerOn(QStringLiteral("five.zpk"));
    QVERIFY(player != nullptr);
    const ContainerFile& file = m_window->state().file;
    const PictureOptions options = m_window->pictureOptions();
    // Right steps on, around the end; Left back; Home and End to the ends
    const std::pair<Qt::Key, int> keys[] = {{Qt::Key_Right, 1}, {Qt::Key_Right, 2}, {Qt::Key_Right, 3},
                                            {Qt::Key_Right, 0}, {Qt::Key_Left, 3},  {Qt::Key_Home, 0},
                                            {Qt::Key_End, 3}};
    for (const auto& [key, frame] : keys) {
        QTest::keyClick(player, key);
        QVERIFY(!player->isPlaying());
        QVERIFY2(shows(player, frame), qPrintable(QStringLiteral("frame %1").arg(frame)));
        const int row = player->frames()[static_cast<std::size_t>(frame)];
        QCOMPARE(player->shownImage().convertToFormat(QImage::Format_RGBA8888), exported(file, row, options));
    }
    QVERIFY(player->statusText().isEmpty());
}

void PlayWindowTest::playsInALoopOrBackAndForth_data()
{
    QTest::addColumn<PlayWindow::Mode>("mode");
    QTest::addColumn<std::vector<int>>("expected");
    QTest::newRow("loop") << PlayWindow::Mode::Loop << std::vector<int>{0, 1, 2, 3, 0, 1, 2, 3, 0};
    QTest::newRow("back and forth") << PlayWindow::Mode::PingPong
                                    << std::vector<int>{0, 1, 2, 3, 2, 1, 0, 1, 2};
}

void PlayWindowTest::playsInALoopOrBackAndForth()
{
    QFETCH(PlayWindow::Mode, mode);
    QFETCH(std::vector<int>, expected);
    PlayWindow* player = playerOn(QStringLiteral("five.zpk"));
    QVERIFY(player != nullptr);
    player->setMode(mode);
    player->setSpeed(PlayWindow::kMaxSpeed);
    std::vector<int> seen{player->frame()};
    connect(player, &PlayWindow::frameShown, this, [&seen](int frame) {
        if (seen.back() != frame) seen.push_back(frame);
    });
    QTest::keyClick(player, Qt::Key_Space);
    QVERIFY(player->isPlaying());
    // a slow frame slows the animation down; none is skipped
    QVERIFY(QTest::qWaitFor([&] { return seen.size() >= expected.size(); }, kPatience));
    QTest::keyClick(player, Qt::Key_Space);
    QVERIFY(!player->isPlaying());
    seen.resize(expected.size());
    QCOMPARE(seen, expected);
}

void PlayWindowTest::rangeComesFromTheGallerySelection()
{
    m_window->loadFile(path("five.zpk"));
    GalleryWindow* gallery = m_window->canvasMenu()->openGallery();
    gallery->selectRows({4, 1, 2});
    PlayWindow* player = m_window->canvasMenu()->openPlayer();
    QCOMPARE(player->firstRow(), 1);
    QCOMPARE(player->lastRow(), 4);
    QTRY_COMPARE(player->frames(), (std::vector<int>{1, 3, 4}));

    player->setRange(3, 3);
    QCOMPARE(player->frames(), std::vector<int>{3});
    player->setPlaying(true);
    QVERIFY(!player->isPlaying());  // one frame does not play
    player->setRange(2, 2);
    QVERIFY(player->frames().empty());
    QCOMPARE(player->statusText(), QStringLiteral("이 범위에는 그림이 있는 항목이 없습니다."));
}

void PlayWindowTest::followsLoadsAndOptions()
{
    PlayWindow* player = playerOn(QStringLiteral("five.zpk"));
    QVERIFY(player != nullptr);
    // drop-first takes effect with the main window's next render
    m_window->findChild<QCheckBox*>(QStringLiteral("mode_back"))->setChecked(true);
    m_window->findChild<QListWidget*>(QStringLiteral("List1"))->setCurrentRow(3);
    QVERIFY(m_window->pictureOptions().dropFirst == DropFirst::On);
    QTRY_COMPARE(player->shownImage().convertToFormat(QImage::Format_RGBA8888),
                 exported(m_window->state().file, player->shownRow(), m_window->pictureOptions()));

    m_window->loadFile(path("three.zpk"));
    QCOMPARE(player->windowTitle(), QStringLiteral("재생 - three.zpk"));
    QTRY_COMPARE(player->frames(), (std::vector<int>{0, 1, 2}));  // every row, as before
    QVERIFY(shows(player, 0));
    QCOMPARE(player->shownImage().convertToFormat(QImage::Format_RGBA8888),
             exported(m_window->state().file, 0, m_window->pictureOptions()));
}

void PlayWindowTest::savesTheGifTheLibraryWrites()
{
    PlayWindow* player = playerOn(QStringLiteral("five.zpk"));
    QVERIFY(player != nullptr);
    player->setMode(PlayWindow::Mode::PingPong);
    QCOMPARE(player->gifRows(), (std::vector<int>{0, 1, 3, 4, 3, 1}));  // one round trip
    player->setSpeed(PlayWindow::kMaxSpeed);

    const QString saved = path("five.gif");
    QString suggested;
    m_dialogs->onChooseGifSavePath = [&](const QString& offered) {
        suggested = offered;
        return std::optional<QString>(saved);
    };
    QSignalSpy finished(player, &PlayWindow::gifFinished);
    QTest::mouseClick(player->findChild<QWidget*>(QStringLiteral("playerSaveGif")), Qt::LeftButton);
    QCOMPARE(QFileInfo(suggested).fileName(), QStringLiteral("five.gif"));
    QVERIFY(finished.wait(kPatience));
    QCOMPARE(finished.front().front().toBool(), true);
    QVERIFY(player->statusText().contains(QString::number(maxGifFramesPerSecond)));

    GifOptions gif;
    gif.framesPerSecond = maxGifFramesPerSecond;  // a GIF plays no faster
    std::vector<std::uint8_t> expected;
    WrittenGif written;
    const auto made = gifMaker(m_window->state().file, player->gifRows(), m_window->pictureOptions(), gif,
                               written)([&expected](std::span<const std::uint8_t> bytes) {
        expected.insert(expected.end(), bytes.begin(), bytes.end());
        return 0;
    });
    QVERIFY(!made);
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("GIF89a"));
    QVERIFY(std::equal(bytes.begin(), bytes.end(), expected.begin(), expected.end(),
                       [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
}

QTEST_MAIN(PlayWindowTest)
#include "PlayWindowTest.moc"
