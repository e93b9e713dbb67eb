// Editing in the gallery: its actions, drops and selection wired to the
// window's edits (the edits themselves are the pack floor's), undo, the
// save, the question before unsaved edits are lost, and the export of the
// selected rows.
#include "ScriptedDialogs.h"
#include "TestContainers.h"

#include "container/Container.h"
#include "pack/Pack.h"
#include "window/MainWindow.h"
#include "window/edit/EditSession.h"
#include "window/gallery/GalleryWindow.h"
#include "window/gallery/ThumbnailModel.h"
#include "window/menu/CanvasMenu.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QImage>
#include <QListWidget>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QUrl>
#include <QtTest>

using namespace zpk;
using namespace zpk::windowtest;

namespace {

const std::vector<WriterImage>& pictures()
{
    static const std::vector<WriterImage> all = {solidImage(20, 10, 9), framedImage(), spriteImage(40, 30, 2),
                                                 solidImage(7, 5, {200, 30, 30}), spriteImage(12, 30, 5)};
    return all;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class GalleryEditTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void editsFollowTheSelectionAndUndo();
    void dropsInsertPicturesAndMoveRows();
    void selectedRowsAreExported();
    void unsavedEditsAreAskedAbout();  // last: its close ends the program's event loop

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    QString container() const { return path(QStringLiteral("edit.zpk")); }
    QListWidget* list1() const { return m_window->findChild<QListWidget*>(QStringLiteral("List1")); }
    // The bytes of every row the window shows now.
    std::vector<Bytes> rowsShown() const
    {
        std::vector<Bytes> rows;
        for (int row = 0; row < m_window->state().file.rowCount(); ++row)
            rows.push_back(*entryBytes(m_window->state().file, row));
        return rows;
    }
    std::vector<Bytes> rowsOf(const std::vector<int>& original) const
    {
        const ContainerFile file = *loadContainer(QFile::encodeName(container()).toStdString());
        std::vector<Bytes> rows;
        for (const int row : original) rows.push_back(*entryBytes(file, row));
        return rows;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindow> m_window;
    std::shared_ptr<ScriptedDialogs> m_dialogs;
    GalleryWindow* m_gallery = nullptr;
};

void GalleryEditTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    ContainerBuilder builder;
    for (const WriterImage& image : pictures()) builder.entry(image);
    writeBytes(container(), containerBytes(builder));
    m_window = std::make_unique<MainWindow>(m_dir->path());
    m_dialogs = std::make_shared<ScriptedDialogs>();
    m_window->setDialogs(m_dialogs);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->loadFile(container());
    m_gallery = m_window->canvasMenu()->openGallery();
}

void GalleryEditTest::cleanup()
{
    m_dialogs->onAskSaveChanges = [](const QString&) { return SaveChoice::Discard; };
    m_window.reset();
    m_dir.reset();
}

void GalleryEditTest::editsFollowTheSelectionAndUndo()
{
    const QByteArray original = fileBytes(container());
    const GalleryWindow::EditingActions& actions = m_gallery->editingActions();
    QVERIFY(QTest::qWaitFor([this] { return m_gallery->isComplete(); }, 60000));
    m_gallery->selectRows({1, 3});
    actions.remove->trigger();
    QCOMPARE(list1()->count(), 3);
    // only the rows with other bytes behind them now are drawn again
    QCOMPARE(m_gallery->model()->waitingCount(), 2);
    QCOMPARE(m_gallery->model()->state(2), ThumbnailModel::State::Picture);
    QVERIFY(rowsShown() == rowsOf({0, 2, 4}));
    QCOMPARE(m_gallery->selectedRows(), std::vector<int>{1});
    QVERIFY(m_window->windowTitle().startsWith(QStringLiteral("edit.zpk*")));
    QVERIFY(m_gallery->windowTitle().endsWith(QStringLiteral("edit.zpk*")));
    QVERIFY(fileBytes(container()) == original);

    // undone: the rows and the selection come back; redone, and undone again
    m_window->edits().undo();
    QVERIFY(rowsShown() == rowsOf({0, 1, 2, 3, 4}));
    QCOMPARE(m_gallery->selectedRows(), (std::vector<int>{1, 3}));
    QVERIFY(!m_window->windowTitle().contains(u'*'));
    m_window->edits().redo();
    QCOMPARE(list1()->count(), 3);
    m_window->edits().undo();

    // moved one step each way; a row at the end stays
    m_gallery->selectRows({0, 2});
    actions.moveForward->trigger();
    QVERIFY(rowsShown() == rowsOf({1, 0, 3, 2, 4}));
    QCOMPARE(m_gallery->selectedRows(), (std::vector<int>{1, 3}));
    m_gallery->selectRows({4});
    actions.moveForward->trigger();
    QCOMPARE(m_window->edits().undoStack()->count(), 1);

    // a refused edit changes nothing and says why
    m_gallery->selectRows({0, 1, 2, 3, 4});
    actions.remove->trigger();
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_window->edits().undoStack()->count(), 1);
    QCOMPARE(list1()->count(), 5);

