// "바꾸기…" in the canvas menu: the drawn entry replaced by a PNG as an edit
// kept in memory, then saved over the loaded file or to a new one, the
// other entries kept byte for byte and the row drawn; a cancel and a
// picture that cannot be packed each leave the file, the list and the
// canvas as they were, and a file that cannot be written keeps the edit. The confirmation itself is answered
// by the test; ReplaceDialog is checked on its own.
#include "ScriptedDialogs.h"
#include "TestContainers.h"
#include "support/SurfacePixels.h"

#include "container/Container.h"
#include "decode/Decoder.h"
#include "pack/Pack.h"
#include "window/MainWindow.h"
#include "window/PictureCanvas.h"
#include "window/dialogs/ReplaceDialog.h"
#include "window/edit/EditSession.h"
#include "window/menu/CanvasMenu.h"

#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace zpk;
using namespace zpk::windowtest;

namespace {

const std::vector<Rgb> kFour = {{10, 20, 30}, {60, 70, 80}, {110, 120, 130}, {160, 170, 180}};

// Three entries that all draw; the tests replace row 1.
const std::vector<WriterImage>& images()
{
    static const std::vector<WriterImage> all = {stripedImage(6, 4, kFour), solidImage(7, 5, {200, 30, 30}),
                                                 stripedImage(5, 3, threeColours())};
    return all;
}

constexpr int kRow = 1;

std::string encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// 4 x 3 in three opaque colours, none of them in the container.
QImage newPicture()
{
    QImage image(4, 3, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(1, 2, 250), qRgb(240, 240, 10), qRgb(5, 200, 90)};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, colours[(x + 2 * y) % 3]);
    return image;
}

// The new picture with pixel (1, 1) fully transparent.
QImage transparentPicture()
{
    QImage image = newPicture().convertToFormat(QImage::Format_ARGB32);
    image.setPixel(1, 1, qRgba(0, 0, 0, 0));
    return image;
}

// 17 x 16 opaque pixels in 257 different colours.
QImage tooColourful()
{
    QImage image(17, 16, QImage::Format_RGB32);
    for (int i = 0; i < 17 * 16; ++i) {
        const int c = std::min(i, 256);
        image.setPixel(i % 17, i / 17, qRgb(c % 256, c / 256 * 100, 50));
    }
    return image;
}

Colour colourOfPixel(const QImage& image, int x, int y)
{
    const QRgb c = image.pixel(x, y);
    return makeColour(static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                      static_cast<std::uint8_t>(qBlue(c)));
}

ContainerFile loaded(const QString& path)
{
    auto file = loadContainer(encoded(path));
    if (!file) qFatal("cannot load %s", qPrintable(path));
    return std::move(*file);
}

// Row `row` of `file` decoded on a fresh palette.
std::pair<DecodedImage, Palette> decodedRow(const ContainerFile& file, int row)
{
    Palette palette{};
    DecodedImage image = decodeEntry(file, row, palette, PictureOptions{});
    return {std::move(image), palette};
}

}  // namespace

class ReplaceTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void replaceInPlaceChangesOnlyThatRow();
    void saveAsLeavesTheOriginal();
    void cancelChangesNothing();
    void transparentPixelsWithTheOption();
    void failuresLeaveEverythingAsItWas();
    void refusedWhileExporting();
    void dialogShowsBothPicturesAndFollowsTheCheckBox();
    void aChangeMadeOnDiskIsNeverUndone();

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    QString container() const { return path(QStringLiteral("sample.zpk")); }
    QString writePng(const QString& name, const QImage& image) const
    {
        const QString file = path(name);
        if (!image.save(file, "PNG")) qFatal("cannot write %s", qPrintable(file));
        return file;
    }
    QAction* replaceAction() const
    {
        auto* a = m_window->findChild<QAction*>(QStringLiteral("replaceEntry"));
        if (a == nullptr) qFatal("no action replaceEntry");
        return a;
    }
    QListWidget* list1() const { return m_window->findChild<QListWidget*>(QStringLiteral("List1")); }
    const Surface& canvas() const
    {
        return m_window->findChild<PictureCanvas*>(QStringLiteral("Picture1"))->surface();
    }
    std::vector<Colour> canvasPixels() const
    {
        return {canvas().data(), canvas().data() + canvas().width() * canvas().height()};
    }
    // "바꾸기…" with `picture` chosen and the question answered `answer`,
    // the edit saved over the file when that is the answer; the question
    // asked is kept in m_asked.
    void replaceThroughMenu(const QString& picture, ReplaceChoice choice, bool transparentIndex0 = false)
    {
        replaceInMemory(picture, choice, transparentIndex0);
        if (choice == ReplaceChoice::ReplaceInPlace) m_window->edits().save();
    }
    void replaceInMemory(const QString& picture, ReplaceChoice choice, bool transparentIndex0 = false)
    {
        m_asked.reset();
        m_dialogs->onChoosePicture = [picture](const QString&) -> std::optional<QString> { return picture; };
        m_dialogs->onConfirmReplace = [this, choice, transparentIndex0](const ReplacePreview& preview) {
            m_asked = preview;
            ReplaceAnswer answer;
            answer.choice = choice;
            answer.options.transparentIndex0 = transparentIndex0;
            return answer;
        };
        replaceAction()->trigger();
    }
    // Fails unless the canvas shows `picture` at offset 1, 1.
    void verifyCanvasShows(const QImage& picture);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindow> m_window;
    std::shared_ptr<ScriptedDialogs> m_dialogs;
    std::optional<ReplacePreview> m_asked;
    QString m_locked;  // a folder made read-only, made writable again afterwards
};

void ReplaceTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    ContainerBuilder builder;
    for (const WriterImage& image : images()) builder.entry(image);
    writeBytes(container(), containerBytes(builder));
    m_window = std::make_unique<MainWindow>(m_dir->path());
    m_dialogs = std::make_shared<ScriptedDialogs>();
    m_window->setDialogs(m_dialogs);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->loadFile(container());
    list1()->setCurrentRow(kRow);
    QVERIFY(m_window->drawnEntry());
    QCOMPARE(m_window->drawnEntry()->image.row, kRow);
    QVERIFY(replaceAction()->isEnabled());
}

void ReplaceTest::cleanup()
{
    if (!m_locked.isEmpty())
        QFile::setPermissions(m_locked,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_locked.clear();
    m_window.reset();
    m_dir.reset();
}

void ReplaceTest::verifyCanvasShows(const QImage& picture)
{
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const Colour shown = zpk::testing::pixelAt(canvas(), x + 1, y + 1);
            if (shown != colourOfPixel(picture, x, y))
                QFAIL(qPrintable(QStringLiteral("canvas pixel (%1, %2) is %3, expected %4")
                                     .arg(x + 1)
                                     .arg(y + 1)
                                     .arg(shown, 6, 16, QLatin1Char('0'))
                                     .arg(colourOfPixel(picture, x, y), 6, 16, QLatin1Char('0'))));
        }
    }
}

