// The gallery ("모아 보기"): every entry as a thumbnail, made on worker
// threads from a copy of the file, each on a fresh palette; clicks and keys
// that draw a row in the main window; the options, loads and sizes it
// follows; the memory its thumbnails take; and `zpkview --gallery`.
#include "ScriptedDialogs.h"
#include "TestContainers.h"

#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "overview/FileThumbnail.h"
#include "overview/SheetCanvas.h"
#include "window/MainWindow.h"
#include "window/gallery/GalleryWindow.h"
#include "window/gallery/Thumbnail.h"
#include "window/gallery/ThumbnailDelegate.h"
#include "window/gallery/ThumbnailLoader.h"
#include "window/gallery/ThumbnailModel.h"
#include "window/menu/CanvasMenu.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProcess>
#include <QSlider>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

#include <random>

using namespace zpk;
using namespace zpk::windowtest;

namespace {

// How long a test waits for every thumbnail: far more than they take,
// also under a sanitizer.
constexpr int kPatience = 60000;

// A 2 x 1 entry that stores one colour (pixel value 0) but whose stream is
// a run of two pixels of value 200: drawn on a fresh palette they are
// black; drawn after an entry that stored 256 greys, grey 200.
const Bytes kBorrowingEntry = {2, 0, 1, 0, 0, 0, 10, 20, 30, 0xFF, 0xFE, 200, 2, 0};

// 256 x 128, column x of value (x / 2) % 2 in threeColours(): halved,
// column x of value x % 2, each target pixel one colour exactly.
WriterImage pairedColumns()
{
    WriterImage image{256, 128, threeColours(), {}};
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x) image.pixels.push_back(static_cast<std::uint8_t>((x / 2) % 2));
    return image;
}

// Rows: 0 256 greys (solid value 9), 1 kBorrowingEntry, 2 framedImage()
// (4 x 3), 3 a solid 300 x 300, 4 pairedColumns(), 5 a sprite 140 x 90.
Bytes mixedContainer()
{
    return containerBytes(ContainerBuilder()
                              .entry(solidImage(20, 10, 9))
                              .rawEntry(kBorrowingEntry)
                              .entry(framedImage())
                              .entry(solidImage(300, 300, {40, 120, 200}))
                              .entry(pairedColumns())
                              .entry(spriteImage(140, 90, 7)));
}

// `count` sprites of 16 to 200 pixels a side.
Bytes spriteFile(int count, std::uint32_t seed)
{
    std::mt19937 sizes(seed);
    return containerBytes(spriteContainer(count, 16, 200, sizes, seed));
}

// The entry as `zpk export` draws it: on a fresh palette.
RgbaImage freshRender(const ContainerFile& file, int row, const PictureOptions& options)
{
    Palette palette{};
    const DecodedImage image = decodeEntry(file, row, palette, options);
    return renderRgba(image, palette, options.dropFirst);
}

// A thumbnail's pixels as RGBA bytes (transparent pixels all zeros).
RgbaImage rgbaOf(const QImage& thumbnail)
{
    const QImage image = thumbnail.convertToFormat(QImage::Format_RGBA8888);
    RgbaImage out{image.width(), image.height(), {}};
    for (int y = 0; y < image.height(); ++y)
        out.rgba.insert(out.rgba.end(), image.constScanLine(y), image.constScanLine(y) + 4 * image.width());
    return out;
}

bool sameImage(const RgbaImage& a, const RgbaImage& b)
{
    return a.width == b.width && a.height == b.height && a.rgba == b.rgba;
}

}  // namespace

class GalleryTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensFromMenuAndKeys();
    void everyRowGetsAThumbnail();
    void rowsWithoutPictureSayWhy();
    void thumbnailIsTheEntryOnAFreshPalette();
    void scaledDownByArea();
    void shrunkAsTheFileManagerShrinksIt();
    void enlargedWithoutSmoothing();
    void transparentPixelsShowTheCheckerboard();
    void clickDrawsTheRowInTheMainWindow();
    void arrowKeysMoveAndEnterDraws();
    void followsRendersOfTheMainWindow();
    void optionsChangeRedrawsEverything();
    void loadReplacesEverything();
    void loadWhileWorkersRunIsSafe();
    void closingWhileWorkersRunIsSafe();
    void sizeBoundsTheMemory();
    void ctrlWheelChangesTheSize();
    void zoomKeepsTheCurrentThumbnailInView_data();
    void zoomKeepsTheCurrentThumbnailInView();
    void visibleRowsComeFirst();
    void commandLine();

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    QListWidget* list1() const { return m_window->findChild<QListWidget*>(QStringLiteral("List1")); }
    GalleryWindow* openGallery() { return m_window->canvasMenu()->openGallery(); }
    // Loads `name` and opens the gallery on it, with every thumbnail made.
    GalleryWindow* galleryOn(const QString& name);
    static bool waitForAll(GalleryWindow* gallery);
    // The thumbnail of every picture row is the entry drawn on a fresh
    // palette with the main window's options, scaled as fittedSize() says;
    // pixel for pixel where it fits the square (1x).
    void checkThumbnails(GalleryWindow* gallery);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindow> m_window;
    std::shared_ptr<ScriptedDialogs> m_dialogs;
};

void GalleryTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    writeBytes(path("mixed.zpk"), mixedContainer());
    writeBytes(path("four.zpk"), fourStatuses().bytes);
    writeBytes(path("sprites.zpk"), spriteFile(kMaxEntries, 3));
    writeBytes(path("others.zpk"), spriteFile(60, 4));
    m_window = std::make_unique<MainWindow>(m_dir->path());
    m_dialogs = std::make_shared<ScriptedDialogs>();
    m_window->setDialogs(m_dialogs);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void GalleryTest::cleanup()
{
    if (m_dialogs) QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->messages.join(u'\n')));
    m_window.reset();
    m_dir.reset();
}

bool GalleryTest::waitForAll(GalleryWindow* gallery)
{
    return QTest::qWaitFor([gallery] { return gallery->isComplete(); }, kPatience);
}

GalleryWindow* GalleryTest::galleryOn(const QString& name)
{
    m_window->loadFile(path(name));
    GalleryWindow* gallery = openGallery();
    if (!waitForAll(gallery)) return nullptr;
    return gallery;
}

void GalleryTest::checkThumbnails(GalleryWindow* gallery)
{
    const ContainerFile& file = m_window->state().file;
    const PictureOptions options = m_window->pictureOptions();
    ThumbnailModel* model = gallery->model();
    QCOMPARE(model->rowCount(), file.rowCount());
    for (int row = 0; row < file.rowCount(); ++row) {
        const RgbaImage expected = freshRender(file, row, options);
        if (expected.width == 0) {
            QVERIFY(model->image(row).isNull());
            continue;
        }
        QCOMPARE(model->state(row), ThumbnailModel::State::Picture);
        const QImage image = model->image(row);
        const FittedSize fitted = fittedSize(expected.width, expected.height, gallery->side());
        const QSize size(fitted.width, fitted.height);
        QCOMPARE(image.size(), size);
        const bool fullSize = size == QSize(expected.width, expected.height);
        QCOMPARE(model->index(row).data(ThumbnailModel::FullSizeRole).toBool(), fullSize);
        if (fullSize)
            QVERIFY2(sameImage(rgbaOf(image), expected), qPrintable(QStringLiteral("row %1").arg(row)));
    }
}

// --- opening --------------------------------------------------------------

void GalleryTest::opensFromMenuAndKeys()
{
    auto* action = m_window->findChild<QAction*>(QStringLiteral("gallery"));
    QVERIFY(action != nullptr);
    QCOMPARE(action->text(), QStringLiteral("모아 보기"));
    QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
    QVERIFY(m_window->canvasMenu()->actions().contains(action));
    QVERIFY(action->isEnabled());  // also with nothing drawn: it follows the next load

    m_window->loadFile(path("mixed.zpk"));
    m_window->activateWindow();
    QTest::keyClick(m_window.get(), Qt::Key_G, Qt::ControlModifier);
    GalleryWindow* gallery = m_window->canvasMenu()->gallery();
    QVERIFY(gallery != nullptr);
    QTRY_VERIFY(gallery->isVisible());
    QCOMPARE(gallery->windowTitle(), QStringLiteral("모아 보기 - mixed.zpk"));
    QVERIFY(waitForAll(gallery));

    // Esc closes it, and its thumbnails and copy of the file go
    QTest::keyClick(gallery->view(), Qt::Key_Escape);
    QTRY_VERIFY(!gallery->isVisible());
    QCOMPARE(gallery->model()->rowCount(), 0);
    QCOMPARE(gallery->model()->cachedBytes(), 0);
    // opened again, it is the same window, on the file loaded now
    m_window->loadFile(path("four.zpk"));
    QCOMPARE(openGallery(), gallery);
    QCOMPARE(gallery->windowTitle(), QStringLiteral("모아 보기 - four.zpk"));
    QCOMPARE(gallery->model()->rowCount(), 4);
}

