// "팔레트 불러오기…", "팔레트 되돌리기" and "팔레트 저장…": entries drawn
// with the colours of a palette file (.gpl, .pal, .act) instead of their
// own, and the drawn entry's colours saved as one.
#pragma once

#include <QObject>
#include <QString>

namespace zpk {

class ViewerContext;

class PaletteFlow : public QObject {
    Q_OBJECT

public:
    PaletteFlow(ViewerContext* window, QObject* parent);

    // Ask for the file, starting where a palette file was last opened or
    // saved in this run, then load or save it.
    void chooseAndLoad();
    void chooseAndSave();
    // Reads a palette file (.gpl, .pal, .act) and draws every entry with it
    // from now on, instead of the colours the entries store; false (after a
    // message, with nothing changed) when the file cannot be read or is
    // malformed.
    bool loadPalette(const QString& path);
    // Draws with the entries' stored colours again.
    void revertPalette();
    // Saves the 256 colours the drawn entry was drawn with (pixel values 0
    // to 255) as a palette file in the format of the name's extension
    // (.gpl, .pal, .act, or .png swatches); false (after a message) on failure.
    bool savePalette(const QString& path);

private:
    ViewerContext* m_window;
    // Where a palette file was last opened or saved in this run.
    QString m_paletteFolder;
};

}  // namespace zpk
