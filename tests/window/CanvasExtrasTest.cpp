// What the viewer adds around the main window's controls: the canvas menu (save,
// copy, export all, inspect), the inspector, and loading by drag and drop.
// Saved files are compared with what the `zpk` tool writes for the same
// entry; inspector readings with the decoded pixels.
#include "ScriptedDialogs.h"
#include "TestContainers.h"

#include "container/Container.h"
#include "decode/Decoder.h"
#include "png/PngWriter.h"
#include "window/MainWindow.h"
#include "window/PictureCanvas.h"
#include "window/inspector/ImageView.h"
#include "window/inspector/InspectorWindow.h"
#include "window/inspector/PalettePanel.h"
#include "window/menu/CanvasMenu.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using namespace zpk;
using namespace zpk::windowtest;

namespace {

const std::vector<Rgb> kFour = {{10, 20, 30}, {60, 70, 80}, {110, 120, 130}, {160, 170, 180}};

// Rows: 0 a 6 x 4 stripe with value 0 in it, 1 a solid, 2 an empty image
// (width 0), 3 a stripe too large for the inspector's view at 32x, 4 a
// stripe whose stream ends early (the last entry: a stream runs on into the
// next entry's bytes).
// 6 x 4: a palette that ends at the 0xFF 0xFE pair, a run of three 0s and
// two literal 1s (colour 30, 190, 40); the other 19 pixels never come.
const Bytes kShortEntry = {6, 0, 4, 0, 0, 0, 200, 10, 20, 30, 190, 40, 0xFF, 0xFE, 0, 3, 0, 1, 1};

Bytes sampleContainer()
{
    return containerBytes(ContainerBuilder()
                              .entry(stripedImage(6, 4, kFour))
                              .entry(solidImage(7, 5, {200, 30, 30}))
                              .entry({0, 3, kFour, {}})
                              .entry(stripedImage(40, 30, kFour))
                              .rawEntry(kShortEntry));
}

// 255 entries of noise, slow enough to compress that an export of them is
// still running when the test acts on it.
Bytes largeContainer()
{
    ContainerBuilder builder;
    for (int k = 0; k < kMaxEntries; ++k) builder.entry(randomImage(96, 96, static_cast<std::uint32_t>(k)));
    return containerBytes(builder);
}

// Names in `folder` that are not PNGs of three digits: temporary files left behind.
QStringList strayFiles(const QString& folder)
{
    QStringList stray;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        if (!QRegularExpression(QStringLiteral("^\\d{3}\\.png$")).match(name).hasMatch()) stray.append(name);
    return stray;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class CanvasExtrasTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void menuItemsFollowWhatIsDrawn();
    void menuOpensFromMouseAndKeyboard();
    void saveWritesWhatTheToolWrites();
    void saveFailureIsReported();
    void copyPutsTheImageOnTheClipboard();
    void exportAllWritesEveryEntry();
    void exportAllAsksBeforeOverwriting();
    void exportAllCanBeCancelled();
    void exportAllReportsAFailedWrite();

    void inspectorFollowsRenders();
    void inspectorReadsPixelsAtEveryZoom();
    void inspectorMarksUsedColours();
    void inspectorShowsUndrawnPixels();

    void dropLoadsAContainer();
    void dropOfABadFileKeepsEverything();
    void aFailedLoadGivesTheDrawnEntryBack();
    void otherDropsAreIgnored();

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    QAction* action(const char* name) const
    {
        auto* a = m_window->findChild<QAction*>(QLatin1String(name));
        if (a == nullptr) qFatal("no action %s", name);
        return a;
    }
    QListWidget* list1() const { return m_window->findChild<QListWidget*>(QStringLiteral("List1")); }
    void selectRow(int row) { list1()->setCurrentRow(row); }
    // Runs `zpk export` on the sample and returns the PNG bytes it wrote.
    QByteArray exportedByTool(int row, const QStringList& options);
    void drop(const QList<QUrl>& urls, bool* accepted = nullptr);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindow> m_window;
    std::shared_ptr<ScriptedDialogs> m_dialogs;
    CanvasMenu* menu() const { return m_window->canvasMenu(); }
    // Starts "export all" into `folder` and waits for its end: the PNGs written.
    int exportAllAndWait(const QString& folder);
};

void CanvasExtrasTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    writeBytes(path("sample.zpk"), sampleContainer());
    writeBytes(path("other.zpk"), containerBytes(ContainerBuilder().entry(solidImage(3, 3, {1, 2, 3}))));
    writeBytes(path("bad.zpk"), Bytes(12, 0));
    m_window = std::make_unique<MainWindow>(m_dir->path());
    m_dialogs = std::make_shared<ScriptedDialogs>();
    m_window->setDialogs(m_dialogs);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void CanvasExtrasTest::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

QByteArray CanvasExtrasTest::exportedByTool(int row, const QStringList& options)
{
    const QString out = path(QStringLiteral("tool-%1.png").arg(row));
    QProcess tool;
    tool.start(QStringLiteral(ZPK_BINARY),
               QStringList{QStringLiteral("export"), path("sample.zpk"), QStringLiteral("--entry"),
                           QString::number(row), QStringLiteral("-o"), out} +
                   options);
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0) {
        qWarning("zpk export failed: %s", tool.readAllStandardError().constData());
        return {};
    }
    return readAll(out);
}