// --- what it shows --------------------------------------------------------

void GalleryTest::everyRowGetsAThumbnail()
{
    GalleryWindow* gallery = galleryOn(QStringLiteral("sprites.zpk"));
    QVERIFY(gallery != nullptr);
    ThumbnailModel* model = gallery->model();
    QCOMPARE(model->rowCount(), kMaxEntries);
    const ContainerFile& file = m_window->state().file;
    for (int row = 0; row < model->rowCount(); ++row) {
        QCOMPARE(model->state(row), ThumbnailModel::State::Picture);
        const QImage image = model->image(row);
        QVERIFY(!image.isNull());
        QVERIFY(image.width() <= gallery->side() && image.height() <= gallery->side());
        const std::optional<EntrySize> size = entrySize(file, row);
        QVERIFY(size.has_value());
        QCOMPARE(model->index(row).data().toString(),
                 QStringLiteral("항목 %1\n%2 x %3").arg(row).arg(size->width).arg(size->height));
        QCOMPARE(model->index(row).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("sprites.zpk, 항목 %1, %2 x %3").arg(row).arg(size->width).arg(size->height));
    }
    QCOMPARE(gallery->loader()->outstanding(), 0);
    QCOMPARE(gallery->statusText(), QStringLiteral("항목 255개"));
    checkThumbnails(gallery);
}

void GalleryTest::rowsWithoutPictureSayWhy()
{
    m_window->loadFile(path("four.zpk"));
    GalleryWindow* gallery = openGallery();
    ThumbnailModel* model = gallery->model();
    // known from the entries' first bytes before any thumbnail is made
    QCOMPARE(model->state(1), ThumbnailModel::State::NothingToDraw);
    QCOMPARE(model->state(3), ThumbnailModel::State::NoData);
    QCOMPARE(model->index(1).data(ThumbnailModel::StatusTextRole).toString(), QStringLiteral("그림 없음"));
    QCOMPARE(model->index(3).data(ThumbnailModel::StatusTextRole).toString(), QStringLiteral("자료 없음"));
    QCOMPARE(model->index(1).data().toString(), QStringLiteral("항목 1\n0 x 4"));
    QCOMPARE(model->index(3).data().toString(), QStringLiteral("항목 3"));
    QCOMPARE(model->index(3).data(Qt::AccessibleTextRole).toString(), QStringLiteral("항목 3, 자료 없음"));
    QVERIFY(waitForAll(gallery));
    for (const int row : {1, 3}) {
        QVERIFY(model->image(row).isNull());
        QVERIFY(!model->needsRow(row));
    }
    QVERIFY(model->index(0).data(ThumbnailModel::StatusTextRole).toString().isEmpty());
    // the short stream: 3 of 12 pixels drawn, the rest transparent
    const QImage shortStream = model->image(2);
    QCOMPARE(shortStream.size(), QSize(4, 3));
    QCOMPARE(qAlpha(shortStream.pixel(2, 0)), 255);
    QCOMPARE(qAlpha(shortStream.pixel(3, 0)), 0);
    QCOMPARE(qAlpha(shortStream.pixel(0, 2)), 0);
    checkThumbnails(gallery);
}

void GalleryTest::thumbnailIsTheEntryOnAFreshPalette()
{
    m_window->loadFile(path("mixed.zpk"));
    // the main window draws row 1 after row 0: its palette still holds
    // the 256 greys, so value 200 shows grey there
    list1()->setCurrentRow(1);
    const RgbaImage inMainWindow = m_window->drawnEntry()->rgba();
    QCOMPARE(inMainWindow.rgba[0], std::uint8_t{200});

    // one worker, which makes row 0 (256 greys) before row 1: a palette
    // kept from one thumbnail to the next would show grey as well
    GalleryWindow oneWorker(m_window.get(), 1);
    GalleryWindow* gallery = &oneWorker;
    gallery->setSide(256);
    gallery->present();
    QVERIFY(waitForAll(gallery));
    const RgbaImage thumbnail = rgbaOf(gallery->model()->image(1));
    // in the gallery, as `zpk export` draws it: black, opaque
    QVERIFY(sameImage(thumbnail, RgbaImage{2, 1, {0, 0, 0, 255, 0, 0, 0, 255}}));
    QVERIFY(!sameImage(thumbnail, inMainWindow));
    QVERIFY(gallery->model()->index(1).data(ThumbnailModel::FullSizeRole).toBool());
    checkThumbnails(gallery);  // all but the 300 x 300 at 1x
}

