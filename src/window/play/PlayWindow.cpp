#include "window/play/PlayWindow.h"

#include "window/SystemPath.h"

#include "decode/Decoder.h"
#include "export/EntryExport.h"
#include "export/GifExport.h"
#include "io/FileOutput.h"
#include "window/BackgroundTask.h"
#include "window/ContainerSnapshot.h"
#include "window/DrawnEntry.h"
#include "window/Messages.h"
#include "window/RecentPlaces.h"
#include "window/ViewerContext.h"
#include "window/dialogs/WindowDialogs.h"
#include "window/inspector/ImageView.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace zpk {

namespace {

// Whether `row` has a picture to play: its width and height lie in the file
// and are both at least 1 (what exportPicture asks).
bool hasPicture(const ContainerFile& file, int row)
{
    const auto size = entrySize(file, row);
    return size && size->width > 0 && size->height > 0;
}

}  // namespace

PlayWindow::PlayWindow(ViewerContext* window) : CompanionWindow(window)
{
    setObjectName(QStringLiteral("player"));
    m_snapshot = new ContainerSnapshot(this);
    m_decoder = new BackgroundTask(this);
    m_gifWriter = new BackgroundTask(this);
    m_cache.setMaxCost(static_cast<qsizetype>(kCacheBytes >> 10));

    m_view = new ImageView(this);
    m_view->setObjectName(QStringLiteral("playerView"));
    m_view->setFit(true);
    m_view->setAccessibleName(tr("재생 중인 그림"));

    m_position = new QSlider(Qt::Horizontal, this);
    m_position->setObjectName(QStringLiteral("playerPosition"));
    m_position->setAccessibleName(tr("프레임"));
    m_frameLabel = new QLabel(this);
    m_frameLabel->setObjectName(QStringLiteral("playerFrame"));

    const auto button = [this](const char* name, QStyle::StandardPixmap icon, const QString& text,
                               const QString& keys, auto slot) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(QStringLiteral("%1 (%2)").arg(text, keys));
        b->setAccessibleName(text);
        b->setFocusPolicy(Qt::TabFocus);
        connect(b, &QToolButton::clicked, this, slot);
        return b;
    };
    m_firstButton = button("playerFirst", QStyle::SP_MediaSkipBackward, tr("처음"), QStringLiteral("Home"),
                           [this] { setPlaying(false), showFrame(0); });
    m_backButton = button("playerBack", QStyle::SP_MediaSeekBackward, tr("이전"), QStringLiteral("Left"),
                          [this] { step(-1); });
    m_playButton = button("playerPlay", QStyle::SP_MediaPlay, tr("재생"), tr("스페이스"),
                          [this] { setPlaying(!isPlaying()); });
    m_forwardButton = button("playerForward", QStyle::SP_MediaSeekForward, tr("다음"),
                             QStringLiteral("Right"), [this] { step(1); });
    m_lastButton = button("playerLast", QStyle::SP_MediaSkipForward, tr("끝"), QStringLiteral("End"), [this] {
        setPlaying(false);
        showFrame(static_cast<int>(m_frames.size()) - 1);
    });

    m_speed = new QSpinBox(this);
    m_speed->setObjectName(QStringLiteral("playerSpeed"));
    m_speed->setRange(kMinSpeed, kMaxSpeed);
    m_speed->setValue(kDefaultSpeed);
    m_speed->setSuffix(tr(" fps"));
    m_speed->setAccessibleName(tr("속도 (초당 프레임)"));
    m_mode = new QComboBox(this);
    m_mode->setObjectName(QStringLiteral("playerMode"));
    m_mode->addItem(tr("반복"));
    m_mode->addItem(tr("왕복"));
    m_mode->setAccessibleName(tr("재생 방식"));
    m_first = new QSpinBox(this);
    m_first->setObjectName(QStringLiteral("playerFirstRow"));
    m_first->setAccessibleName(tr("첫 항목"));
    m_last = new QSpinBox(this);
    m_last->setObjectName(QStringLiteral("playerLastRow"));
    m_last->setAccessibleName(tr("끝 항목"));
    m_saveGif = new QPushButton(tr("GIF로 저장…"), this);
    m_saveGif->setObjectName(QStringLiteral("playerSaveGif"));
    m_saveGif->setAccessibleName(tr("GIF로 저장"));
    m_saveGif->setToolTip(QStringLiteral("%1 (%2)").arg(
        m_saveGif->accessibleName(), QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText)));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("playerStatus"));

    auto* transport = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(m_firstButton), static_cast<QWidget*>(m_backButton),
                       static_cast<QWidget*>(m_playButton), static_cast<QWidget*>(m_forwardButton),
                       static_cast<QWidget*>(m_lastButton)})
        transport->addWidget(w);
    transport->addWidget(m_position, 1);
    transport->addWidget(m_frameLabel);
    auto* settings = new QHBoxLayout;
    const auto labelled = [this, settings](const QString& text, QWidget* control) {
        auto* label = new QLabel(text, this);
        label->setBuddy(control);
        settings->addWidget(label);
        settings->addWidget(control);
    };
    labelled(tr("속도(&S)"), m_speed);
    settings->addWidget(m_mode);
    settings->addSpacing(12);
    labelled(tr("항목(&N)"), m_first);
    settings->addWidget(new QLabel(QStringLiteral("–"), this));
    settings->addWidget(m_last);
    settings->addStretch(1);
    settings->addWidget(m_saveGif);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addLayout(transport);
    layout->addLayout(settings);
    layout->addWidget(m_status);
    resize(520, 480);

    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1000 / kDefaultSpeed);
    connect(&m_timer, &QTimer::timeout, this, &PlayWindow::tick);
    connect(m_window, &ViewerContext::rendered, this, &PlayWindow::followRender);
    connect(m_snapshot, &ContainerSnapshot::ready, this, &PlayWindow::snapshotReady);
    connect(m_position, &QSlider::valueChanged, this, [this](int value) {
        if (value != m_frame) showFrame(value);
    });
    connect(m_speed, &QSpinBox::valueChanged, this,
            [this](int fps) { m_timer.setInterval(static_cast<int>(std::lround(1000.0 / fps))); });
    connect(m_mode, &QComboBox::currentIndexChanged, this, [this] { m_direction = 1; });
    connect(m_first, &QSpinBox::valueChanged, this, &PlayWindow::rangeChanged);
    connect(m_last, &QSpinBox::valueChanged, this, &PlayWindow::rangeChanged);
    connect(m_saveGif, &QPushButton::clicked, this, &PlayWindow::chooseAndSaveGif);
    connect(m_gifWriter, &BackgroundTask::progressed, this, [this](qint64 done, qint64 total) {
        setStatus(tr("GIF로 저장하는 중… %1/%2").arg(done).arg(total));
    });

    const auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence(Qt::Key_Space), [this] { setPlaying(!isPlaying()); });
    shortcut(QKeySequence(Qt::Key_Left), [this] { step(-1); });
    shortcut(QKeySequence(Qt::Key_Right), [this] { step(1); });
    shortcut(QKeySequence(Qt::Key_Home), [this] { m_firstButton->click(); });
    shortcut(QKeySequence(Qt::Key_End), [this] { m_lastButton->click(); });
    shortcut(QKeySequence::Save, [this] { chooseAndSaveGif(); });
    updateControls();
    updateTitle();
    m_view->setFocus();  // the keys above are the player's, not a spin box's
}