void ReplaceTest::replaceInPlaceChangesOnlyThatRow()
{
    const ContainerFile before = loaded(container());
    const QString picture = writePng(QStringLiteral("new.png"), newPicture());
    QString offered;
    m_dialogs->onChoosePicture = [&](const QString& folder) -> std::optional<QString> {
        offered = folder;
        return std::nullopt;
    };
    replaceAction()->trigger();
    QVERIFY(!offered.isEmpty());
    QVERIFY(!m_asked);  // no picture, no question

    const QByteArray original = fileBytes(container());
    replaceInMemory(picture, ReplaceChoice::ReplaceInPlace);
    QVERIFY(fileBytes(container()) == original);  // until it is saved
    QVERIFY(m_window->edits().isModified());
    QVERIFY(m_window->windowTitle().startsWith(QStringLiteral("sample.zpk*")));
    QVERIFY(m_window->edits().save());
    QVERIFY(!m_window->edits().isModified());
    QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->messages.join(QLatin1Char('\n'))));
    QVERIFY(m_asked);
    QCOMPARE(m_asked->drawn->image.row, kRow);
    QCOMPARE(m_asked->containerPath, container());
    QCOMPARE(m_asked->picturePath, picture);
    QVERIFY(!m_asked->options.transparentIndex0);

    const ContainerFile after = loaded(container());
    QCOMPARE(after.rowCount(), before.rowCount());
    for (int row = 0; row < before.rowCount(); ++row) {
        if (row == kRow) continue;
        const auto old = entryBytes(before, row);
        const auto now = entryBytes(after, row);
        QVERIFY(old && now);
        QVERIFY2(*old == *now, qPrintable(QStringLiteral("row %1's bytes changed").arg(row)));
        const auto [oldImage, oldPalette] = decodedRow(before, row);
        const auto [newImage, newPalette] = decodedRow(after, row);
        QCOMPARE(newImage.imageWidth, oldImage.imageWidth);
        QCOMPARE(newImage.imageHeight, oldImage.imageHeight);
        QVERIFY(newImage.pixels == oldImage.pixels);
        QVERIFY(newPalette == oldPalette);
    }
    // the row itself holds the picture
    const QImage expected = newPicture();
    const auto [replaced, palette] = decodedRow(after, kRow);
    QCOMPARE(replaced.imageWidth, expected.width());
    QCOMPARE(replaced.imageHeight, expected.height());
    QCOMPARE(replaced.produced, replaced.pixelCount());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            QCOMPARE(palette[replaced.at(x, y) + 2u], colourOfPixel(expected, x, y));

    // the window shows the new file with the row drawn
    QCOMPARE(m_window->state().file.filePath, encoded(container()));
    QCOMPARE(m_window->state().file.fileLength, after.fileLength);
    QCOMPARE(list1()->count(), before.rowCount());
    QCOMPARE(list1()->currentRow(), kRow);
    QVERIFY(m_window->drawnEntry());
    QCOMPARE(m_window->drawnEntry()->image.row, kRow);
    QCOMPARE(m_window->drawnEntry()->image.imageWidth, 4);
    verifyCanvasShows(expected);

    // the next picture dialog starts where this one came from
    m_dialogs->onChoosePicture = [&](const QString& folder) -> std::optional<QString> {
        offered = folder;
        return std::nullopt;
    };
    replaceAction()->trigger();
    QCOMPARE(QDir(offered).canonicalPath(), QDir(m_dir->path()).canonicalPath());
}

void ReplaceTest::saveAsLeavesTheOriginal()
{
    const QByteArray original = fileBytes(container());
    const QString picture = writePng(QStringLiteral("new.png"), newPicture());
    const QString copy = path(QStringLiteral("copy.zpk"));
    QString suggested;
    m_dialogs->onChooseContainerSavePath = [&](const QString& s) -> std::optional<QString> {
        suggested = s;
        return copy;
    };
    replaceThroughMenu(picture, ReplaceChoice::SaveAs);
    QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->messages.join(QLatin1Char('\n'))));
    QCOMPARE(QFileInfo(suggested).fileName(), QStringLiteral("sample-new.zpk"));
    QVERIFY(fileBytes(container()) == original);

    const ContainerFile before = loaded(container());
    const ContainerFile saved = loaded(copy);
    QCOMPARE(saved.rowCount(), before.rowCount());
    for (int row : {0, 2}) QVERIFY(*entryBytes(saved, row) == *entryBytes(before, row));
    QCOMPARE(decodedRow(saved, kRow).first.imageWidth, 4);

    QCOMPARE(m_window->state().file.filePath, encoded(copy));
    QCOMPARE(list1()->currentRow(), kRow);
    QCOMPARE(m_window->drawnEntry()->image.row, kRow);
    verifyCanvasShows(newPicture());

    // a cancelled save dialog writes nothing
    m_dialogs->onChooseContainerSavePath = nullptr;
    const QByteArray copied = fileBytes(copy);
    replaceThroughMenu(writePng(QStringLiteral("other.png"), tooColourful().copy(0, 0, 3, 3)),
                       ReplaceChoice::SaveAs);
    QVERIFY(m_dialogs->messages.isEmpty());
    QVERIFY(fileBytes(copy) == copied);
    QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("*.zpk")}).size(), 2);
}

