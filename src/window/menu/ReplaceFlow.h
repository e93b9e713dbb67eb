// "바꾸기…": the drawn entry's row of the loaded file replaced with a PNG.
// The question (how to read the PNG, over the file or to a new one) goes
// through WindowDialogs::confirmReplace; the container is rebuilt from the
// file as it is on disk then by pack/ContainerUpdate, and loaded again.
#pragma once

#include "pack/PictureReader.h"

#include <QObject>
#include <QString>

namespace zpk {

class ExportAllFlow;
class ViewerContext;

class ReplaceFlow : public QObject {
    Q_OBJECT

public:
    // `exports` tells whether an export reads the loaded file.
    ReplaceFlow(ViewerContext* window, const ExportAllFlow& exports, QObject* parent);

    // Asks for the PNG, starting where the last one came from, and replaces.
    void chooseAndReplace();
    // Replaces the drawn entry's row of the loaded file with the PNG at
    // `picture`, after asking (WindowDialogs::confirmReplace) whether to
    // write over the file or to a new one and how to read the PNG. The new
    // container is written whole (writeFileAtomically), loaded, and the row
    // drawn. False, with the file, the list and the canvas as they were,
    // when cancelled, while an export runs, or (after a message) when the
    // PNG cannot be read or packed or the file cannot be written.
    bool replaceDrawnEntry(const QString& picture);

private:
    ViewerContext* m_window;
    const ExportAllFlow& m_exports;
    // Where the last replacing PNG came from, and how it was read.
    QString m_pictureFolder;
    PackOptions m_replaceOptions;
};

}  // namespace zpk