void GalleryTest::scaledDownByArea()
{
    GalleryWindow* gallery = galleryOn(QStringLiteral("mixed.zpk"));
    QVERIFY(gallery != nullptr);
    QCOMPARE(gallery->side(), 128);
    ThumbnailModel* model = gallery->model();
    // a solid colour stays that colour
    const QImage solid = model->image(3);
    QCOMPARE(solid.size(), QSize(128, 128));
    QVERIFY(!model->index(3).data(ThumbnailModel::FullSizeRole).toBool());
    for (int y = 0; y < solid.height(); ++y)
        for (int x = 0; x < solid.width(); ++x) QCOMPARE(solid.pixel(x, y), qRgb(40, 120, 200));
    // columns in pairs, halved: each target pixel averages one pair
    const QImage columns = model->image(4);
    QCOMPARE(columns.size(), QSize(128, 64));
    const std::vector<Rgb> colours = threeColours();
    for (int y = 0; y < columns.height(); ++y) {
        for (int x = 0; x < columns.width(); ++x) {
            const Rgb c = colours[static_cast<std::size_t>(x % 2)];
            QCOMPARE(columns.pixel(x, y), qRgb(c.red, c.green, c.blue));
        }
    }
    // at 64, four columns of two colours average to their mean
    gallery->setSide(64);
    QVERIFY(waitForAll(gallery));
    const QImage mean = model->image(4);
    QCOMPARE(mean.size(), QSize(64, 32));
    const int red = (colours[0].red + colours[1].red + 1) / 2;
    const int green = (colours[0].green + colours[1].green + 1) / 2;
    const int blue = (colours[0].blue + colours[1].blue + 1) / 2;
    QCOMPARE(mean.pixel(10, 20), qRgb(red, green, blue));
}

void GalleryTest::shrunkAsTheFileManagerShrinksIt()
{
    // an odd size and noise, so that which pixels a box samples shows
    WriterImage noise{301, 97, threeColours(), {}};
    std::mt19937 random(7);
    for (int i = 0; i < noise.width * noise.height; ++i)
        noise.pixels.push_back(static_cast<std::uint8_t>(random() % noise.colours.size()));
    writeBytes(path("noise.zpk"), containerBytes(ContainerBuilder().entry(noise)));
    GalleryWindow* gallery = galleryOn(QStringLiteral("noise.zpk"));
    QVERIFY(gallery != nullptr);
    gallery->setSide(64);
    QVERIFY(waitForAll(gallery));

    ThumbnailSettings settings;
    settings.size = 64;
    settings.picture = m_window->pictureOptions();
    const auto made = makeContainerThumbnail(path("noise.zpk").toStdString(), settings);
    QVERIFY(made && made->status == ThumbnailStatus::Made);
    const QImage forFileManager = QImage::fromData(made->png.data(), static_cast<int>(made->png.size()))
                                      .convertToFormat(QImage::Format_ARGB32);
    const QImage inGallery = gallery->model()->image(0).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(inGallery.size(), QSize(64, 21));
    QCOMPARE(inGallery, forFileManager);
}

void GalleryTest::enlargedWithoutSmoothing()
{
    m_window->loadFile(path("mixed.zpk"));
    GalleryWindow* gallery = openGallery();
    gallery->setSide(256);
    QVERIFY(waitForAll(gallery));
    QListView* view = gallery->view();
    view->clearSelection();  // the selection colour stays out of the picture
    const int row = 2;       // framedImage(), 4 x 3: 64 screen pixels each
    view->scrollTo(gallery->model()->index(row));
    const QRect cell = view->visualRect(gallery->model()->index(row));
    const QRect box(cell.x() + (cell.width() - 256) / 2, cell.y() + ThumbnailDelegate::kPadding, 256, 256);
    const QRect target = ThumbnailDelegate::imageRect(box, QSize(4, 3), true);
    QCOMPARE(target.size(), QSize(256, 192));
    const QImage shown = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const WriterImage framed = framedImage();
    for (int y = 0; y < target.height(); ++y) {
        for (int x = 0; x < target.width(); ++x) {
            const Colour c = colourAt(framed, x / 64, y / 64);
            if (shown.pixel(target.x() + x, target.y() + y) != qRgb(redOf(c), greenOf(c), blueOf(c)))
                QFAIL(qPrintable(
                    QStringLiteral("screen pixel %1, %2 is not its image pixel's colour").arg(x).arg(y)));
        }
    }
}