void CanvasExtrasTest::drop(const QList<QUrl>& urls, bool* accepted)
{
    QMimeData data;
    data.setUrls(urls);
    const QPointF at(300, 200);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_window.get(), &enter);
    if (accepted != nullptr) *accepted = enter.isAccepted();
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_window.get(), &dropped);
}

// --- the canvas menu -------------------------------------------------------

void CanvasExtrasTest::menuItemsFollowWhatIsDrawn()
{
    QMenu* menu = m_window->canvasMenu();
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) texts.append(a->text());
    QCOMPARE(texts,
             (QStringList{QStringLiteral("이미지 저장…"), QStringLiteral("복사"), QStringLiteral("바꾸기…"),
                          QStringLiteral("되돌리기"), QStringLiteral("다시 하기"),
                          QStringLiteral("바꾼 내용 저장"), QStringLiteral("다른 이름으로 저장…"),
                          QStringLiteral("모두 내보내기…"), QStringLiteral("자세히 보기"),
                          QStringLiteral("모아 보기"), QStringLiteral("재생"), QStringLiteral("비교…"),
                          QStringLiteral("팔레트 불러오기…"), QStringLiteral("팔레트 되돌리기"),
                          QStringLiteral("팔레트 저장…"), QStringLiteral("최근 파일"),
                          QStringLiteral("zpkview 정보")}));

    const auto enabled = [this] {
        int count = 0;
        for (const char* name : {"saveImage", "copyImage", "exportAll", "inspect"})
            count += action(name)->isEnabled();
        return count;
    };
    QCOMPARE(enabled(), 0);  // nothing drawn yet
    m_window->loadFile(path("sample.zpk"));
    QCOMPARE(enabled(), 4);
    selectRow(2);  // width 0: nothing drawn
    QVERIFY(!m_window->drawnEntry());
    QCOMPARE(enabled(), 0);
    selectRow(1);
    QCOMPARE(enabled(), 4);
    m_window->loadFile(path("bad.zpk"));  // a failed load keeps the image and the menu
    QCOMPARE(enabled(), 4);
}

void CanvasExtrasTest::menuOpensFromMouseAndKeyboard()
{
    m_window->loadFile(path("sample.zpk"));
    auto* canvas = m_window->findChild<PictureCanvas*>(QStringLiteral("Picture1"));
    QMenu* menu = m_window->canvasMenu();

    QContextMenuEvent byMouse(QContextMenuEvent::Mouse, QPoint(20, 20), canvas->mapToGlobal(QPoint(20, 20)));
    QCoreApplication::sendEvent(canvas, &byMouse);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();

    canvas->setFocus();
    QContextMenuEvent byKey(QContextMenuEvent::Keyboard, QPoint(0, 0), canvas->mapToGlobal(QPoint(0, 0)));
    QCoreApplication::sendEvent(canvas, &byKey);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
}

