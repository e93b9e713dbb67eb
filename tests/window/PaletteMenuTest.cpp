// Palette files in the canvas menu: drawing with a loaded palette instead of
// the stored colours (UserColor still first), the check mark, going back to
// the stored colours, a bad file refused with a message, and the drawn
// palette saved in every format. Canvas checks read the surface of Picture1.
#include "ScriptedDialogs.h"
#include "TestContainers.h"
#include "support/SurfacePixels.h"

#include "decode/ColourRamp.h"
#include "palette/PaletteFile.h"
#include "window/MainWindow.h"
#include "window/PictureCanvas.h"
#include "window/menu/CanvasMenu.h"

#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace zpk;
using namespace zpk::windowtest;

namespace {

const std::vector<Rgb> kFour = {{10, 20, 30}, {60, 70, 80}, {110, 120, 130}, {160, 170, 180}};

// Row 0: a 6 x 4 stripe of values 0 to 3; row 1: a solid of value 0; row 2:
// an image without pixels (width 0), which draws nothing.
const std::vector<WriterImage>& images()
{
    static const std::vector<WriterImage> all = {
        stripedImage(6, 4, kFour), solidImage(7, 5, {200, 30, 30}), {0, 3, kFour, {}}};
    return all;
}

// The colours of palette.gpl: values 0 to 4.
const std::vector<Colour> kFileColours = {makeColour(250, 0, 0), makeColour(0, 250, 0), makeColour(0, 0, 250),
                                          makeColour(250, 250, 0), makeColour(9, 9, 9)};

const char* const kGimpText = "GIMP Palette\n"
                              "Name: Test colours\n"
                              "Columns: 5\n"
                              "# value 0 to 4\n"
                              "250   0   0\tRed\n"
                              "  0 250   0\tGreen\n"
                              "  0   0 250\tBlue\n"
                              "250 250   0\tYellow\n"
                              "  9   9   9\n";

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
    file.write(text);
}

std::string encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

class PaletteMenuTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadedPaletteColoursTheCanvas();
    void userColorStillWins();
    void checkMarkFollowsThePaletteInUse();
    void revertShowsTheStoredColours();
    void badFilesChangeNothing();
    void saveWritesTheDrawnPalette();
    void saveRefusesAnUnknownExtension();
    void exportAllFollowsThePalette();

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    QAction* action(const char* name) const
    {
        auto* a = m_window->findChild<QAction*>(QLatin1String(name));
        if (a == nullptr) qFatal("no action %s", name);
        return a;
    }
    const Surface& canvas() const
    {
        return m_window->findChild<PictureCanvas*>(QStringLiteral("Picture1"))->surface();
    }
    Colour px(int x, int y) const { return zpk::testing::pixelAt(canvas(), x, y); }
    std::vector<Colour> canvasPixels() const
    {
        return {canvas().data(), canvas().data() + canvas().width() * canvas().height()};
    }
    // Chooses `file` in the palette dialog of "팔레트 불러오기…".
    void loadThroughMenu(const QString& file)
    {
        m_dialogs->onChoosePaletteFile = [file](const QString&) -> std::optional<QString> { return file; };
        action("loadPalette")->trigger();
        m_dialogs->onChoosePaletteFile = nullptr;
    }
    // Fails unless the canvas shows image `row` at offset 1, 1, value v in `colourOf(v)`.
    template <typename ColourOf>
    void verifyShows(int row, ColourOf colourOf, const char* where);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindow> m_window;
    std::shared_ptr<ScriptedDialogs> m_dialogs;
};

void PaletteMenuTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    ContainerBuilder builder;
    for (const WriterImage& image : images()) builder.entry(image);
    writeBytes(path("sample.zpk"), containerBytes(builder));
    writeText(path("palette.gpl"), kGimpText);
    m_window = std::make_unique<MainWindow>(m_dir->path());
    m_dialogs = std::make_shared<ScriptedDialogs>();
    m_window->setDialogs(m_dialogs);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->loadFile(path("sample.zpk"));
    QVERIFY(m_window->drawnEntry());
}

