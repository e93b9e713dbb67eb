#include "window/compare/CompareWindow.h"

#include "window/SystemPath.h"

#include "container/Container.h"
#include "window/BackgroundTask.h"
#include "window/ContainerSnapshot.h"
#include "window/DrawnEntry.h"
#include "window/Messages.h"
#include "window/RecentPlaces.h"
#include "window/ViewerContext.h"
#include "window/dialogs/WindowDialogs.h"
#include "window/inspector/ImageView.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zpk {

namespace {

enum Column { RowColumn, AColumn, BColumn, ChangeColumn };

// Pixels that differ in red, the others dark.
QImage maskImage(const RowPictures& pictures)
{
    QImage image(pictures.width, pictures.height, QImage::Format_RGB32);
    for (int y = 0; y < pictures.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < pictures.width; ++x) {
            const bool differs = pictures.mask[static_cast<std::size_t>(y) * pictures.width + x] != 0;
            line[x] = differs ? qRgb(255, 40, 40) : qRgb(48, 48, 48);
        }
    }
    return image;
}

QString fileName(const std::string& path) { return QFileInfo(QFile::decodeName(path.c_str())).fileName(); }

}  // namespace

CompareWindow::CompareWindow(ViewerContext* window) : CompanionWindow(window)
{
    setObjectName(QStringLiteral("comparison"));
    m_snapshot = new ContainerSnapshot(this);
    m_comparer = new BackgroundTask(this);
    m_drawer = new BackgroundTask(this);

    m_files = new QLabel(this);
    m_files->setObjectName(QStringLiteral("comparisonFiles"));
    m_files->setTextFormat(Qt::PlainText);
    m_other = new QPushButton(tr("다른 파일…"), this);
    m_other->setObjectName(QStringLiteral("comparisonOther"));
    m_other->setAccessibleName(tr("비교할 다른 파일"));

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("comparisonList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels({tr("항목"), QStringLiteral("A"), QStringLiteral("B"), tr("차이")});
    m_list->header()->setStretchLastSection(true);
    m_list->setAccessibleName(tr("비교한 항목"));
    m_list->setAccessibleDescription(
        tr("두 파일의 항목마다 그림의 크기와 차이. 왼쪽, 오른쪽 화살표는 다른 항목으로만 갑니다."));

    const auto pictureBox = [this](const char* name, const QString& caption, ImageView*& view) {
        auto* box = new QWidget(this);
        auto* column = new QVBoxLayout(box);
        column->setContentsMargins(0, 0, 0, 0);
        auto* label = new QLabel(caption, box);
        view = new ImageView(box);
        view->setObjectName(QLatin1String(name));
        view->setFit(true);
        view->setAccessibleName(caption);
        column->addWidget(label);
        column->addWidget(view, 1);
        return box;
    };
    auto* pictures = new QWidget(this);
    auto* row = new QHBoxLayout(pictures);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(pictureBox("comparisonA", QStringLiteral("A"), m_viewA), 1);
    row->addWidget(pictureBox("comparisonB", QStringLiteral("B"), m_viewB), 1);
    row->addWidget(pictureBox("comparisonMask", tr("다른 픽셀"), m_viewMask), 1);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_list);
    splitter->addWidget(pictures);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("comparisonStatus"));
    auto* top = new QHBoxLayout;
    top->addWidget(m_files, 1);
    top->addWidget(m_other);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_status);
    resize(760, 620);

    connect(m_window, &ViewerContext::rendered, this, &CompareWindow::followRender);
    connect(m_snapshot, &ContainerSnapshot::ready, this, &CompareWindow::snapshotReady);
    connect(m_other, &QPushButton::clicked, this, &CompareWindow::chooseAndCompare);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &CompareWindow::rowSelected);
    connect(m_comparer, &BackgroundTask::progressed, this, [this](qint64 done, qint64 total) {
        m_status->setText(tr("비교하는 중… %1/%2").arg(done).arg(total));
    });

    const auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence(Qt::Key_Left), [this] { stepDifference(-1); });
    shortcut(QKeySequence(Qt::Key_Right), [this] { stepDifference(1); });
    updateTitle();
    m_list->setFocus();  // Up and Down walk every row, Left and Right the differing ones
}

// The tasks' destructors wait for their threads; those read only their copies.
CompareWindow::~CompareWindow() = default;