void CanvasExtrasTest::saveWritesWhatTheToolWrites()
{
    m_window->loadFile(path("sample.zpk"));
    QString suggested;
    const QString out = path("saved.png");
    m_dialogs->onChooseSavePath = [&](const QString& s) -> std::optional<QString> {
        suggested = s;
        return out;
    };
    action("saveImage")->trigger();
    QCOMPARE(QFileInfo(suggested).fileName(), QStringLiteral("sample-0.png"));
    QCOMPARE(readAll(out), exportedByTool(0, {}));

    // drop first, and an entry whose stream ends early
    m_window->findChild<QCheckBox*>(QStringLiteral("mode_back"))->setChecked(true);
    selectRow(4);
    QVERIFY(menu()->saveImage(out));
    const QByteArray saved = readAll(out);
    QCOMPARE(saved, exportedByTool(4, {QStringLiteral("--drop-first")}));
    const QImage image = QImage::fromData(saved);
    QCOMPARE(image.size(), QSize(6, 4));
    QCOMPARE(qAlpha(image.pixel(5, 0)), 0);  // never produced
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);  // value 0, dropped
    QCOMPARE(image.pixel(3, 0), qRgb(30, 190, 40));

    // a cancelled dialog writes nothing
    QFile::remove(out);
    m_dialogs->onChooseSavePath = [](const QString&) -> std::optional<QString> { return std::nullopt; };
    action("saveImage")->trigger();
    QVERIFY(!QFileInfo::exists(out));
    QVERIFY(m_dialogs->messages.isEmpty());
}

void CanvasExtrasTest::saveFailureIsReported()
{
    m_window->loadFile(path("sample.zpk"));
    QVERIFY(!menu()->saveImage(path("no-such-folder/x.png")));
    QCOMPARE(m_dialogs->messages.size(), 1);
    QVERIFY(m_dialogs->messages.first().startsWith(QStringLiteral("이미지를 저장할 수 없습니다.")));
    QVERIFY(m_dialogs->messages.first().contains(QStringLiteral("no-such-folder/x.png")));
}

void CanvasExtrasTest::copyPutsTheImageOnTheClipboard()
{
    m_window->loadFile(path("sample.zpk"));
    selectRow(1);
    QApplication::clipboard()->clear();
    action("copyImage")->trigger();
    const QImage copied = QApplication::clipboard()->image();
    QCOMPARE(copied.size(), QSize(7, 5));
    QCOMPARE(copied.pixel(3, 2), qRgb(200, 30, 30));
    QCOMPARE(qAlpha(copied.pixel(6, 4)), 255);
}

void CanvasExtrasTest::exportAllWritesEveryEntry()
{
    m_window->loadFile(path("sample.zpk"));
    const QString folder = path("out");
    QDir().mkpath(folder);
    m_dialogs->onChooseExportFolder = [&](const QString&) -> std::optional<QString> { return folder; };
    QSignalSpy finished(menu(), &CanvasMenu::exportFinished);
    action("exportAll")->trigger();
    // the result box comes with the progress gone from the screen, not
    // still on top of it and taking its clicks
    const QPointer<QProgressDialog> progress =
        m_window->findChild<QProgressDialog*>(QStringLiteral("exportProgress"));
    QVERIFY(progress != nullptr);
    progress->show();  // as after its delay
    bool progressShownWithResult = true;
    m_dialogs->onInfo = [&](const QString&) { progressShownWithResult = progress && progress->isVisible(); };
    QVERIFY(finished.wait(10000));
    QVERIFY(!progressShownWithResult);

    const QDir written(QDir(folder).filePath(QStringLiteral("sample")));
    QCOMPARE(written.entryList(QDir::Files),
             (QStringList{"000.png", "001.png", "003.png", "004.png"}));  // row 2 has nothing to draw
    for (const int row : {0, 1, 3, 4})
        QCOMPARE(readAll(written.filePath(QStringLiteral("%1.png").arg(row, 3, 10, QLatin1Char('0')))),
                 exportedByTool(row, {}));
    QCOMPARE(m_dialogs->infos.size(), 1);
    QVERIFY(m_dialogs->infos.first().contains(QStringLiteral("4개")));
    QVERIFY(m_dialogs->infos.first().contains(QStringLiteral("건너뛴 항목: 2")));
}

void CanvasExtrasTest::exportAllAsksBeforeOverwriting()
{
    m_window->loadFile(path("sample.zpk"));
    const QString folder = path("out");
    QDir().mkpath(QDir(folder).filePath(QStringLiteral("sample")));
    const QString existing = QDir(folder).filePath(QStringLiteral("sample/001.png"));
    writeBytes(existing, Bytes{1, 2, 3});
    int asked = 0;
    m_dialogs->onAskYesNo = [&](const QString&, const QString&) {
        ++asked;
        return false;
    };
    QVERIFY(!menu()->exportAll(folder));
    QCOMPARE(asked, 1);
    QCOMPARE(readAll(existing), QByteArray("\x01\x02\x03", 3));
    QVERIFY(!QFileInfo::exists(QDir(folder).filePath(QStringLiteral("sample/000.png"))));

    m_dialogs->onAskYesNo = [](const QString&, const QString&) { return true; };
    QCOMPARE(exportAllAndWait(folder), 4);
    QCOMPARE(readAll(existing), exportedByTool(1, {}));
}

