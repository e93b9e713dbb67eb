// "재생": a window of its own that plays a range of the loaded container's
// rows as an animation, one frame a row, each drawn as `zpk export` draws
// it with the main window's options (ramp, drop-first, palette). Rows
// without a picture are left out, as `zpk gif` leaves them out.
//
// Space plays and pauses, Left and Right step one frame (and pause), Home
// and End go to the first and the last frame; the speed runs from 1 to 60
// frames a second, in a loop or back and forth. "GIF로 저장…" (Ctrl+S) writes what
// is played as `zpk gif` writes it (back and forth: the frames of one round
// trip), on a thread of its own. Frames are decoded on a thread too, from
// a copy of the file, and kept while they fit in a budget. The window
// follows the main window's loads, edits and options; Esc and Ctrl+W close
// it, which stops its work and lets go of its frames.
#pragma once

#include "state/PictureOptions.h"
#include "state/ViewerState.h"
#include "window/CompanionWindow.h"

#include <QCache>
#include <QImage>
#include <QTimer>

#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;
class QToolButton;
class QPushButton;

namespace zpk {

class BackgroundTask;
class ContainerSnapshot;
class ImageView;
class ViewerContext;

class PlayWindow : public CompanionWindow {
    Q_OBJECT

public:
    static constexpr int kMinSpeed = 1;
    static constexpr int kMaxSpeed = 60;
    static constexpr int kDefaultSpeed = 10;
    // Decoded frames kept, in bytes of pixels.
    static constexpr qint64 kCacheBytes = qint64{128} << 20;

    enum class Mode { Loop, PingPong };

    explicit PlayWindow(ViewerContext* window);
    ~PlayWindow() override;

    // Shows the window (beside the main window the first time), raises and
    // activates it, playing rows `first` to `last` (every row when first
    // is -1).
    void present(int first = -1, int last = -1);

    // The rows played, in order: those of the range that have a picture.
    const std::vector<int>& frames() const { return m_frames; }
    // Which of them is shown (or being decoded to be shown); -1 for none.
    int frame() const { return m_frames.empty() ? -1 : m_frame; }
    // The picture of the frame shown last, and its row (-1: none yet).
    const QImage& shownImage() const { return m_shownImage; }
    int shownRow() const { return m_shownRow; }

    bool isPlaying() const { return m_timer.isActive(); }
    void setPlaying(bool playing);
    // Pauses and steps `by` frames, around the ends.
    void step(int by);
    void showFrame(int frame);
    int speed() const;
    void setSpeed(int framesPerSecond);
    Mode mode() const;
    void setMode(Mode mode);
    void setRange(int first, int last);
    int firstRow() const;
    int lastRow() const;

    // The rows the GIF of what is played holds, in order.
    std::vector<int> gifRows() const;
    // Writes that GIF to `path` on a thread; gifFinished() follows.
    bool saveGif(const QString& path);
    bool isSavingGif() const;
    QString statusText() const;

signals:
    // A frame's picture is shown.
    void frameShown(int frame);
    // A GIF was written (or failed: the message was shown).
    void gifFinished(bool written);

private:
    void reload() override;
    void release() override;
    void followRender();
    void snapshotReady(const std::shared_ptr<const ContainerFile>& file);
    void rangeChanged();
    void tick();
    void requestFrame();
    void decodeRow(int row);
    // The frame the animation shows after this one.
    int nextFrame() const;
    void display(int row, const QImage& image);
    void chooseAndSaveGif();
    void updateControls();
    void updateTitle();
    void setStatus(const QString& text);

    ContainerSnapshot* m_snapshot = nullptr;
    BackgroundTask* m_decoder = nullptr;
    BackgroundTask* m_gifWriter = nullptr;
    ImageView* m_view = nullptr;
    QSlider* m_position = nullptr;
    QLabel* m_frameLabel = nullptr;
    QToolButton* m_firstButton = nullptr;
    QToolButton* m_backButton = nullptr;
    QToolButton* m_playButton = nullptr;
    QToolButton* m_forwardButton = nullptr;
    QToolButton* m_lastButton = nullptr;
    QSpinBox* m_speed = nullptr;
    QComboBox* m_mode = nullptr;
    QSpinBox* m_first = nullptr;
    QSpinBox* m_last = nullptr;
    QPushButton* m_saveGif = nullptr;
    QLabel* m_status = nullptr;
    QTimer m_timer;

    QString m_fileName;
    std::shared_ptr<const ContainerFile> m_file;  // the copy the decoder reads
    PictureOptions m_options;
    std::vector<int> m_frames;
    int m_frame = 0;
    int m_direction = 1;  // back and forth: +1 forwards, -1 backwards
    int m_shownRow = -1;
    int m_generation = 0;         // a new file or new options drop older frames
    QCache<int, QImage> m_cache;  // row -> its picture, cost in KiB
    QImage m_shownImage;
};

}  // namespace zpk