void GalleryTest::transparentPixelsShowTheCheckerboard()
{
    m_window->loadFile(path("four.zpk"));
    GalleryWindow* gallery = openGallery();
    gallery->setSide(256);
    QVERIFY(waitForAll(gallery));
    // an opaque thumbnail is stored without alpha; one with pixels the
    // stream never produced keeps it
    QVERIFY(!gallery->model()->image(0).hasAlphaChannel());
    QVERIFY(gallery->model()->image(2).hasAlphaChannel());
    QListView* view = gallery->view();
    view->clearSelection();
    const int row = 2;  // 4 x 3, pixels 0 to 2 drawn, the rest transparent
    view->scrollTo(gallery->model()->index(row));
    const QRect cell = view->visualRect(gallery->model()->index(row));
    const QRect box(cell.x() + (cell.width() - 256) / 2, cell.y() + ThumbnailDelegate::kPadding, 256, 256);
    const QRect target = ThumbnailDelegate::imageRect(box, QSize(4, 3), true);
    const QImage shown = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // image pixel (3, 0): the checkerboard's two greys in 8-pixel cells
    QSet<QRgb> colours;
    for (int y = 0; y < 64; ++y)
        for (int x = 3 * 64; x < 4 * 64; ++x) colours.insert(shown.pixel(target.x() + x, target.y() + y));
    QCOMPARE(colours, (QSet<QRgb>{qRgb(0xFF, 0xFF, 0xFF), qRgb(0xCC, 0xCC, 0xCC)}));
    // image pixel (0, 0): drawn, its colour only
    QCOMPARE(shown.pixel(target.x() + 10, target.y() + 10), qRgb(30, 190, 40));
}

// --- choosing rows ------------------------------------------------------------

void GalleryTest::clickDrawsTheRowInTheMainWindow()
{
    GalleryWindow* gallery = galleryOn(QStringLiteral("mixed.zpk"));
    QVERIFY(gallery != nullptr);
    QCOMPARE(gallery->model()->drawnRow(), 0);
    QListView* view = gallery->view();
    for (const int row : {4, 2, 5}) {
        const int renders = m_window->renderCount();
        const QRect cell = view->visualRect(gallery->model()->index(row));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QCOMPARE(list1()->currentRow(), row);
        QCOMPARE(list1()->selectedItems().size(), 1);
        QCOMPARE(list1()->row(list1()->selectedItems().first()), row);
        QCOMPARE(m_window->renderCount(), renders + 1);
        QVERIFY(m_window->drawnEntry() != nullptr);
        QCOMPARE(m_window->drawnEntry()->image.row, row);
        QCOMPARE(gallery->model()->drawnRow(), row);
        QVERIFY(gallery->model()->index(row).data(ThumbnailModel::DrawnRole).toBool());
    }
    QVERIFY(!gallery->model()->index(0).data(ThumbnailModel::DrawnRole).toBool());
}

void GalleryTest::arrowKeysMoveAndEnterDraws()
{
    GalleryWindow* gallery = galleryOn(QStringLiteral("sprites.zpk"));
    QVERIFY(gallery != nullptr);
    gallery->setSide(32);  // several rows of thumbnails
    QListView* view = gallery->view();
    view->setFocus();
    QCOMPARE(view->currentIndex().row(), 0);
    const int renders = m_window->renderCount();
    QTest::keyClick(view, Qt::Key_Right);
    QTest::keyClick(view, Qt::Key_Right);
    QCOMPARE(view->currentIndex().row(), 2);
    QCOMPARE(m_window->renderCount(), renders);  // moving draws nothing
    QCOMPARE(gallery->model()->drawnRow(), 0);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(list1()->currentRow(), 2);
    QCOMPARE(m_window->renderCount(), renders + 1);
    QCOMPARE(gallery->model()->drawnRow(), 2);
    // down: the row below in the grid
    QTest::keyClick(view, Qt::Key_Down);
    const int below = view->currentIndex().row();
    QVERIFY2(below > 2, qPrintable(QString::number(below)));
    QTest::keyClick(view, Qt::Key_Enter);
    QCOMPARE(list1()->currentRow(), below);
    QCOMPARE(m_window->drawnEntry()->image.row, below);
    QCOMPARE(m_window->renderCount(), renders + 2);
}

