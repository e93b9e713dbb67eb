// The gallery's editing: its menus, the selection, and drops.
#include "window/gallery/GalleryWindow.h"

#include "pack/ContainerEdit.h"
#include "window/RecentPlaces.h"
#include "window/ViewerContext.h"
#include "window/dialogs/WindowDialogs.h"
#include "window/edit/EditActions.h"
#include "window/edit/EditSession.h"
#include "window/gallery/GalleryView.h"
#include "window/gallery/ThumbnailModel.h"

#include <QAction>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace zpk {

namespace {

// The local PNG files among dropped data, in their order.
QStringList droppedPictures(const QMimeData* data)
{
    QStringList pictures;
    if (data == nullptr || !data->hasUrls()) return pictures;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && url.toLocalFile().endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
            pictures.append(url.toLocalFile());
    return pictures;
}

QMimeData* copyOf(const QMimeData* data)
{
    auto* copy = new QMimeData;
    for (const QString& format : data->formats()) copy->setData(format, data->data(format));
    return copy;
}

// The rows a drag from a gallery carries.
std::vector<int> draggedRows(const QMimeData* data)
{
    std::vector<int> rows;
    if (data == nullptr || !data->hasFormat(QString::fromLatin1(ThumbnailModel::kRowsMimeType))) return rows;
    const QByteArray text = data->data(QString::fromLatin1(ThumbnailModel::kRowsMimeType));
    for (const QByteArray& number : text.split(' ')) {
        bool ok = false;
        const int row = number.toInt(&ok);
        if (ok) rows.push_back(row);
    }
    return rows;
}

}  // namespace

void GalleryWindow::createEditing()
{
    EditSession& edits = m_window->edits();
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setDragEnabled(true);
    m_view->viewport()->setAcceptDrops(true);

    const auto action = [this](const char* name, const QString& text, const QKeySequence& keys, auto slot) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(keys);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    const EditActions common = makeEditActions(edits, this);
    common.save->setShortcut(QKeySequence::Save);
    m_editing.exportSelected = action("exportSelected", tr("선택 내보내기…"), QKeySequence(), [this] {
        if (const auto rows = selectedRows(); !rows.empty()) emit exportRequested(rows);
    });
    m_editing.replace =
        action("replaceSelected", tr("바꾸기…"), QKeySequence(), [this] { chooseAndReplace(); });
    m_editing.insertBefore =
        action("insertBefore", tr("앞에 넣기…"), QKeySequence(), [this] { chooseAndInsert(false); });
    m_editing.insertAfter =
        action("insertAfter", tr("뒤에 넣기…"), QKeySequence(), [this] { chooseAndInsert(true); });
    m_editing.remove = action("deleteSelected", tr("지우기"), QKeySequence::Delete,
                              [this] { m_window->edits().deleteRows(selectedRows()); });
    m_editing.moveBack = action("moveBack", tr("앞으로 옮기기"), QKeySequence(Qt::ALT | Qt::Key_Left),
                                [this] { stepSelected(-1); });
    m_editing.moveForward = action("moveForward", tr("뒤로 옮기기"), QKeySequence(Qt::ALT | Qt::Key_Right),
                                   [this] { stepSelected(1); });
    QAction* selectAll =
        action("selectAll", tr("모두 선택"), QKeySequence::SelectAll, [this] { m_view->selectAll(); });

    m_menuBar = new QMenuBar(this);
    QMenu* file = m_menuBar->addMenu(tr("파일(&F)"));
    file->addActions({common.save, common.saveAs});
    file->addSeparator();
    file->addAction(m_editing.exportSelected);
    QMenu* edit = m_menuBar->addMenu(tr("편집(&E)"));
    edit->addActions({common.undo, common.redo});
    edit->addSeparator();
    const QList<QAction*> onRows = {m_editing.replace, m_editing.insertBefore, m_editing.insertAfter,
                                    m_editing.remove,  m_editing.moveBack,     m_editing.moveForward};
    edit->addActions(onRows);
    edit->addSeparator();
    edit->addAction(selectAll);
    static_cast<QVBoxLayout*>(layout())->setMenuBar(m_menuBar);

    // the grid's own menu: the edits of the rows under the pointer
    m_view->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_view->addActions(onRows);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    m_view->addActions({separator, m_editing.exportSelected});

    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &GalleryWindow::updateEditingActions);
    connect(m_model, &QAbstractItemModel::modelReset, this, &GalleryWindow::updateEditingActions);
    connect(&edits, &EditSession::shown, this, &GalleryWindow::editShown);
    connect(&edits, &EditSession::modifiedChanged, this, &GalleryWindow::updateTitle);
    updateEditingActions();
}

void GalleryWindow::updateEditingActions()
{
    const bool any = m_view->selectionModel() != nullptr && m_view->selectionModel()->hasSelection();
    for (QAction* a : {m_editing.replace, m_editing.remove, m_editing.moveBack, m_editing.moveForward,
                       m_editing.exportSelected})
        a->setEnabled(any);
    // with nothing selected, pictures go in front of the first row or behind the last
    const bool loaded = m_model->rowCount() > 0;
    m_editing.insertBefore->setEnabled(loaded);
    m_editing.insertAfter->setEnabled(loaded);
}

