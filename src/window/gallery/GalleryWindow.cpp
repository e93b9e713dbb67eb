#include "window/gallery/GalleryWindow.h"

#include "window/ContainerSnapshot.h"
#include "window/ViewerContext.h"
#include "window/WindowKeys.h"
#include "window/WindowPlacement.h"
#include "window/edit/EditSession.h"
#include "window/gallery/GalleryView.h"
#include "window/gallery/Thumbnail.h"
#include "window/gallery/ThumbnailDelegate.h"
#include "window/gallery/ThumbnailLoader.h"
#include "window/gallery/ThumbnailModel.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QListView>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QSlider>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace zpk {

namespace {

// One notch of a common mouse wheel.
constexpr int kWheelNotch = 120;

}  // namespace

GalleryWindow::GalleryWindow(ViewerContext* window, int threads)
    : QWidget(window, Qt::Window), m_window(window)
{
    setObjectName(QStringLiteral("gallery"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_model = new ThumbnailModel(this);
    m_model->setSide(kDefaultSide);
    m_delegate = new ThumbnailDelegate(this);
    m_delegate->setSide(kDefaultSide);
    m_loader = new ThumbnailLoader(threads, this);
    m_snapshot = new ContainerSnapshot(this);

    m_view = new GalleryView(this);
    m_view->setObjectName(QStringLiteral("galleryView"));
    m_view->setViewMode(QListView::IconMode);
    m_view->setUniformItemSizes(true);
    m_view->setMovement(QListView::Static);
    m_view->setResizeMode(QListView::Adjust);
    m_view->setWrapping(true);
    m_view->setFlow(QListView::LeftToRight);
    m_view->setSpacing(0);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->setMouseTracking(true);
    m_view->setModel(m_model);
    m_view->setItemDelegate(m_delegate);
    m_view->setAccessibleName(tr("모아 보기"));
    m_view->setAccessibleDescription(tr("항목마다 작은 그림. 누르거나 Enter를 치면 본 창에 그립니다."));
    m_view->viewport()->installEventFilter(this);

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName(QStringLiteral("gallerySize"));
    m_slider->setRange(kMinThumbnailSide, kMaxThumbnailSide);
    m_slider->setSingleStep(8);
    m_slider->setPageStep(32);
    m_slider->setValue(kDefaultSide);
    m_slider->setAccessibleName(tr("크기"));
    m_slider->setAccessibleDescription(tr("작은 그림의 크기, 32부터 256 픽셀까지. Ctrl + 휠로도 바꿉니다."));
    m_sideLabel = new QLabel(this);
    m_sideLabel->setObjectName(QStringLiteral("gallerySizeText"));
    m_sideLabel->setMinimumWidth(m_sideLabel->fontMetrics().horizontalAdvance(tr("%1 픽셀").arg(256)) + 4);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("galleryStatus"));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(tr("크기"), this));
    top->addWidget(m_slider, 1);
    top->addWidget(m_sideLabel);
    top->addSpacing(12);
    top->addWidget(m_status);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    resize(760, 560);
    createEditing();

    m_request.setSingleShot(true);
    m_request.setInterval(0);
    connect(&m_request, &QTimer::timeout, this, &GalleryWindow::requestRows);
    m_statusUpdate.setSingleShot(true);
    m_statusUpdate.setInterval(250);
    connect(&m_statusUpdate, &QTimer::timeout, this, &GalleryWindow::updateStatus);

    connect(m_window, &ViewerContext::fileLoaded, this, &GalleryWindow::fileLoaded);
    connect(m_window, &ViewerContext::rendered, this, &GalleryWindow::followRender);
    connect(m_snapshot, &ContainerSnapshot::ready, this, &GalleryWindow::snapshotReady);
    connect(m_loader, &ThumbnailLoader::thumbnailMade, this, &GalleryWindow::thumbnailMade);
    connect(m_view, &QAbstractItemView::clicked, this, &GalleryWindow::choose);
    connect(m_view, &QAbstractItemView::activated, this, &GalleryWindow::choose);
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, &m_request, qOverload<>(&QTimer::start));
    connect(m_slider, &QSlider::valueChanged, this, &GalleryWindow::sideChanged);

    const auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::ZoomIn, [this] { m_slider->setValue(m_slider->value() + kWheelStep); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal),
             [this] { m_slider->setValue(m_slider->value() + kWheelStep); });
    shortcut(QKeySequence::ZoomOut, [this] { m_slider->setValue(m_slider->value() - kWheelStep); });
    installOtherWindowKeys(*this, m_window);

    updateGrid();
    updateTitle();
    updateStatus();
    m_view->setFocus();  // the arrow keys walk the thumbnails from the start
}