void GalleryTest::followsRendersOfTheMainWindow()
{
    GalleryWindow* gallery = galleryOn(QStringLiteral("sprites.zpk"));
    QVERIFY(gallery != nullptr);
    list1()->setCurrentRow(200);  // far down: the gallery scrolls to it
    QCOMPARE(gallery->model()->drawnRow(), 200);
    QCOMPARE(gallery->view()->currentIndex().row(), 200);
    const std::vector<int> visible = gallery->visibleRows();
    QVERIFY(std::find(visible.begin(), visible.end(), 200) != visible.end());
    QVERIFY(std::find(visible.begin(), visible.end(), 0) == visible.end());
}

// --- options, loads ---------------------------------------------------------

void GalleryTest::optionsChangeRedrawsEverything()
{
    GalleryWindow* gallery = galleryOn(QStringLiteral("mixed.zpk"));
    QVERIFY(gallery != nullptr);
    ThumbnailModel* model = gallery->model();
    const QImage before = model->image(0);

    // a check box takes effect at the next render, as in the main window
    m_window->findChild<QCheckBox*>(QStringLiteral("check_color"))->setChecked(true);
    QVERIFY(!model->needsRow(0));
    const std::uint64_t generation = gallery->loader()->generation();
    m_window->findChild<QLineEdit*>(QStringLiteral("color1"))->setText(QStringLiteral("40"));  // renders
    QVERIFY(gallery->loader()->generation() > generation);
    // dropped at once: no thumbnail of the old options stays on show
    for (int row = 0; row < model->rowCount(); ++row) QVERIFY(model->image(row).isNull());
    QVERIFY(model->cachedBytes() == 0);
    QVERIFY(waitForAll(gallery));
    QVERIFY(m_window->pictureOptions().userColor);
    QVERIFY(model->image(0) != before);
    checkThumbnails(gallery);

    // drop first: value 0 becomes transparent
    m_window->findChild<QCheckBox*>(QStringLiteral("mode_back"))->setChecked(true);
    list1()->setCurrentRow(2);
    QVERIFY(waitForAll(gallery));
    QCOMPARE(qAlpha(model->image(2).pixel(1, 1)), 0);  // framedImage's value 0
    QCOMPARE(qAlpha(model->image(2).pixel(0, 0)), 255);
    checkThumbnails(gallery);

    // a render with the same options keeps every thumbnail
    const QImage kept = model->image(5);
    list1()->setCurrentRow(3);
    QVERIFY(model->image(5).constBits() == kept.constBits());
}

void GalleryTest::loadReplacesEverything()
{
    GalleryWindow* gallery = galleryOn(QStringLiteral("sprites.zpk"));
    QVERIFY(gallery != nullptr);
    list1()->setCurrentRow(100);
    QCOMPARE(gallery->model()->drawnRow(), 100);
    m_window->loadFile(path("others.zpk"));
    QCOMPARE(gallery->model()->rowCount(), 60);
    QCOMPARE(gallery->windowTitle(), QStringLiteral("모아 보기 - others.zpk"));
    QCOMPARE(gallery->model()->drawnRow(), 0);
    QVERIFY(waitForAll(gallery));
    checkThumbnails(gallery);
    // a failed load changes nothing
    writeBytes(path("bad.zpk"), Bytes(12, 0));
    m_window->loadFile(path("bad.zpk"));
    QCOMPARE(m_dialogs->messages.size(), 1);
    m_dialogs->messages.clear();
    QCOMPARE(gallery->model()->rowCount(), 60);
    QVERIFY(gallery->isComplete());
}

