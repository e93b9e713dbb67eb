// The comparison ("비교…"): the rows that differ are the ones marked, Left and Right step through them only,
// a row selected shows the library's pictures and mask; a file that cannot be read changes nothing; a load in
// the main window compares again.
#include "ScriptedDialogs.h"
#include "TestContainers.h"

#include "compare/Compare.h"
#include "container/Container.h"
#include "window/DrawnEntry.h"
#include "window/MainWindow.h"
#include "window/compare/CompareWindow.h"
#include "window/menu/CanvasMenu.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace zpk;
using namespace zpk::windowtest;

namespace {

constexpr int kPatience = 30000;

// A: six sprites. B: row 1 another sprite of the same size, row 3 larger,
// row 4 the same, and a seventh row.
std::vector<WriterImage> spritesA()
{
    std::vector<WriterImage> images;
    for (int i = 0; i < 6; ++i) images.push_back(spriteImage(16 + i, 12, 20 + static_cast<std::uint32_t>(i)));
    return images;
}

std::vector<WriterImage> spritesB()
{
    std::vector<WriterImage> images = spritesA();
    images[1] = spriteImage(17, 12, 99);
    images[3] = spriteImage(30, 12, 23);
    images.push_back(framedImage());
    return images;
}

}  // namespace

class CompareWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void marksTheRowsThatDiffer();
    void arrowsStepThroughDifferingRowsOnly();
    void aRowShowsBothPicturesAndTheMask();
    void anUnreadableFileChangesNothing();
    void aLoadComparesAgain();

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    // Loads a.zpk, compares it with `other` through "비교…", and waits.
    CompareWindow* compare(const QString& other);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindow> m_window;
    std::shared_ptr<ScriptedDialogs> m_dialogs;
};

void CompareWindowTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    writeBytes(path("a.zpk"), containerBytes(containerOf(spritesA())));
    writeBytes(path("b.zpk"), containerBytes(containerOf(spritesB())));
    m_window = std::make_unique<MainWindow>(m_dir->path());
    m_dialogs = std::make_shared<ScriptedDialogs>();
    m_window->setDialogs(m_dialogs);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void CompareWindowTest::cleanup()
{
    if (m_dialogs) QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->messages.join(u'\n')));
    m_window.reset();
    m_dir.reset();
}

CompareWindow* CompareWindowTest::compare(const QString& other)
{
    m_window->loadFile(path("a.zpk"));
    m_dialogs->onChooseComparedFile = [this, other](const QString&) { return std::optional(path(other)); };
    auto* action = m_window->findChild<QAction*>(QStringLiteral("compare"));
    if (!action || !action->isEnabled()) return nullptr;
    action->trigger();
    CompareWindow* window = m_window->canvasMenu()->comparison();
    if (!QTest::qWaitFor([window] { return !window->isComparing() && !window->rows().empty(); }, kPatience))
        return nullptr;
    return window;
}

void CompareWindowTest::marksTheRowsThatDiffer()
{
    CompareWindow* window = compare(QStringLiteral("b.zpk"));
    QVERIFY(window != nullptr);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("비교 - a.zpk : b.zpk"));

    QCOMPARE(window->differingRows(), (std::vector<int>{1, 3, 6}));
    QTreeWidget* list = window->list();
    QCOMPARE(list->topLevelItemCount(), 7);
    QCOMPARE(list->topLevelItem(3)->text(3), QStringLiteral("크기 19x12 → 30x12"));
    QCOMPARE(list->topLevelItem(6)->text(1), QStringLiteral("없음"));
    QCOMPARE(list->topLevelItem(6)->text(3), QStringLiteral("B에만 있음"));
    QVERIFY(list->topLevelItem(4)->text(3).isEmpty());
    QCOMPARE(window->statusText(), QStringLiteral("다른 항목 3개, 모두 7개"));
    QCOMPARE(window->currentRow(), 1);  // the first that differs

    // Ctrl+W closes it and lets go of both files
    QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
    QTRY_VERIFY(!window->isVisible());
    QCOMPARE(window->list()->topLevelItemCount(), 0);
}

void CompareWindowTest::arrowsStepThroughDifferingRowsOnly()
{
    CompareWindow* window = compare(QStringLiteral("b.zpk"));
    QVERIFY(window != nullptr);
    window->list()->setFocus();
    for (const auto& [key, row] : {std::pair{Qt::Key_Right, 3},
                                   {Qt::Key_Right, 6},
                                   {Qt::Key_Right, 1},
                                   {Qt::Key_Left, 6},
                                   {Qt::Key_Left, 3}}) {
        QTest::keyClick(window->list(), key);
        QCOMPARE(window->currentRow(), row);
    }
    // Down still walks every row
    QTest::keyClick(window->list(), Qt::Key_Down);
    QCOMPARE(window->currentRow(), 4);
}

void CompareWindowTest::aRowShowsBothPicturesAndTheMask()
{
    CompareWindow* window = compare(QStringLiteral("b.zpk"));
    QVERIFY(window != nullptr);
    const auto a = loadContainer(path("a.zpk").toStdString());
    const auto b = loadContainer(path("b.zpk").toStdString());
    for (const int row : {3, 6}) {
        window->selectRow(row);
        QTRY_COMPARE(window->pictureA().isNull(), row == 6);
        const RowPictures expected = rowPictures(*a, *b, row, PictureOptions{});
        QTRY_COMPARE(window->mask().size(), QSize(expected.width, expected.height));
        QCOMPARE(window->pictureB(), toQImage(*expected.b));
        if (expected.a) QCOMPARE(window->pictureA(), toQImage(*expected.a));
        for (int y = 0; y < expected.height; ++y)
            for (int x = 0; x < expected.width; ++x)
                QCOMPARE(qRed(window->mask().pixel(x, y)) == 255,
                         expected.mask[static_cast<std::size_t>(y * expected.width + x)] != 0);
    }
}

void CompareWindowTest::anUnreadableFileChangesNothing()
{
    CompareWindow* window = compare(QStringLiteral("b.zpk"));
    QVERIFY(window != nullptr);
    writeBytes(path("broken.zpk"), Bytes{1, 2, 3});
    QVERIFY(!window->compareWith(path("broken.zpk")));
    QCOMPARE(m_dialogs->messages.size(), 1);
    QVERIFY(m_dialogs->messages.front().contains(QStringLiteral("broken.zpk")));
    m_dialogs->messages.clear();
    QCOMPARE(window->windowTitle(), QStringLiteral("비교 - a.zpk : b.zpk"));
    QCOMPARE(window->differingRows(), (std::vector<int>{1, 3, 6}));
}

void CompareWindowTest::aLoadComparesAgain()
{
    CompareWindow* window = compare(QStringLiteral("b.zpk"));
    QVERIFY(window != nullptr);
    // b against itself: nothing differs
    QSignalSpy compared(window, &CompareWindow::compared);
    m_window->loadFile(path("b.zpk"));
    QVERIFY(compared.wait(kPatience));
    QCOMPARE(window->windowTitle(), QStringLiteral("비교 - b.zpk : b.zpk"));
    QVERIFY(window->differingRows().empty());
    QCOMPARE(window->rows().size(), std::size_t{7});
}

QTEST_MAIN(CompareWindowTest)
#include "CompareWindowTest.moc"