    // a file gone before the save: told, and the edits are kept
    const QString away = path(QStringLiteral("away.zpk"));
    QVERIFY(QFile::rename(container(), away));
    QVERIFY(!m_window->edits().save());
    QCOMPARE(m_dialogs->messages.size(), 2);
    QVERIFY(m_dialogs->messages.last().contains(container()));
    QVERIFY(m_window->edits().isModified());
    QVERIFY(QFile::rename(away, container()));

    // saved (the moves changed the file's inode time: asked, and yes): the
    // file is what the window shows
    m_dialogs->onAskYesNo = [](const QString&, const QString&) { return true; };
    QVERIFY(m_window->edits().save());
    QVERIFY(!m_window->edits().isModified());
    QVERIFY(rowsOf({0, 1, 2, 3, 4}) == rowsShown());
    QVERIFY(fileBytes(container()) != original);
}

void GalleryEditTest::dropsInsertPicturesAndMoveRows()
{
    QImage picture(6, 4, QImage::Format_RGB32);
    picture.fill(qRgb(10, 200, 30));
    const QString png = path(QStringLiteral("green.png"));
    QVERIFY(picture.save(png, "PNG"));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(png), QUrl::fromLocalFile(png)});

    // the gap a drop falls into: the left half of a thumbnail is in front of it
    QListView* view = m_gallery->view();
    const QRect cell = view->visualRect(m_gallery->model()->index(2));
    QCOMPARE(m_gallery->dropGap(cell.center() - QPoint(cell.width() / 4, 0)), 2);
    QCOMPARE(m_gallery->dropGap(cell.center() + QPoint(cell.width() / 4, 0)), 3);
    // and is marked while the pictures are dragged over it
    auto* grid = static_cast<GalleryView*>(view);
    QDragEnterEvent enter(cell.center() - QPoint(cell.width() / 4, 0), Qt::CopyAction, &files, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(grid->dropMark(), 2);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(view->viewport(), &leave);
    QCOMPARE(grid->dropMark(), -1);

    QVERIFY(m_gallery->dropAt(&files, 2));
    const std::vector<Bytes> shown = rowsShown();
    QCOMPARE(shown.size(), 7u);
    QVERIFY(shown[2] == shown[3]);
    QCOMPARE(m_window->drawnEntry()->image.imageWidth, 6);
    QCOMPARE(m_gallery->selectedRows(), (std::vector<int>{2, 3}));

    // rows dragged within the grid go in front of the row dropped on
    QMimeData rows;
    rows.setData(QString::fromLatin1(ThumbnailModel::kRowsMimeType), "0 1");
    QVERIFY(m_gallery->dropAt(&rows, 7));
    const std::vector<Bytes> moved = rowsShown();
    QVERIFY(moved[5] == shown[0] && moved[6] == shown[1] && moved[0] == shown[2]);

    // a picture that cannot become an entry: refused, nothing changes
    QImage clear(3, 3, QImage::Format_ARGB32);
    clear.fill(qRgba(1, 2, 3, 128));
    const QString halfClear = path(QStringLiteral("half.png"));
    QVERIFY(clear.save(halfClear, "PNG"));
    QMimeData refused;
    refused.setUrls({QUrl::fromLocalFile(halfClear)});
    QVERIFY(!m_gallery->dropAt(&refused, 0));
    QCOMPARE(m_dialogs->messages.size(), 1);
    QVERIFY(m_dialogs->messages.first().contains(halfClear));
    QVERIFY(rowsShown() == moved);
}

void GalleryEditTest::selectedRowsAreExported()
{
    m_gallery->selectRows({1, 4});
    m_dialogs->onChooseExportFolder = [this](const QString&) -> std::optional<QString> {
        return path("out");
    };
    QSignalSpy finished(m_window->canvasMenu(), &CanvasMenu::exportFinished);
    m_gallery->editingActions().exportSelected->trigger();
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.first().first().toInt(), 2);
    QCOMPARE(QDir(path("out/edit")).entryList(QDir::Files),
             (QStringList{QStringLiteral("001.png"), QStringLiteral("004.png")}));
}

void GalleryEditTest::unsavedEditsAreAskedAbout()
{
    // (a load's question is MainWindowTest's) the close: cancelled, the
    // window stays; saved, the close goes on once the file is written
    m_gallery->selectRows({0});
    m_gallery->editingActions().remove->trigger();
    m_dialogs->onAskSaveChanges = [](const QString&) { return SaveChoice::Cancel; };
    QVERIFY(!m_window->close());
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_dialogs->saveQuestions.size(), 1);
    QVERIFY(m_dialogs->saveQuestions.first().contains(QStringLiteral("edit.zpk")));
    m_dialogs->onAskSaveChanges = [](const QString&) { return SaveChoice::Save; };
    QVERIFY(m_window->close());
    QCOMPARE(loadContainer(QFile::encodeName(container()).toStdString())->rowCount(), 4);
}

QTEST_MAIN(GalleryEditTest)
#include "GalleryEditTest.moc"
