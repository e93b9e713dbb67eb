// "바꾸기…": the drawn entry's row of the loaded container replaced with a
// PNG, as one step of the window's edits (EditSession). The question (how
// to read the PNG, and whether to save under a new name at once) goes
// through WindowDialogs::confirmReplace.
#pragma once

#include <QObject>
#include <QString>

namespace zpk {

class ViewerContext;

class ReplaceFlow : public QObject {
    Q_OBJECT

public:
    ReplaceFlow(ViewerContext* window, QObject* parent);

    // Asks for the PNG, starting where the last one came from, and replaces.
    void chooseAndReplace();
    // Replaces the drawn entry's row with the PNG at `picture`, after asking
    // (WindowDialogs::confirmReplace) how to read it and whether to save
    // under a new name at once. The edit is shown, and kept in memory until
    // it is saved. False, with the container, the list and the canvas as
    // they were, when cancelled, while an export runs, or (after a message)
    // when the PNG cannot be read or packed.
    bool replaceDrawnEntry(const QString& picture);

private:
    ViewerContext* m_window;
    // Where the last replacing PNG came from.
    QString m_pictureFolder;
};

}  // namespace zpk