// The loader's destructor waits for its workers; they read only their copy.
GalleryWindow::~GalleryWindow() = default;

void GalleryWindow::present()
{
    if (!m_placed) {
        placeBeside(*this, *m_window, Beside::LeftElseRight);
        m_placed = true;
    }
    show();
    raise();
    activateWindow();
}

int GalleryWindow::side() const { return m_model->side(); }

void GalleryWindow::setSide(int side) { m_slider->setValue(side); }

bool GalleryWindow::isComplete() const { return !m_snapshot->isCopying() && m_model->waitingCount() == 0; }

QString GalleryWindow::statusText() const { return m_status->text(); }

// --- following the main window -------------------------------------------

void GalleryWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // shown again after a close (not restored from an icon): start afresh
    if (!m_open && !event->spontaneous()) {
        m_open = true;
        reload();
    }
}

void GalleryWindow::closeEvent(QCloseEvent* event)
{
    release();
    QWidget::closeEvent(event);
}

void GalleryWindow::reload()
{
    m_loader->stop();
    m_snapshot->cancel();
    m_file.reset();
    const ContainerFile& file = m_window->state().file;
    m_fileName = file.isLoaded() ? QFileInfo(QFile::decodeName(file.filePath.c_str())).fileName() : QString();
    // thumbnails made with the same options stay where their rows' bytes
    // are the same (an edit draws only what it made)
    const PictureOptions options = m_window->pictureOptions();
    const bool sameOptions = drawSamePictures(options, m_options);
    m_options = options;
    m_model->setFile(file, m_fileName, sameOptions);
    updateTitle();
    followRender();
    updateStatus();
    // the rows show at once (their sizes come from the main window's
    // file); the thumbnails wait for the copy
    if (file.isLoaded()) m_snapshot->start(file);
}

void GalleryWindow::release()
{
    m_open = false;
    m_loader->stop();
    m_snapshot->cancel();
    m_file.reset();
    m_model->setFile(ContainerFile{}, QString());
}

void GalleryWindow::fileLoaded()
{
    if (m_open) reload();
}

void GalleryWindow::followRender()
{
    if (!m_open) return;
    // the options the main window drew with: a change makes every thumbnail anew
    if (const PictureOptions options = m_window->pictureOptions(); !drawSamePictures(options, m_options)) {
        m_options = options;
        m_model->dropThumbnails();
        restartWork();
    }
    const int row = m_model->rowCount() > 0 ? std::min(m_window->drawnRow(), m_model->rowCount() - 1) : -1;
    m_model->setDrawnRow(row);
    if (row >= 0) {
        // the row drawn is current; a selection of several that holds it stays
        const QModelIndex index = m_model->index(row);
        QItemSelectionModel* selection = m_view->selectionModel();
        selection->setCurrentIndex(index, selection->isSelected(index) ? QItemSelectionModel::NoUpdate
                                                                       : QItemSelectionModel::ClearAndSelect);
        m_view->scrollTo(index);
    }
    updateStatus();
}

void GalleryWindow::snapshotReady(const std::shared_ptr<const ContainerFile>& file)
{
    m_file = file;
    restartWork();
}

// --- thumbnails -----------------------------------------------------------

void GalleryWindow::restartWork()
{
    if (!m_file) return;
    m_loader->start(m_file, m_options, m_model->side());
    m_request.start();
    updateStatus();
}