void GalleryTest::loadWhileWorkersRunIsSafe()
{
    m_window->loadFile(path("sprites.zpk"));
    GalleryWindow* gallery = openGallery();
    const QStringList files = {QStringLiteral("sprites.zpk"), QStringLiteral("others.zpk"),
                               QStringLiteral("mixed.zpk")};
    std::mt19937 rng(11);
    for (int round = 0; round < 60; ++round) {
        // each load replaces the file the workers read a copy of; some
        // rounds let a few results in first, some none
        m_window->loadFile(path(files[static_cast<int>(rng() % 3)]));
        for (int turn = static_cast<int>(rng() % 4); turn > 0; --turn) QCoreApplication::processEvents();
        if (round % 10 == 0) gallery->setSide(32 + static_cast<int>(rng() % 8) * 32);
    }
    m_window->loadFile(path("others.zpk"));
    QVERIFY(waitForAll(gallery));
    checkThumbnails(gallery);
}

void GalleryTest::closingWhileWorkersRunIsSafe()
{
    for (int round = 0; round < 10; ++round) {
        m_window->loadFile(path("sprites.zpk"));
        GalleryWindow* gallery = openGallery();
        QCoreApplication::processEvents();
        if (round % 2 == 0) gallery->close();  // its work stops, its copy goes
        // the main window goes with its gallery, workers still running
        m_window = std::make_unique<MainWindow>(m_dir->path());
        m_window->setDialogs(m_dialogs);
    }
}

// --- size and memory --------------------------------------------------------

void GalleryTest::sizeBoundsTheMemory()
{
    GalleryWindow* gallery = galleryOn(QStringLiteral("sprites.zpk"));
    QVERIFY(gallery != nullptr);
    ThumbnailModel* model = gallery->model();
    const auto bound = [&](int side) { return static_cast<qint64>(model->rowCount()) * side * side * 4; };
    const auto fitAll = [&](int side) {
        for (int row = 0; row < model->rowCount(); ++row) {
            const QImage image = model->image(row);
            if (image.width() > side || image.height() > side) return false;
        }
        return true;
    };
    for (const int side : {256, 32, 200, 48, 128}) {
        gallery->setSide(side);
        QCOMPARE(gallery->sizeSlider()->value(), side);
        // at once, before any new thumbnail comes
        QVERIFY(model->cachedBytes() <= bound(side));
        QVERIFY(fitAll(side));
        QVERIFY(waitForAll(gallery));
        QVERIFY2(model->cachedBytes() <= bound(side), qPrintable(QString::number(model->cachedBytes())));
        QVERIFY(fitAll(side));
        checkThumbnails(gallery);
    }
    // out of range: held to 32 and 256
    gallery->setSide(1000);
    QCOMPARE(gallery->side(), 256);
    gallery->setSide(0);
    QCOMPARE(gallery->side(), 32);
    QVERIFY(model->cachedBytes() <= bound(32));
}

void GalleryTest::ctrlWheelChangesTheSize()
{
    GalleryWindow* gallery = galleryOn(QStringLiteral("mixed.zpk"));
    QVERIFY(gallery != nullptr);
    QWidget* viewport = gallery->view()->viewport();
    const auto wheel = [&](int angle, Qt::KeyboardModifiers modifiers) {
        const QPointF at(20, 20);
        QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(viewport, &event);
    };
    QCOMPARE(gallery->side(), 128);
    wheel(120, Qt::ControlModifier);
    QCOMPARE(gallery->side(), 128 + GalleryWindow::kWheelStep);
    wheel(-240, Qt::ControlModifier);
    QCOMPARE(gallery->side(), 128 - GalleryWindow::kWheelStep);
    wheel(60, Qt::ControlModifier);  // half a notch: nothing yet
    QCOMPARE(gallery->side(), 128 - GalleryWindow::kWheelStep);
    wheel(60, Qt::ControlModifier);
    QCOMPARE(gallery->side(), 128);
    wheel(-120, Qt::NoModifier);  // scrolls
    QCOMPARE(gallery->side(), 128);
    QVERIFY(waitForAll(gallery));
}

void GalleryTest::zoomKeepsTheCurrentThumbnailInView_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("key");  // 0: the slider
    QTest::newRow("smallest") << kMinThumbnailSide << 0;
    QTest::newRow("largest") << kMaxThumbnailSide << 0;
    QTest::newRow("Ctrl+plus") << GalleryWindow::kDefaultSide + GalleryWindow::kWheelStep
                               << int(Qt::Key_Plus);
    QTest::newRow("Ctrl+minus") << GalleryWindow::kDefaultSide - GalleryWindow::kWheelStep
                                << int(Qt::Key_Minus);
}