// The tasks' destructors wait for their threads; those read only their copies.
PlayWindow::~PlayWindow() = default;

void PlayWindow::present(int first, int last)
{
    CompanionWindow::present();
    const int rows = m_window->state().file.rowCount();
    if (first < 0 || rows == 0) {
        first = 0;
        last = std::max(0, rows - 1);
    }
    setRange(first, last);
}

// --- following the main window -------------------------------------------

void PlayWindow::reload()
{
    m_snapshot->cancel();
    m_decoder->stop();
    m_file.reset();
    m_cache.clear();
    ++m_generation;
    m_shownRow = -1;  // the picture stays on show until the new file's frame replaces it
    const ContainerFile& file = m_window->state().file;
    m_fileName = file.isLoaded() ? QFileInfo(QFile::decodeName(file.filePath.c_str())).fileName() : QString();
    m_options = m_window->pictureOptions();
    // the range keeps its rows where the new file has them
    const int lastRow = std::max(0, file.rowCount() - 1);
    const bool wasAll = m_last->value() >= m_last->maximum();
    for (QSpinBox* box : {m_first, m_last}) {
        const QSignalBlocker quiet(box);
        box->setRange(0, lastRow);
    }
    if (wasAll) {
        const QSignalBlocker quiet(m_last);
        m_last->setValue(lastRow);
    }
    m_frames.clear();
    updateTitle();
    updateControls();
    if (file.isLoaded()) {
        setStatus(tr("파일을 읽는 중…"));
        m_snapshot->start(file);
    } else {
        m_shownImage = QImage();
        m_shownRow = -1;
        m_view->setImage(m_shownImage);
        setStatus(tr("불러온 파일 없음"));
    }
}