std::vector<int> GalleryWindow::visibleRows() const
{
    std::vector<int> rows;
    const QRect area = m_view->viewport()->rect();
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (m_view->visualRect(m_model->index(row)).intersects(area)) rows.push_back(row);
    return rows;
}

std::vector<int> GalleryWindow::priorityOrder() const
{
    // the rows in view, then outwards from them: the next row below, the
    // next above, and so on
    const int count = m_model->rowCount();
    std::vector<int> order = visibleRows();
    if (order.empty()) {
        for (int row = 0; row < count; ++row) order.push_back(row);
        return order;
    }
    const int first = order.front();
    const int last = order.back();
    for (int step = 1; last + step < count || first - step >= 0; ++step) {
        if (last + step < count) order.push_back(last + step);
        if (first - step >= 0) order.push_back(first - step);
    }
    return order;
}

void GalleryWindow::requestRows()
{
    if (!m_file) return;
    std::vector<int> wanted;
    for (const int row : priorityOrder())
        if (m_model->needsRow(row)) wanted.push_back(row);
    m_loader->request(wanted);
    if (wanted.empty()) emit completed();
}

void GalleryWindow::thumbnailMade(const Thumbnail& thumbnail)
{
    m_model->setThumbnail(thumbnail);
    if (isComplete()) {
        updateStatus();
        emit completed();
    } else if (!m_statusUpdate.isActive()) {
        m_statusUpdate.start();  // the count, a few times a second
    }
}

void GalleryWindow::sideChanged(int side)
{
    m_model->setSide(side);
    m_delegate->setSide(m_model->side());
    updateGrid();
    // the grid is laid out anew: the current thumbnail stays in view
    if (const QModelIndex current = m_view->currentIndex(); current.isValid()) m_view->scrollTo(current);
    restartWork();
}

void GalleryWindow::updateGrid()
{
    const QSize cell = ThumbnailDelegate::cellSize(m_model->side(), m_view->fontMetrics());
    m_view->setGridSize(cell);
    m_view->setIconSize(QSize(m_model->side(), m_model->side()));
    m_sideLabel->setText(tr("%1 픽셀").arg(m_model->side()));
    m_request.start();
}

// --- choosing a row ---------------------------------------------------------

void GalleryWindow::choose(const QModelIndex& index)
{
    // as a click in List1: its selection changes, and the main window
    // draws the row
    // (a Ctrl+click that takes a row out of the selection draws nothing)
    if (index.isValid() && m_view->selectionModel()->isSelected(index)) m_window->selectRow(index.row());
}

void GalleryWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool GalleryWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view->viewport()) {
        if (dragEvent(event)) return true;
        if (event->type() == QEvent::Wheel) {
            auto* wheel = static_cast<QWheelEvent*>(event);
            if (wheel->modifiers() & Qt::ControlModifier) {
                // a notch, or the same in pieces from a touchpad, is one step
                m_wheelAngle += wheel->angleDelta().y();
                const int steps = m_wheelAngle / kWheelNotch;
                m_wheelAngle -= steps * kWheelNotch;
                if (steps != 0) m_slider->setValue(m_slider->value() + steps * kWheelStep);
                wheel->accept();
                return true;
            }
        } else if (event->type() == QEvent::Resize) {
            m_request.start();  // other rows come into view
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- text -----------------------------------------------------------

void GalleryWindow::updateTitle()
{
    // a star while the edits are not saved
    const QString name = m_fileName + (m_window->edits().isModified() ? QStringLiteral("*") : QString());
    setWindowTitle(m_fileName.isEmpty() ? tr("모아 보기") : tr("모아 보기 - %1").arg(name));
}

void GalleryWindow::updateStatus()
{
    const int rows = m_model->rowCount();
    m_statusUpdate.stop();
    const int waiting = m_model->waitingCount();
    if (m_fileName.isEmpty()) m_status->setText(tr("불러온 파일 없음"));
    else if (waiting == 0) m_status->setText(tr("항목 %1개").arg(rows));
    else m_status->setText(tr("항목 %1개, 그리는 중 %2개").arg(rows).arg(waiting));
}

}  // namespace zpk