void PaletteMenuTest::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

template <typename ColourOf>
void PaletteMenuTest::verifyShows(int row, ColourOf colourOf, const char* where)
{
    const WriterImage& image = images()[static_cast<std::size_t>(row)];
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const int value = image.pixels[static_cast<std::size_t>(y * image.width + x)];
            const Colour expected = colourOf(value);
            if (px(x + 1, y + 1) != expected) {
                QFAIL(qPrintable(QStringLiteral("%1: canvas pixel (%2, %3) of value %4 is %5, expected %6")
                                     .arg(QLatin1String(where))
                                     .arg(x + 1)
                                     .arg(y + 1)
                                     .arg(value)
                                     .arg(px(x + 1, y + 1), 6, 16, QLatin1Char('0'))
                                     .arg(expected, 6, 16, QLatin1Char('0'))));
            }
        }
    }
}

void PaletteMenuTest::loadedPaletteColoursTheCanvas()
{
    const auto stored = [](int v) { return colourOf(kFour[static_cast<std::size_t>(v)]); };
    const auto fromFile = [](int v) { return kFileColours[static_cast<std::size_t>(v)]; };
    verifyShows(0, stored, "before");

    QString offered;
    m_dialogs->onChoosePaletteFile = [&](const QString& folder) -> std::optional<QString> {
        offered = folder;
        return path("palette.gpl");
    };
    const int renders = m_window->renderCount();
    action("loadPalette")->trigger();
    QVERIFY(m_dialogs->messages.isEmpty());
    QCOMPARE(m_window->renderCount(), renders + 1);  // drawn again at once
    QVERIFY(!offered.isEmpty());
    verifyShows(0, fromFile, "with the palette");
    QVERIFY(m_window->externalPalette());
    QVERIFY(*m_window->externalPalette() == kFileColours);
    QVERIFY(m_window->pictureOptions().externalPalette == m_window->externalPalette());

    // other entries too; values past the file's end are black
    m_window->findChild<QListWidget*>(QStringLiteral("List1"))->setCurrentRow(1);
    verifyShows(1, fromFile, "row 1");
    QCOMPARE(m_window->drawnEntry()->palette[2 + 5], makeColour(0, 0, 0));
    QCOMPARE(m_window->drawnEntry()->palette[257], makeColour(0, 0, 0));

    // the next dialog starts where the palette came from
    m_dialogs->onChoosePaletteFile = [&](const QString& folder) -> std::optional<QString> {
        offered = folder;
        return std::nullopt;
    };
    action("loadPalette")->trigger();
    QCOMPARE(QDir(offered).canonicalPath(), QDir(m_dir->path()).canonicalPath());
}

void PaletteMenuTest::userColorStillWins()
{
    loadThroughMenu(path("palette.gpl"));
    auto* userColor = m_window->findChild<QCheckBox*>(QStringLiteral("check_color"));
    userColor->setChecked(true);
    m_window->findChild<QPushButton*>(QStringLiteral("Command1"))->click();

    const PictureOptions options = m_window->pictureOptions();
    Palette ramp{};
    applyColourRamp(ramp, options.color1, options.color2, options.color3);
    const auto ramped = [&](int v) { return ramp[static_cast<std::size_t>(v) + 2]; };
    verifyShows(0, ramped, "UserColor over the palette");
    QVERIFY(ramped(0) != kFileColours[0]);  // the check tells them apart

    // unchecked: the palette file's colours again
    userColor->setChecked(false);
    m_window->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    verifyShows(
        0, [](int v) { return kFileColours[static_cast<std::size_t>(v)]; }, "UserColor off");
}