void PlayWindow::release()
{
    m_timer.stop();
    m_snapshot->cancel();
    m_decoder->stop();
    m_gifWriter->stop();
    m_file.reset();
    m_cache.clear();
    m_frames.clear();
    m_shownImage = QImage();
    m_shownRow = -1;
    m_view->setImage(m_shownImage);
    ++m_generation;
}

void PlayWindow::snapshotReady(const std::shared_ptr<const ContainerFile>& file)
{
    m_file = file;
    setStatus(QString());
    rangeChanged();
}

void PlayWindow::followRender()
{
    if (!isOpen()) return;
    // the options the main window drew with: a change draws every frame anew
    if (const PictureOptions options = m_window->pictureOptions(); !drawSamePictures(options, m_options)) {
        m_options = options;
        m_cache.clear();
        ++m_generation;
        m_shownRow = -1;
        requestFrame();
    }
}

// --- the frames ------------------------------------------------------------

void PlayWindow::setRange(int first, int last)
{
    {
        const QSignalBlocker quietFirst(m_first);
        const QSignalBlocker quietLast(m_last);
        m_first->setValue(first);
        m_last->setValue(last);
    }
    rangeChanged();
}

int PlayWindow::firstRow() const { return m_first->value(); }

int PlayWindow::lastRow() const { return m_last->value(); }

void PlayWindow::rangeChanged()
{
    const int shownRow = m_frames.empty() ? -1 : m_frames[static_cast<std::size_t>(m_frame)];
    m_frames.clear();
    if (m_file) {
        const int first = std::min(m_first->value(), m_last->value());
        const int last = std::min(std::max(m_first->value(), m_last->value()), m_file->rowCount() - 1);
        for (int row = first; row <= last; ++row)
            if (hasPicture(*m_file, row)) m_frames.push_back(row);
    }
    // the row shown stays shown when the new range has it
    const auto kept = std::find(m_frames.begin(), m_frames.end(), shownRow);
    m_frame = kept != m_frames.end() ? static_cast<int>(kept - m_frames.begin()) : 0;
    m_direction = 1;
    if (m_frames.empty()) {
        m_timer.stop();
        if (m_file) setStatus(tr("이 범위에는 그림이 있는 항목이 없습니다."));
    } else if (m_file && m_status->text() == tr("이 범위에는 그림이 있는 항목이 없습니다.")) {
        setStatus(QString());
    }
    updateControls();
    requestFrame();
}

void PlayWindow::setPlaying(bool playing)
{
    if (playing && m_frames.size() > 1) m_timer.start();
    else m_timer.stop();
    updateControls();
}