void CanvasExtrasTest::exportAllCanBeCancelled()
{
    writeBytes(path("large.zpk"), largeContainer());
    m_window->loadFile(path("large.zpk"));
    const QString folder = path("out");
    QSignalSpy finished(menu(), &CanvasMenu::exportFinished);
    QVERIFY(menu()->exportAll(folder));
    QVERIFY(menu()->isExporting());
    QVERIFY(!menu()->exportAll(folder));     // one export at a time
    m_window->loadFile(path("sample.zpk"));  // refused: the export reads the loaded file
    QCOMPARE(QString::fromStdString(m_window->state().file.filePath), path("large.zpk"));

    auto* progress = m_window->findChild<QProgressDialog*>(QStringLiteral("exportProgress"));
    QVERIFY(progress != nullptr);
    auto* cancel = progress->findChild<QPushButton*>();  // "취소"
    QVERIFY(cancel != nullptr);
    cancel->click();
    QVERIFY(finished.wait(20000));
    const int written = finished.first().first().toInt();
    QVERIFY2(written < kMaxEntries, qPrintable(QString::number(written)));
    QCOMPARE(m_dialogs->infos.size(), 1);
    QVERIFY(m_dialogs->infos.first().contains(QStringLiteral("중간에 취소했습니다.")));
    // what was written is whole, and nothing half-written is left
    const QString target = QDir(folder).filePath(QStringLiteral("large"));
    QCOMPARE(QDir(target).entryList(QDir::Files).size(), written);
    QCOMPARE(strayFiles(target), QStringList());
    QVERIFY(!menu()->isExporting());
    m_window->loadFile(path("sample.zpk"));  // loads work again
    QCOMPARE(QString::fromStdString(m_window->state().file.filePath), path("sample.zpk"));
}

void CanvasExtrasTest::exportAllReportsAFailedWrite()
{
    m_window->loadFile(path("sample.zpk"));
    const QString folder = path("out");
    const QString target = QDir(folder).filePath(QStringLiteral("sample"));
    // a folder where row 3's PNG would go: that one write fails, the others go on
    QDir().mkpath(QDir(target).filePath(QStringLiteral("003.png")));
    m_dialogs->onAskYesNo = [](const QString&, const QString&) { return true; };
    QCOMPARE(exportAllAndWait(folder), 3);
    QCOMPARE(m_dialogs->messages.size(), 1);
    QVERIFY(m_dialogs->messages.first().startsWith(QStringLiteral("이미지를 저장할 수 없습니다.")));
    QVERIFY(m_dialogs->messages.first().contains(QStringLiteral("003.png")));
    for (const int row : {0, 1, 4})
        QCOMPARE(readAll(QDir(target).filePath(QStringLiteral("%1.png").arg(row, 3, 10, QLatin1Char('0')))),
                 exportedByTool(row, {}));
    QCOMPARE(strayFiles(target), QStringList());
}

int CanvasExtrasTest::exportAllAndWait(const QString& folder)
{
    QSignalSpy finished(menu(), &CanvasMenu::exportFinished);
    if (!menu()->exportAll(folder)) return -1;
    if (!finished.wait(20000)) return -2;
    return finished.first().first().toInt();
}

// --- the inspector -----------------------------------------------------------

void CanvasExtrasTest::inspectorFollowsRenders()
{
    m_window->loadFile(path("sample.zpk"));
    action("inspect")->trigger();
    InspectorWindow* inspector = menu()->inspector();
    QVERIFY(inspector != nullptr && inspector->isVisible());
    QCOMPARE(inspector->entry(), m_window->drawnEntry().get());
    QCOMPARE(inspector->view()->image().size(), QSize(6, 4));

    selectRow(1);
    QCOMPARE(inspector->entry(), m_window->drawnEntry().get());
    QCOMPARE(inspector->view()->image().size(), QSize(7, 5));
    QVERIFY(inspector->summaryText().startsWith(QStringLiteral("7 x 5")));

    selectRow(2);  // nothing drawn
    QVERIFY(inspector->entry() == nullptr);
    QVERIFY(inspector->view()->image().isNull());

    QTest::keyClick(inspector, Qt::Key_Escape);
    QVERIFY(!inspector->isVisible());
    QVERIFY(m_window->isVisible());

    // closed, it holds no entry, and is given the drawn one when it opens
    selectRow(1);
    std::weak_ptr<const DrawnEntry> drawn = m_window->drawnEntry();
    QVERIFY(inspector->entry() == nullptr);
    selectRow(0);
    QVERIFY(drawn.expired());
    action("inspect")->trigger();
    QCOMPARE(inspector->entry(), m_window->drawnEntry().get());
    QCOMPARE(inspector->view()->image().size(), QSize(6, 4));
}

