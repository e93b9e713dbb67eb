// The controls of the main window, made at their fixed places, in their
// tab order, with their names, accessible names and style. The main
// window wires their events; their texts are in its translation context.
#pragma once

#include <QByteArray>
#include <QCoreApplication>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace zpk {

class FileListBox;
class PictureCanvas;

struct MainControls {
    Q_DECLARE_TR_FUNCTIONS(zpk::MainWindow)

public:
    // Makes the controls on `window`, File1 listing `folder`, back to front,
    // and sets the window's caption font.
    void setup(QWidget* window, const QByteArray& folder);
    // The accessible names and descriptions.
    void describe();
    // Fusion on `window` and every widget in it, and text that reads.
    static void pinStyle(QWidget* window);
    // The application's palette on `window`, but for the text colours
    // that would read at less than 4.5:1 against their background (WCAG
    // relative luminance), moved towards black or white until they do.
    static void keepTextReadable(QWidget* window);

    PictureCanvas* picture1 = nullptr;
    QPushButton* command1 = nullptr;
    QPushButton* command2 = nullptr;
    QListWidget* list1 = nullptr;
    QCheckBox* modeClear = nullptr;
    QCheckBox* modeBack = nullptr;
    QCheckBox* checkColor = nullptr;
    QLineEdit* color1 = nullptr;
    QLineEdit* color2 = nullptr;
    QLineEdit* color3 = nullptr;
    FileListBox* file1 = nullptr;
};

}  // namespace zpk