void PlayWindow::step(int by)
{
    setPlaying(false);
    if (m_frames.empty()) return;
    const int count = static_cast<int>(m_frames.size());
    showFrame(((m_frame + by) % count + count) % count);
}

void PlayWindow::showFrame(int frame)
{
    if (m_frames.empty()) return;
    m_frame = std::clamp(frame, 0, static_cast<int>(m_frames.size()) - 1);
    updateControls();
    requestFrame();
}

int PlayWindow::speed() const { return m_speed->value(); }

void PlayWindow::setSpeed(int framesPerSecond) { m_speed->setValue(framesPerSecond); }

PlayWindow::Mode PlayWindow::mode() const
{
    return m_mode->currentIndex() == 1 ? Mode::PingPong : Mode::Loop;
}

void PlayWindow::setMode(Mode mode) { m_mode->setCurrentIndex(mode == Mode::PingPong ? 1 : 0); }

void PlayWindow::tick()
{
    // a frame still being decoded holds the next one back: a slow decode
    // slows the animation down, it does not skip frames
    if (m_decoder->isRunning() || m_frames.size() < 2) return;
    const int next = nextFrame();
    if (mode() == Mode::PingPong && next != m_frame + m_direction) m_direction = -m_direction;
    showFrame(next);
}

void PlayWindow::requestFrame()
{
    if (m_frames.empty() || !m_file) return;
    const int row = m_frames[static_cast<std::size_t>(m_frame)];
    const QImage* cached = m_cache.object(row);
    if (!cached) {
        if (!m_decoder->isRunning()) decodeRow(row);
        return;
    }
    if (row != m_shownRow) display(row, *cached);
    // while playing, the frame after it is decoded ahead
    if (isPlaying() && !m_decoder->isRunning()) {
        if (const int ahead = m_frames[static_cast<std::size_t>(nextFrame())]; !m_cache.contains(ahead))
            decodeRow(ahead);
    }
}

int PlayWindow::nextFrame() const
{
    const int count = static_cast<int>(m_frames.size());
    if (mode() == Mode::Loop) return (m_frame + 1) % count;
    const int next = m_frame + m_direction;
    return next >= 0 && next < count ? next : std::clamp(m_frame - m_direction, 0, count - 1);
}

void PlayWindow::display(int row, const QImage& image)
{
    m_shownImage = image;
    m_shownRow = row;
    m_view->setImage(m_shownImage);
    emit frameShown(m_frame);
}

void PlayWindow::decodeRow(int row)
{
    m_decoder->start([this, file = m_file, row, options = m_options,
                      generation = m_generation](BackgroundTask::Control&) -> BackgroundTask::Finish {
        auto picture = exportPicture(*file, row, options);
        auto image = std::make_shared<QImage>(picture ? toQImage(*picture) : QImage());
        return [this, row, generation, image] {
            if (generation != m_generation) {  // another file or other options meanwhile
                requestFrame();
                return;
            }
            // a frame larger than the whole budget is shown, never kept
            const auto cost = static_cast<qsizetype>(std::max<qint64>(1, image->sizeInBytes() >> 10));
            m_cache.insert(row, new QImage(*image), cost);
            if (m_frames.empty()) return;
            const int current = m_frames[static_cast<std::size_t>(m_frame)];
            if (current == row) display(row, *image);
            else if (current != m_shownRow) requestFrame();  // the frame moved on meanwhile
        };
    });
}

// --- the GIF ----------------------------------------------------------------

std::vector<int> PlayWindow::gifRows() const
{
    std::vector<int> rows = m_frames;
    // back and forth: one round trip, the ends once each
    if (mode() == Mode::PingPong && m_frames.size() > 2)
        rows.insert(rows.end(), m_frames.rbegin() + 1, m_frames.rend() - 1);
    return rows;
}

bool PlayWindow::isSavingGif() const { return m_gifWriter->isRunning(); }