void ReplaceTest::cancelChangesNothing()
{
    const QByteArray original = fileBytes(container());
    const std::vector<Colour> shown = canvasPixels();
    const int renders = m_window->renderCount();
    replaceThroughMenu(writePng(QStringLiteral("new.png"), newPicture()), ReplaceChoice::Cancel);
    QVERIFY(m_asked);
    QVERIFY(m_dialogs->messages.isEmpty());
    QVERIFY(fileBytes(container()) == original);
    QCOMPARE(m_window->renderCount(), renders);
    QVERIFY(canvasPixels() == shown);
    QCOMPARE(list1()->currentRow(), kRow);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2);  // the container and the PNG

    // nothing drawn: nothing to replace
    ContainerBuilder empty;
    empty.entry(WriterImage{0, 3, kFour, {}});
    writeBytes(path(QStringLiteral("empty.zpk")), containerBytes(empty));
    m_window->loadFile(path(QStringLiteral("empty.zpk")));
    QVERIFY(!m_window->drawnEntry());
    QVERIFY(!replaceAction()->isEnabled());
    QVERIFY(!m_window->canvasMenu()->replaceDrawnEntry(path(QStringLiteral("new.png"))));
}

void ReplaceTest::transparentPixelsWithTheOption()
{
    const QString picture = writePng(QStringLiteral("clear.png"), transparentPicture());
    replaceThroughMenu(picture, ReplaceChoice::ReplaceInPlace, true);
    QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->messages.join(QLatin1Char('\n'))));
    const auto [replaced, palette] = decodedRow(loaded(container()), kRow);
    QCOMPARE(replaced.imageWidth, 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) QCOMPARE(replaced.at(x, y) == 0, x == 1 && y == 1);
    // the option is offered as it was last answered
    replaceThroughMenu(picture, ReplaceChoice::Cancel);
    QVERIFY(m_asked && m_asked->options.transparentIndex0);
}