void PaletteMenuTest::checkMarkFollowsThePaletteInUse()
{
    QAction* load = action("loadPalette");
    QAction* revert = action("revertPalette");
    QVERIFY(load->isCheckable());
    QVERIFY(!load->isChecked());
    QVERIFY(!revert->isEnabled());

    // a cancelled dialog leaves no check mark behind
    load->trigger();
    QVERIFY(!load->isChecked());
    QVERIFY(!m_window->externalPalette());

    loadThroughMenu(path("palette.gpl"));
    QVERIFY(load->isChecked());
    QVERIFY(revert->isEnabled());

    // while one is in use, a cancelled dialog keeps it, and its mark
    load->trigger();
    QVERIFY(load->isChecked());
    QVERIFY(m_window->externalPalette());

    // and the mark stays through later renders and loads
    m_window->loadFile(path("sample.zpk"));
    QVERIFY(load->isChecked());

    revert->trigger();
    QVERIFY(!load->isChecked());
    QVERIFY(!revert->isEnabled());
    QVERIFY(!m_window->externalPalette());
}

void PaletteMenuTest::revertShowsTheStoredColours()
{
    loadThroughMenu(path("palette.gpl"));
    verifyShows(
        0, [](int v) { return kFileColours[static_cast<std::size_t>(v)]; }, "loaded");
    const int renders = m_window->renderCount();
    action("revertPalette")->trigger();
    QCOMPARE(m_window->renderCount(), renders + 1);
    verifyShows(
        0, [](int v) { return colourOf(kFour[static_cast<std::size_t>(v)]); }, "reverted");
    QVERIFY(!m_window->pictureOptions().externalPalette);
}

void PaletteMenuTest::badFilesChangeNothing()
{
    writeText(path("bad.gpl"), "GIMP Palette\n250 0 0\n0 250\n");
    writeText(path("short.act"), QByteArray(700, '\x10'));
    writeText(path("wrong.pal"), "JASC-PAL\r\n0100\r\n3\r\n1 2 3\r\n");

    const auto tryBadFiles = [&](const char* when) {
        const std::vector<Colour> before = canvasPixels();
        const auto palette = m_window->externalPalette();
        const bool checked = action("loadPalette")->isChecked();
        const int renders = m_window->renderCount();
        const QStringList bad{path("bad.gpl"), path("short.act"), path("wrong.pal"), path("missing.gpl"),
                              path("sample.zpk")};
        for (const QString& file : bad) {
            m_dialogs->messages.clear();
            loadThroughMenu(file);
            QVERIFY2(m_dialogs->messages.size() == 1, qPrintable(file));
            const QString message = m_dialogs->messages.first();
            QVERIFY2(message.contains(file), qPrintable(message));
            QVERIFY(m_window->externalPalette() == palette);
            QCOMPARE(action("loadPalette")->isChecked(), checked);
            QCOMPARE(m_window->renderCount(), renders);
            QVERIFY2(canvasPixels() == before, when);
        }
    };
    tryBadFiles("no palette in use");
    if (QTest::currentTestFailed()) return;
    // the message says where a text file goes wrong
    loadThroughMenu(path("bad.gpl"));
    QVERIFY2(m_dialogs->messages.last().contains(QStringLiteral("3번째 줄")),
             qPrintable(m_dialogs->messages.last()));

    m_dialogs->messages.clear();
    loadThroughMenu(path("palette.gpl"));
    QVERIFY(m_dialogs->messages.isEmpty());
    tryBadFiles("a palette in use");
    if (QTest::currentTestFailed()) return;
    verifyShows(
        0, [](int v) { return kFileColours[static_cast<std::size_t>(v)]; }, "kept");
}