void CanvasExtrasTest::inspectorReadsPixelsAtEveryZoom()
{
    m_window->loadFile(path("sample.zpk"));
    selectRow(3);  // 40 x 30, value (x + 2y) mod 4
    InspectorWindow* inspector = menu()->openInspector();
    inspector->resize(500, 400);
    ImageView* view = inspector->view();

    const auto hover = [view](QPoint point) {
        const QPoint at = view->viewportPointOf(point);
        QMouseEvent move(QEvent::MouseMove, at, view->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &move);
    };
    for (const int zoom : {0, 1, 3, 8, 32}) {
        inspector->setZoom(zoom);
        QCOMPARE(inspector->zoom(), zoom);
        if (zoom == 32) {
            // far more than the view shows: scroll to the far corner first
            view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
            view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
        }
        for (const QPoint point : {QPoint(39, 29), QPoint(38, 28), QPoint(37, 29)}) {
            hover(point);
            QCOMPARE(view->imagePointAt(view->viewportPointOf(point)), point);
            const int value = (point.x() + 2 * point.y()) % 4;
            const Rgb rgb = kFour[static_cast<std::size_t>(value)];
            const InspectorWindow::PixelInfo info = inspector->pixelInfo(point);
            QVERIFY(info.inside && info.drawn);
            QCOMPARE(info.value, value);
            QCOMPARE(info.paletteEntry, value + 2);
            QCOMPARE(info.colour, colourOf(rgb));
            const QString status = inspector->statusText();
            QVERIFY2(status.startsWith(QStringLiteral("x %1, y %2: 값 %3, 팔레트 %4")
                                           .arg(point.x())
                                           .arg(point.y())
                                           .arg(value)
                                           .arg(value + 2)),
                     qPrintable(status));
            QVERIFY2(status.contains(QStringLiteral("#%1%2%3 (R %4, G %5, B %6)")
                                         .arg(rgb.red, 2, 16, QLatin1Char('0'))
                                         .arg(rgb.green, 2, 16, QLatin1Char('0'))
                                         .arg(rgb.blue, 2, 16, QLatin1Char('0'))
                                         .toUpper()
                                         .arg(rgb.red)
                                         .arg(rgb.green)
                                         .arg(rgb.blue)),
                     qPrintable(status));
            QCOMPARE(inspector->palettePanel()->highlight(), value);  // the swatch lights up too
        }
    }
}