void PlayWindow::chooseAndSaveGif()
{
    if (m_frames.empty() || isSavingGif()) return;
    const QString stem = QFileInfo(m_fileName).completeBaseName();
    const QString folder = m_window->places().saveFolder(m_window->folder());
    const QString suggested = QDir(folder).filePath((stem.isEmpty() ? QStringLiteral("zpk") : stem) + ".gif");
    const auto path = m_window->dialogs().chooseGifSavePath(this, suggested);
    if (!path || path->isEmpty()) return;
    if (saveGif(*path)) m_window->places().setSaveFolder(QFileInfo(*path).absolutePath());
}

bool PlayWindow::saveGif(const QString& path)
{
    if (m_frames.empty() || !m_file || isSavingGif()) return false;
    GifOptions gif;
    gif.framesPerSecond = std::min(speed(), maxGifFramesPerSecond);
    const bool slowed = gif.framesPerSecond != speed();
    const std::vector<int> rows = gifRows();
    setStatus(tr("GIF로 저장하는 중… %1/%2").arg(0).arg(rows.size()));
    updateControls();
    m_gifWriter->start([this, file = m_file, rows, options = m_options, gif, path,
                        slowed](BackgroundTask::Control& control) mutable -> BackgroundTask::Finish {
        gif.progress = [&control](int done, int total) {
            control.report(done, total);
            return !control.cancelled();
        };
        auto written = std::make_shared<WrittenGif>();
        const auto result = writeFileAtomically(
            systemPath(path), gifMaker(*file, rows, options, gif, *written), WriteOptions{});
        return [this, result, written, path, slowed, fps = gif.framesPerSecond] {
            updateControls();
            if (!result) {
                setStatus(QString());
                m_window->dialogs().showMessage(this, ViewerContext::caption(),
                                                Messages::saveFailed(path, result.error()));
                emit gifFinished(false);
                return;
            }
            const QString name = QFileInfo(path).fileName();
            setStatus(slowed ? tr("%1에 저장했습니다. GIF는 초당 %2 프레임까지이므로 그 속도로 저장했습니다.")
                                   .arg(name)
                                   .arg(fps)
                             : tr("%1에 저장했습니다.").arg(name));
            emit gifFinished(true);
        };
    });
    return true;
}

// --- what the window shows -----------------------------------------------

QString PlayWindow::statusText() const { return m_status->text(); }

void PlayWindow::setStatus(const QString& text) { m_status->setText(text); }

void PlayWindow::updateControls()
{
    const int count = static_cast<int>(m_frames.size());
    {
        const QSignalBlocker quiet(m_position);
        m_position->setRange(0, std::max(0, count - 1));
        m_position->setValue(m_frame);
    }
    if (count == 0) m_frameLabel->setText(tr("프레임 없음"));
    else
        m_frameLabel->setText(tr("프레임 %1/%2 · 항목 %3")
                                  .arg(m_frame + 1)
                                  .arg(count)
                                  .arg(m_frames[static_cast<std::size_t>(m_frame)]));
    const bool playing = isPlaying();
    m_playButton->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_playButton->setAccessibleName(playing ? tr("일시 정지") : tr("재생"));
    m_playButton->setToolTip(QStringLiteral("%1 (%2)").arg(m_playButton->accessibleName(), tr("스페이스")));
    for (QWidget* w : {static_cast<QWidget*>(m_firstButton), static_cast<QWidget*>(m_backButton),
                       static_cast<QWidget*>(m_forwardButton), static_cast<QWidget*>(m_lastButton),
                       static_cast<QWidget*>(m_position)})
        w->setEnabled(count > 1);
    m_playButton->setEnabled(count > 1);
    m_saveGif->setEnabled(count > 0 && !isSavingGif());
}

void PlayWindow::updateTitle()
{
    setWindowTitle(m_fileName.isEmpty() ? tr("재생") : tr("재생 - %1").arg(m_fileName));
}

}  // namespace zpk