void PaletteMenuTest::saveWritesTheDrawnPalette()
{
    loadThroughMenu(path("palette.gpl"));
    const std::vector<Colour> drawn = drawnColours(m_window->drawnEntry()->palette);
    QVERIFY(std::vector<Colour>(drawn.begin(), drawn.begin() + 5) == kFileColours);

    QString suggested;
    for (const char* name : {"out.gpl", "out.pal", "out.act"}) {
        m_dialogs->onChoosePaletteSavePath = [&](const QString& s) -> std::optional<QString> {
            suggested = s;
            return path(QLatin1String(name));
        };
        action("savePalette")->trigger();
        QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->messages.join(QLatin1Char('\n'))));
        const auto read = readPaletteFile(encoded(path(QLatin1String(name))));
        QVERIFY2(read.has_value(), name);
        QVERIFY2(*read == drawn, name);
    }
    QCOMPARE(QFileInfo(suggested).fileName(), QStringLiteral("sample-0.gpl"));

    // the swatch image: value v in square v, row by row
    m_dialogs->onChoosePaletteSavePath = [&](const QString&) -> std::optional<QString> {
        return path(QStringLiteral("swatches.png"));
    };
    action("savePalette")->trigger();
    QVERIFY(m_dialogs->messages.isEmpty());
    const QImage swatches(path(QStringLiteral("swatches.png")));
    QCOMPARE(swatches.size(), QSize(128, 128));
    for (int v = 0; v < 256; ++v) {
        const Colour c = drawn[static_cast<std::size_t>(v)];
        QCOMPARE(swatches.pixel((v % 16) * 8 + 4, (v / 16) * 8 + 4),
                 qRgb(static_cast<int>(redOf(c)), static_cast<int>(greenOf(c)), static_cast<int>(blueOf(c))));
    }

    // the stored colours when no palette file is in use
    action("revertPalette")->trigger();
    QVERIFY(m_window->canvasMenu()->savePalette(path(QStringLiteral("stored.pal"))));
    const auto stored = readPaletteFile(encoded(path(QStringLiteral("stored.pal"))));
    QVERIFY(stored.has_value());
    for (std::size_t v = 0; v < kFour.size(); ++v) QCOMPARE((*stored)[v], colourOf(kFour[v]));
}

void PaletteMenuTest::saveRefusesAnUnknownExtension()
{
    m_dialogs->onChoosePaletteSavePath = [&](const QString&) -> std::optional<QString> {
        return path(QStringLiteral("colours.txt"));
    };
    action("savePalette")->trigger();
    QCOMPARE(m_dialogs->messages.size(), 1);
    QVERIFY(m_dialogs->messages.first().contains(QStringLiteral(".gpl")));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("colours.txt"))));

    // a folder that does not exist
    m_dialogs->messages.clear();
    QVERIFY(!m_window->canvasMenu()->savePalette(path(QStringLiteral("no/such/folder.gpl"))));
    QCOMPARE(m_dialogs->messages.size(), 1);

    // nothing drawn: nothing to save
    QVERIFY(action("savePalette")->isEnabled());
    m_window->findChild<QListWidget*>(QStringLiteral("List1"))->setCurrentRow(2);
    QVERIFY(!m_window->drawnEntry());
    QVERIFY(!action("savePalette")->isEnabled());
    QVERIFY(!m_window->canvasMenu()->savePalette(path(QStringLiteral("nothing.gpl"))));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("nothing.gpl"))));
}

void PaletteMenuTest::exportAllFollowsThePalette()
{
    loadThroughMenu(path("palette.gpl"));
    const QString folder = path(QStringLiteral("exported"));
    QSignalSpy finished(m_window->canvasMenu(), &CanvasMenu::exportFinished);
    QVERIFY(m_window->canvasMenu()->exportAll(folder));
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.first().first().toInt(), 2);

    const QImage first(QDir(folder).filePath(QStringLiteral("sample/000.png")));
    QCOMPARE(first.size(), QSize(6, 4));
    const WriterImage& image = images()[0];
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Colour c = kFileColours[image.pixels[static_cast<std::size_t>(y * image.width + x)]];
            QCOMPARE(first.pixel(x, y), qRgb(static_cast<int>(redOf(c)), static_cast<int>(greenOf(c)),
                                             static_cast<int>(blueOf(c))));
        }
    }
}

QTEST_MAIN(PaletteMenuTest)
#include "PaletteMenuTest.moc"