void CompareWindow::chooseAndCompare()
{
    const QString folder = m_pathB.isEmpty() ? m_window->folder() : QFileInfo(m_pathB).absolutePath();
    if (const auto path = m_window->dialogs().chooseComparedFile(
            isVisible() ? static_cast<QWidget*>(this) : m_window, folder);
        path && !path->isEmpty())
        compareWith(*path);
}

bool CompareWindow::compareWith(const QString& path)
{
    Result<ContainerFile> loaded = loadContainer(systemPath(path));
    if (!loaded) {
        m_window->dialogs().showMessage(isVisible() ? static_cast<QWidget*>(this) : m_window,
                                        ViewerContext::caption(), Messages::loadFailed(loaded.error()));
        return false;
    }
    m_b = std::make_shared<const ContainerFile>(std::move(*loaded));
    m_pathB = path;
    m_nameB = fileName(m_b->filePath);
    present();
    if (isOpen()) startComparison();
    return true;
}

// --- following the main window -------------------------------------------

void CompareWindow::reload()
{
    m_snapshot->cancel();
    m_comparer->stop();
    m_a.reset();
    const ContainerFile& file = m_window->state().file;
    m_nameA = file.isLoaded() ? fileName(file.filePath) : QString();
    m_options = m_window->pictureOptions();
    updateTitle();
    if (file.isLoaded()) m_snapshot->start(file);
    else startComparison();
}

void CompareWindow::release()
{
    m_snapshot->cancel();
    m_comparer->stop();
    m_drawer->stop();
    m_a.reset();
    m_b.reset();
    m_pathB.clear();
    m_rows.clear();
    m_list->clear();
    m_pictureA = m_pictureB = m_mask = QImage();
    for (ImageView* view : {m_viewA, m_viewB, m_viewMask}) view->setImage(QImage());
}

void CompareWindow::snapshotReady(const std::shared_ptr<const ContainerFile>& file)
{
    m_a = file;
    startComparison();
}

void CompareWindow::followRender()
{
    if (!isOpen()) return;
    if (const PictureOptions options = m_window->pictureOptions(); !drawSamePictures(options, m_options)) {
        m_options = options;
        startComparison();
    }
}

// --- the comparison --------------------------------------------------------

void CompareWindow::startComparison()
{
    m_drawer->stop();
    m_rows.clear();
    updateTitle();
    if (!m_a || !m_b) {
        m_comparer->stop();
        m_list->clear();
        m_status->setText(!m_window->state().file.isLoaded() ? tr("불러온 파일 없음")
                          : m_b                              ? tr("파일을 읽는 중…")
                                                             : QString());
        return;
    }
    m_status->setText(tr("비교하는 중…"));
    m_comparer->start([this, a = m_a, b = m_b, options = m_options](BackgroundTask::Control& control) {
        auto comparison = std::make_shared<ContainerComparison>(
            compareContainers(*a, *b, CompareBy::Pictures, options, [&control](int done, int total) {
                control.report(done, total);
                return !control.cancelled();
            }));
        return BackgroundTask::Finish([this, comparison] { showRows(std::move(*comparison)); });
    });
}

void CompareWindow::showRows(ContainerComparison comparison)
{
    const int selected = currentRow();
    m_rows = std::move(comparison.rows);
    {
        const QSignalBlocker quiet(m_list);
        m_list->clear();
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(m_rows.size()));
        const auto side = [](bool present, int width, int height, const std::optional<Error>& problem) {
            if (!present) return tr("없음");
            if (problem) return tr("그림 없음");
            return QStringLiteral("%1x%2").arg(width).arg(height);
        };
        for (const RowDifference& row : m_rows) {
            auto* item = new QTreeWidgetItem;
            item->setText(RowColumn, QString::number(row.row));
            item->setText(AColumn,
                          side(row.change != RowChange::OnlyInB, row.widthA, row.heightA, row.problemA));
            item->setText(BColumn,
                          side(row.change != RowChange::OnlyInA, row.widthB, row.heightB, row.problemB));
            item->setText(ChangeColumn, changeText(row));
            item->setTextAlignment(RowColumn, Qt::AlignRight | Qt::AlignVCenter);
            if (row.differs()) {
                QFont bold = item->font(ChangeColumn);
                bold.setBold(true);
                for (int column = RowColumn; column <= ChangeColumn; ++column) {
                    item->setBackground(column, QColor(255, 224, 224));
                    item->setForeground(column, QColor(96, 0, 0));
                    item->setFont(column, bold);
                }
            }
            items.append(item);
        }
        m_list->addTopLevelItems(items);
        for (int column = RowColumn; column < ChangeColumn; ++column) m_list->resizeColumnToContents(column);
    }
    const auto differing = differingRows();
    m_status->setText(comparison.complete
                          ? tr("다른 항목 %1개, 모두 %2개").arg(differing.size()).arg(m_rows.size())
                          : tr("비교를 멈췄습니다."));
    // the row selected before stays selected, else the first that differs
    const int row = selected >= 0 && selected < static_cast<int>(m_rows.size()) ? selected
                    : differing.empty()                                         ? 0
                                                                                : differing.front();
    if (!m_rows.empty()) selectRow(row);
    emit compared();
}