void ReplaceTest::failuresLeaveEverythingAsItWas()
{
    const QByteArray original = fileBytes(container());
    const QString picture = writePng(QStringLiteral("new.png"), newPicture());
    const QString colourful = writePng(QStringLiteral("colourful.png"), tooColourful());
    const QString clear = writePng(QStringLiteral("clear.png"), transparentPicture());
    QFile notPng(path(QStringLiteral("text.png")));
    QVERIFY(notPng.open(QIODevice::WriteOnly));
    notPng.write("not a picture");
    notPng.close();

    const auto verifyRefused = [&](const QString& png, ReplaceChoice choice, const QString& named,
                                   const QString& mentioned) {
        const std::vector<Colour> shown = canvasPixels();
        const int renders = m_window->renderCount();
        m_dialogs->messages.clear();
        replaceThroughMenu(png, choice);
        QVERIFY2(m_dialogs->messages.size() == 1, qPrintable(png));
        const QString message = m_dialogs->messages.first();
        QVERIFY2(message.contains(named), qPrintable(message));
        QVERIFY2(message.contains(mentioned), qPrintable(message));
        QVERIFY2(fileBytes(container()) == original, qPrintable(png));
        QCOMPARE(m_window->state().file.filePath, encoded(container()));
        QCOMPARE(m_window->renderCount(), renders);
        QVERIFY(canvasPixels() == shown);
        QCOMPARE(list1()->currentRow(), kRow);
        QCOMPARE(m_window->drawnEntry()->image.row, kRow);
    };

    verifyRefused(colourful, ReplaceChoice::ReplaceInPlace, colourful, QStringLiteral("257"));
    verifyRefused(clear, ReplaceChoice::ReplaceInPlace, clear, QStringLiteral("(1, 1)"));
    verifyRefused(notPng.fileName(), ReplaceChoice::ReplaceInPlace, notPng.fileName(), QString());

    // a folder that does not exist, and one that cannot be written to: the
    // edit stays in memory, and the file as it was
    const auto verifyNotSaved = [&](const QString& named, const QString& mentioned) {
        m_dialogs->messages.clear();
        replaceInMemory(picture, ReplaceChoice::SaveAs);
        QVERIFY2(m_dialogs->messages.size() == 1, qPrintable(named));
        const QString message = m_dialogs->messages.first();
        QVERIFY2(message.contains(named), qPrintable(message));
        QVERIFY2(message.contains(mentioned), qPrintable(message));
        QVERIFY(fileBytes(container()) == original);
        QCOMPARE(m_window->state().file.filePath, encoded(container()));
        QVERIFY(m_window->edits().isModified());
        QCOMPARE(m_window->drawnEntry()->image.imageWidth, 4);
        m_window->edits().undo();
        QVERIFY(!m_window->edits().isModified());
    };
    const QString missing = path(QStringLiteral("no-such-folder/new.zpk"));
    m_dialogs->onChooseContainerSavePath = [&](const QString&) -> std::optional<QString> { return missing; };
    verifyNotSaved(missing, QStringLiteral("없습니다"));
    QVERIFY(!QFileInfo::exists(missing));

    // A folder without write permission; as root, where permissions do not
    // stop a write, a "folder" that is a file.
    m_locked = path(QStringLiteral("locked"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("locked")));
    QVERIFY(QFile::setPermissions(m_locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool permissionsHold = access(QFile::encodeName(m_locked).constData(), W_OK) != 0;
    const QString unwritable = permissionsHold ? QDir(m_locked).filePath(QStringLiteral("new.zpk"))
                                               : QDir(container()).filePath(QStringLiteral("new.zpk"));
    m_dialogs->onChooseContainerSavePath = [&](const QString&) -> std::optional<QString> {
        return unwritable;
    };
    verifyNotSaved(unwritable, permissionsHold ? QStringLiteral("권한") : QStringLiteral("없습니다"));
    QVERIFY(QDir(m_locked).isEmpty());
}

void ReplaceTest::refusedWhileExporting()
{
    const QByteArray original = fileBytes(container());
    QSignalSpy finished(m_window->canvasMenu(), &CanvasMenu::exportFinished);
    QVERIFY(m_window->canvasMenu()->exportAll(path(QStringLiteral("exported"))));
    QVERIFY(m_window->canvasMenu()->isExporting());
    replaceThroughMenu(writePng(QStringLiteral("new.png"), newPicture()), ReplaceChoice::ReplaceInPlace);
    QVERIFY(!m_asked);
    QCOMPARE(m_dialogs->messages.size(), 1);
    QVERIFY(fileBytes(container()) == original);
    QVERIFY(finished.wait(20000));
    QVERIFY(fileBytes(container()) == original);
}

void ReplaceTest::dialogShowsBothPicturesAndFollowsTheCheckBox()
{
    ReplacePreview preview;
    preview.drawn = m_window->drawnEntry();
    preview.containerPath = container();
    preview.picturePath = writePng(QStringLiteral("clear.png"), transparentPicture());
    ReplaceDialog dialog(preview, m_window.get());
    auto* replace = dialog.findChild<QPushButton*>(QStringLiteral("replaceInPlace"));
    auto* saveAs = dialog.findChild<QPushButton*>(QStringLiteral("saveAs"));
    auto* check = dialog.findChild<QCheckBox*>(QStringLiteral("transparentIndex0"));
    auto* currentSize = dialog.findChild<QLabel*>(QStringLiteral("currentSize"));
    auto* newSize = dialog.findChild<QLabel*>(QStringLiteral("newSize"));
    auto* newPictureLabel = dialog.findChild<QLabel*>(QStringLiteral("newPicture"));
    QVERIFY(replace && saveAs && check && currentSize && newSize && newPictureLabel);

    QCOMPARE(currentSize->text(), ReplaceDialog::sizeText(7, 5, 1));
    // the transparent pixel cannot be packed without the option: only cancel
    QVERIFY(!dialog.picture());
    QVERIFY(!replace->isEnabled());
    QVERIFY(!saveAs->isEnabled());
    QVERIFY(newSize->text().isEmpty());
    QVERIFY(newPictureLabel->text().contains(QStringLiteral("(1, 1)")));

    check->setChecked(true);
    QVERIFY(dialog.picture());
    QCOMPARE(dialog.picture()->colours.size(), 4u);               // value 0 and three colours
    QCOMPARE(newSize->text(), ReplaceDialog::sizeText(4, 3, 4));  // the transparent pixel's 0 too
    QVERIFY(!newPictureLabel->pixmap().isNull());
    QVERIFY(replace->isEnabled() && saveAs->isEnabled());
    QVERIFY(dialog.options().transparentIndex0);

    QCOMPARE(dialog.choice(), ReplaceChoice::Cancel);
    saveAs->click();
    QCOMPARE(dialog.choice(), ReplaceChoice::SaveAs);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

// Another program changed the file since it was loaded: saving asks before
// it overwrites, and a no keeps both the file and the edit. A
// write-protected file is replaced only when the user says so.
void ReplaceTest::aChangeMadeOnDiskIsNeverUndone()
{
    const QString picture = writePng(QStringLiteral("new.png"), newPicture());
    ContainerBuilder theirs;
    theirs.entry(solidImage(5, 5, 3)).entry(solidImage(4, 4, 2));
    writeBytes(container(), containerBytes(theirs));
    const QByteArray changed = fileBytes(container());
    QStringList asked;
    bool answer = false;
    m_dialogs->onAskYesNo = [&](const QString&, const QString& text) {
        asked.append(text);
        return answer;
    };
    replaceThroughMenu(picture, ReplaceChoice::ReplaceInPlace);
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked.first().contains(container()), qPrintable(asked.first()));
    QVERIFY(m_dialogs->messages.isEmpty());  // the answer says it all
    QVERIFY(fileBytes(container()) == changed);
    QVERIFY(m_window->edits().isModified());
    answer = true;
    QVERIFY(m_window->edits().save());
    QCOMPARE(loaded(container()).rowCount(), 3);  // the edited container, as the user chose

    // write-protected: asked, and kept when the answer is no
    QVERIFY(QFile::setPermissions(container(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    m_window->loadFile(container());
    const QByteArray saved = fileBytes(container());
    list1()->setCurrentRow(kRow);
    asked.clear();
    answer = false;
    replaceThroughMenu(writePng(QStringLiteral("other.png"), tooColourful().copy(0, 0, 3, 3)),
                       ReplaceChoice::ReplaceInPlace);
    QCOMPARE(asked.size(), 1);
    QVERIFY(fileBytes(container()) == saved);
    answer = true;
    QVERIFY(m_window->edits().save());
    QVERIFY(fileBytes(container()) != saved);
    QCOMPARE(QFileInfo(container()).permissions() & QFileDevice::WriteOwner, QFileDevice::Permissions{});
}

QTEST_MAIN(ReplaceTest)
#include "ReplaceTest.moc"
