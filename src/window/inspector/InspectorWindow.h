// "자세히 보기": a window of its own that shows the entry drawn last in the
// main window, zoomed without smoothing, with the palette beside it and a
// status line that tells the pixel under the cursor. It follows every
// render of the main window until it is closed.
#pragma once

#include "window/DrawnEntry.h"

#include <QPoint>
#include <QWidget>

#include <bitset>
#include <memory>

class QComboBox;
class QLabel;

namespace zpk {

class ImageView;
class PalettePanel;

class InspectorWindow : public QWidget {
    Q_OBJECT

public:
    explicit InspectorWindow(QWidget* parent = nullptr);

    // The entry to show; nothing when the main window draws no image.
    void showEntry(std::shared_ptr<const DrawnEntry> entry);
    const DrawnEntry* entry() const { return m_entry.get(); }

    // What the status line says of image pixel (x, y), counted from 0.
    struct PixelInfo {
        bool inside = false;  // within the stored image
        bool drawn = false;   // produced, and not a dropped value 0
        bool produced = false;
        int value = -1;
        int paletteEntry = -1;  // value + 2
        Colour colour = 0;
    };
    PixelInfo pixelInfo(QPoint point) const;

    // Zoom steps offered, and the current one (0 is "fit").
    static const QList<int>& zoomSteps();
    void setZoom(int zoom);
    int zoom() const;

    ImageView* view() const { return m_view; }
    PalettePanel* palettePanel() const { return m_palette; }
    QString statusText() const;
    QString summaryText() const;

signals:
    void copyRequested();
    void saveRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The picture is held only while the window shows: made when it
    // opens, let go when it closes.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void pointAt(QPoint point);
    void highlightValue(int value);
    void stepZoom(int step);
    QImage highlighted(int value) const;
    void makeImage();

    std::shared_ptr<const DrawnEntry> m_entry;
    QImage m_image;  // the entry as exported
    std::bitset<256> m_used;
    ImageView* m_view = nullptr;
    PalettePanel* m_palette = nullptr;
    QComboBox* m_zoom = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_summary = nullptr;
};

}  // namespace zpk