QString CompareWindow::changeText(const RowDifference& row) const
{
    switch (row.change) {
    case RowChange::Same: return QString();
    case RowChange::OnlyInA: return tr("A에만 있음");
    case RowChange::OnlyInB: return tr("B에만 있음");
    case RowChange::Size:
        return tr("크기 %1x%2 → %3x%4").arg(row.widthA).arg(row.heightA).arg(row.widthB).arg(row.heightB);
    case RowChange::Pixels: return tr("픽셀 %1개 다름").arg(row.differingPixels);
    case RowChange::Bytes: return tr("바이트 다름");
    case RowChange::Picture:
        if (row.problemA && row.problemB) return tr("둘 다 그림 없음, 바이트 다름");
        return row.problemA ? tr("A에 그림 없음") : tr("B에 그림 없음");
    }
    return QString();
}

bool CompareWindow::isComparing() const { return m_comparer->isRunning() || m_snapshot->isCopying(); }

std::vector<int> CompareWindow::differingRows() const
{
    std::vector<int> rows;
    for (const RowDifference& row : m_rows)
        if (row.differs()) rows.push_back(row.row);
    return rows;
}

int CompareWindow::currentRow() const
{
    QTreeWidgetItem* item = m_list->currentItem();
    return item ? m_list->indexOfTopLevelItem(item) : -1;
}

void CompareWindow::selectRow(int row)
{
    if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
        m_list->setCurrentItem(item);
        m_list->scrollToItem(item);
    }
}

void CompareWindow::stepDifference(int by)
{
    const std::vector<int> differing = differingRows();
    if (differing.empty()) return;
    const int current = currentRow();
    if (by > 0) {
        const auto next = std::upper_bound(differing.begin(), differing.end(), current);
        selectRow(next != differing.end() ? *next : differing.front());
    } else {
        const auto next = std::lower_bound(differing.begin(), differing.end(), current);
        selectRow(next != differing.begin() ? *(next - 1) : differing.back());
    }
}

void CompareWindow::rowSelected()
{
    const int row = currentRow();
    if (row < 0 || !m_a || !m_b) return;
    m_drawer->start([this, a = m_a, b = m_b, options = m_options, row](BackgroundTask::Control&) {
        auto pictures = std::make_shared<RowPictures>(rowPictures(*a, *b, row, options));
        return BackgroundTask::Finish([this, pictures] { showPictures(*pictures); });
    });
}

void CompareWindow::showPictures(const RowPictures& pictures)
{
    m_pictureA = pictures.a ? toQImage(*pictures.a) : QImage();
    m_pictureB = pictures.b ? toQImage(*pictures.b) : QImage();
    m_mask = pictures.width > 0 && pictures.height > 0 ? maskImage(pictures) : QImage();
    m_viewA->setImage(m_pictureA);
    m_viewB->setImage(m_pictureB);
    m_viewMask->setImage(m_mask);
    emit rowShown(pictures.difference.row);
}

QString CompareWindow::statusText() const { return m_status->text(); }

void CompareWindow::updateTitle()
{
    m_files->setText(
        QStringLiteral("A: %1    B: %2")
            .arg(m_nameA.isEmpty() ? tr("(없음)") : m_nameA, m_nameB.isEmpty() ? tr("(없음)") : m_nameB));
    setWindowTitle(m_nameB.isEmpty() ? tr("비교") : tr("비교 - %1 : %2").arg(m_nameA, m_nameB));
}

}  // namespace zpk