void GalleryTest::zoomKeepsTheCurrentThumbnailInView()
{
    QFETCH(int, side);
    QFETCH(int, key);
    m_window->loadFile(path("sprites.zpk"));
    GalleryWindow* gallery = openGallery();
    QVERIFY(QTest::qWaitForWindowExposed(gallery));
    const int row = m_window->state().file.rowCount() / 2;
    QVERIFY(m_window->selectRow(row));
    QCOMPARE(gallery->view()->currentIndex().row(), row);
    const auto shown = [&] {
        const std::vector<int> rows = gallery->visibleRows();
        return std::find(rows.begin(), rows.end(), row) != rows.end();
    };
    QVERIFY(shown());
    if (key == 0) {
        gallery->setSide(side);
    } else {
        QApplication::setActiveWindow(gallery);
        QVERIFY(QTest::qWaitForWindowActive(gallery));
        QTest::keyClick(gallery->view(), static_cast<Qt::Key>(key), Qt::ControlModifier);
    }
    QCOMPARE(gallery->side(), side);
    QVERIFY(shown());
}

void GalleryTest::visibleRowsComeFirst()
{
    m_window->loadFile(path("sprites.zpk"));
    list1()->setCurrentRow(180);
    // one worker, so that the order is the order of the results
    GalleryWindow gallery(m_window.get(), 1);
    std::vector<int> order;
    connect(gallery.loader(), &ThumbnailLoader::thumbnailMade, &gallery,
            [&](const Thumbnail& t) { order.push_back(t.row); });
    gallery.present();
    QVERIFY(waitForAll(&gallery));
    const std::vector<int> visible = gallery.visibleRows();
    QVERIFY(!visible.empty());
    QVERIFY(std::find(visible.begin(), visible.end(), 180) != visible.end());
    QCOMPARE(static_cast<int>(order.size()), kMaxEntries);
    // the first results are the rows in view
    std::vector<int> first(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(visible.size()));
    std::sort(first.begin(), first.end());
    QCOMPARE(first, visible);
}

// --- the command line -------------------------------------------------------

void GalleryTest::commandLine()
{
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        bare.remove(QLatin1String(name));
    const auto run = [](const QStringList& arguments, const QProcessEnvironment& environment) {
        QProcess viewer;
        viewer.setProcessEnvironment(environment);
        viewer.start(QStringLiteral(ZPKVIEW_BINARY), arguments);
        if (!viewer.waitForFinished(kPatience)) {
            viewer.kill();
            viewer.waitForFinished();
        }
        return std::make_tuple(viewer.exitStatus() == QProcess::NormalExit ? viewer.exitCode() : -1,
                               QString::fromUtf8(viewer.readAllStandardOutput()),
                               QString::fromUtf8(viewer.readAllStandardError()));
    };
    // without a display
    const auto [helpStatus, help, helpErrors] = run({QStringLiteral("--help")}, bare);
    QCOMPARE(helpStatus, 0);
    QVERIFY2(help.startsWith(QStringLiteral("Usage: zpkview [options] [file]\n")), qPrintable(help));
    QVERIFY(help.contains(QStringLiteral("--gallery")));
    const auto [twoStatus, twoOut, twoErrors] =
        run({QStringLiteral("--gallery"), QStringLiteral("a.zpk"), QStringLiteral("b.zpk")}, bare);
    QCOMPARE(twoStatus, 2);
    QVERIFY(twoErrors.startsWith(QStringLiteral("zpkview: ")));
    const auto [valueStatus, valueOut, valueErrors] = run({QStringLiteral("--gallery=yes")}, bare);
    QCOMPARE(valueStatus, 2);

    // with the offscreen platform: the file loads, the gallery opens and
    // starts its workers, the first paint is reported and the program ends
    // with them still at work
    QProcessEnvironment offscreen = bare;
    offscreen.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    offscreen.insert(QStringLiteral("ZPKVIEW_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    offscreen.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    const auto [status, out, errors] = run({QStringLiteral("--gallery"), path("sprites.zpk")}, offscreen);
    QVERIFY2(status == 0, qPrintable(errors));
    QVERIFY2(out.startsWith(QStringLiteral("first-paint ")), qPrintable(out));
}

QTEST_MAIN(GalleryTest)
#include "GalleryTest.moc"