std::vector<int> GalleryWindow::selectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_view->selectionModel()->selectedIndexes()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void GalleryWindow::selectRows(const std::vector<int>& rows)
{
    QItemSelection selection;
    for (const int row : rows)
        if (row >= 0 && row < m_model->rowCount()) selection.select(m_model->index(row), m_model->index(row));
    QItemSelectionModel* model = m_view->selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty() && rows.front() >= 0 && rows.front() < m_model->rowCount()) {
        model->setCurrentIndex(m_model->index(rows.front()), QItemSelectionModel::NoUpdate);
        m_view->scrollTo(m_model->index(rows.front()));
    }
}

void GalleryWindow::editShown(const std::vector<int>& selection)
{
    if (m_open) selectRows(selection);
}

QString GalleryWindow::pictureFolder() const
{
    return m_pictureFolder.isEmpty() ? m_window->places().saveFolder(m_window->folder()) : m_pictureFolder;
}

void GalleryWindow::chooseAndInsert(bool behind)
{
    const std::vector<int> rows = selectedRows();
    const QStringList pictures = m_window->dialogs().choosePictures(this, pictureFolder());
    if (pictures.isEmpty()) return;
    m_pictureFolder = QFileInfo(pictures.front()).absolutePath();
    int at = 0;
    if (behind) at = rows.empty() ? m_model->rowCount() : rows.back() + 1;
    else at = rows.empty() ? 0 : rows.front();
    m_window->edits().insertPictures(at, pictures, rows);
}

void GalleryWindow::chooseAndReplace()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) return;
    const QStringList pictures = m_window->dialogs().choosePictures(this, pictureFolder());
    if (pictures.isEmpty()) return;
    m_pictureFolder = QFileInfo(pictures.front()).absolutePath();
    m_window->edits().replaceRows(rows, pictures);
}

void GalleryWindow::stepSelected(int step)
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) return;
    const std::vector<int> order = reorder::step(m_model->rowCount(), rows, step);
    m_window->edits().reorder(step < 0 ? tr("앞으로 옮기기") : tr("뒤로 옮기기"), order, rows);
}

// --- drops --------------------------------------------------------------------

int GalleryWindow::dropGap(const QPoint& pos) const
{
    const QModelIndex index = m_view->indexAt(pos);
    if (!index.isValid()) {
        // past the last thumbnail: the end; above the first: the front
        const int count = m_model->rowCount();
        if (count == 0) return 0;
        const QRect first = m_view->visualRect(m_model->index(0));
        return pos.y() < first.top() ? 0 : count;
    }
    // the left half of a thumbnail: in front of it; the right half: behind it
    const QRect cell = m_view->visualRect(index);
    return pos.x() < cell.center().x() ? index.row() : index.row() + 1;
}

bool GalleryWindow::dropAt(const QMimeData* dropped, int before)
{
    if (const std::vector<int> rows = draggedRows(dropped); !rows.empty()) {
        std::vector<int> moved = rows;
        std::sort(moved.begin(), moved.end());
        const std::vector<int> order = reorder::gather(m_model->rowCount(), moved, before);
        return m_window->edits().reorder(tr("옮기기"), order, moved);
    }
    const QStringList pictures = droppedPictures(dropped);
    if (pictures.isEmpty()) return false;
    m_pictureFolder = QFileInfo(pictures.front()).absolutePath();
    return m_window->edits().insertPictures(before, pictures, selectedRows());
}

bool GalleryWindow::dragEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const QMimeData* dropped = drag->mimeData();
        const bool ours = drag->source() == m_view && !draggedRows(dropped).empty();
        if (ours || !droppedPictures(dropped).isEmpty()) {
            drag->setDropAction(ours ? Qt::MoveAction : Qt::CopyAction);
            drag->accept();
            const QPoint at = drag->position().toPoint();
            const int gap = dropGap(at);
            const QModelIndex under = m_view->indexAt(at);
            m_view->setDropMark(gap, under.isValid() && under.row() + 1 == gap);
        } else {
            drag->ignore();
            m_view->setDropMark(-1);
        }
        return true;
    }
    case QEvent::DragLeave: m_view->setDropMark(-1); return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        m_view->setDropMark(-1);
        const QMimeData* dropped = drop->mimeData();
        if (!draggedRows(dropped).empty() && drop->source() != m_view) return true;  // another window's rows
        const int before = dropGap(drop->position().toPoint());
        // taken as a copy: the view leaves its rows alone, the edit moved them
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // after the drop has returned: a message box must not run inside it
        QMetaObject::invokeMethod(
            this,
            [this, copy = std::shared_ptr<QMimeData>(copyOf(dropped)), before] {
                dropAt(copy.get(), before);
            },
            Qt::QueuedConnection);
        return true;
    }
    default: return false;
    }
}

}  // namespace zpk