void CanvasExtrasTest::inspectorMarksUsedColours()
{
    m_window->loadFile(path("sample.zpk"));
    selectRow(1);  // one value: 0
    InspectorWindow* inspector = menu()->openInspector();
    QCOMPARE(inspector->palettePanel()->usedValues().count(), std::size_t{1});
    QVERIFY(inspector->palettePanel()->usedValues()[0]);

    selectRow(0);
    const std::bitset<256> used = inspector->palettePanel()->usedValues();
    QCOMPARE(used.count(), std::size_t{4});
    // with drop first, value 0 is not drawn and so not used
    m_window->findChild<QCheckBox*>(QStringLiteral("mode_back"))->setChecked(true);
    selectRow(1);
    selectRow(0);
    QCOMPARE(inspector->palettePanel()->usedValues().count(), std::size_t{3});
    QVERIFY(!inspector->palettePanel()->usedValues()[0]);

    // hovering a swatch highlights it and fades the other pixels
    PalettePanel* panel = inspector->palettePanel();
    const QPoint centre = panel->swatchRect(2).center();
    QMouseEvent move(QEvent::MouseMove, centre, panel->mapToGlobal(centre), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(panel, &move);
    QCOMPARE(panel->highlight(), 2);
    const QImage shown = inspector->view()->image();
    QCOMPARE(qAlpha(shown.pixel(2, 0)), 255);  // value 2
    QVERIFY(qAlpha(shown.pixel(1, 0)) < 255);  // value 1, faded
}

void CanvasExtrasTest::inspectorShowsUndrawnPixels()
{
    m_window->loadFile(path("sample.zpk"));
    selectRow(4);  // five pixels come, 19 never do
    InspectorWindow* inspector = menu()->openInspector();
    const InspectorWindow::PixelInfo missing = inspector->pixelInfo({5, 3});
    QVERIFY(missing.inside && !missing.produced && !missing.drawn);
    QCOMPARE(qAlpha(inspector->view()->image().pixel(5, 3)), 0);
    QVERIFY(!inspector->pixelInfo({6, 0}).inside);
    QVERIFY(inspector->summaryText().contains(QStringLiteral("픽셀 5 / 24")));
}

// --- drag and drop -------------------------------------------------------------

void CanvasExtrasTest::dropLoadsAContainer()
{
    bool accepted = false;
    drop({QUrl::fromLocalFile(path("notes.txt")), QUrl::fromLocalFile(path("sample.zpk"))}, &accepted);
    QVERIFY(accepted);
    QCOMPARE(QString::fromStdString(m_window->state().file.filePath), path("sample.zpk"));
    QCOMPARE(list1()->count(), 5);
    QVERIFY(m_window->drawnEntry() != nullptr);
}

void CanvasExtrasTest::dropOfABadFileKeepsEverything()
{
    m_window->loadFile(path("other.zpk"));
    const auto drawn = m_window->drawnEntry();
    const Surface before = m_window->findChild<PictureCanvas*>(QStringLiteral("Picture1"))->surface();
    drop({QUrl::fromLocalFile(path("bad.zpk"))});
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(QString::fromStdString(m_window->state().file.filePath), path("other.zpk"));
    QCOMPARE(list1()->count(), 1);
    QCOMPARE(m_window->drawnEntry(), drawn);
    const Surface& after = m_window->findChild<PictureCanvas*>(QStringLiteral("Picture1"))->surface();
    QVERIFY(std::equal(before.data(), before.data() + kCanvasWidth * kCanvasHeight, after.data()));

    drop({QUrl::fromLocalFile(path("vanished.zpk"))});  // gone by the time it lands
    QCOMPARE(m_dialogs->messages.size(), 2);
    QVERIFY(m_dialogs->messages.last().startsWith(QStringLiteral("파일을 열 수 없습니다.")));
    QCOMPARE(QString::fromStdString(m_window->state().file.filePath), path("other.zpk"));
}

void CanvasExtrasTest::aFailedLoadGivesTheDrawnEntryBack()
{
    // The window lets go of the drawn entry while it reads a file. Held by
    // nobody else, the entry comes back decoded again: the menu saves the
    // same PNG as before, with the palette and option it was drawn with.
    m_window->loadFile(path("sample.zpk"));
    m_window->findChild<QCheckBox*>(QStringLiteral("mode_back"))->setChecked(true);
    selectRow(4);  // a stream that ends early
    m_window->findChild<QCheckBox*>(QStringLiteral("mode_back"))->setChecked(false);  // not drawn yet
    const QString out = path("kept.png");
    m_window->loadFile(path("bad.zpk"));
    QCOMPARE(m_dialogs->messages.size(), 1);
    QVERIFY(m_window->drawnEntry() != nullptr);
    QCOMPARE(m_window->drawnEntry()->image.row, 4);
    QCOMPARE(m_window->drawnEntry()->filePath, path("sample.zpk"));
    QVERIFY(menu()->saveImage(out));
    QCOMPARE(readAll(out), exportedByTool(4, {QStringLiteral("--drop-first")}));

    // Held by an open inspector, it is the same entry, still shown there.
    action("inspect")->trigger();
    InspectorWindow* inspector = menu()->inspector();
    const DrawnEntry* shown = inspector->entry();
    m_window->loadFile(path("bad.zpk"));
    QCOMPARE(m_dialogs->messages.size(), 2);
    QCOMPARE(m_window->drawnEntry().get(), shown);
    QCOMPARE(inspector->entry(), shown);
    QVERIFY(menu()->saveImage(out));
    QCOMPARE(readAll(out), exportedByTool(4, {QStringLiteral("--drop-first")}));
}

void CanvasExtrasTest::otherDropsAreIgnored()
{
    bool accepted = true;
    drop({QUrl::fromLocalFile(path("notes.txt"))}, &accepted);
    QVERIFY(!accepted);
    drop({QUrl(QStringLiteral("https://example.org/remote.zpk"))}, &accepted);
    QVERIFY(!accepted);
    QVERIFY(!m_window->state().file.isLoaded());
    QVERIFY(m_dialogs->messages.isEmpty());
}

QTEST_MAIN(CanvasExtrasTest)
#include "CanvasExtrasTest.moc"
