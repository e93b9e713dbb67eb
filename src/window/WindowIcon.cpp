#include "window/WindowIcon.h"

#include <QColor>
#include <QPainter>
#include <QPixmap>

namespace zpk {

QImage windowIconImage(int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(QColor(0x20, 0x30, 0x58));  // dark blue frame

    // A 4 x 4 board of palette cells inside a white mat.
    const int mat = side / 8;
    const int inner = side - 2 * mat;
    QPainter painter(&image);
    painter.fillRect(mat, mat, inner, inner, Qt::white);
    static const QColor cells[4][4] = {
        {{0xE0, 0x40, 0x30}, {0xF0, 0xA0, 0x20}, {0xF0, 0xE0, 0x40}, {0x60, 0xC0, 0x50}},
        {{0xF0, 0xA0, 0x20}, {0xF0, 0xE0, 0x40}, {0x60, 0xC0, 0x50}, {0x30, 0xA0, 0xD0}},
        {{0xF0, 0xE0, 0x40}, {0x60, 0xC0, 0x50}, {0x30, 0xA0, 0xD0}, {0x50, 0x50, 0xC0}},
        {{0x60, 0xC0, 0x50}, {0x30, 0xA0, 0xD0}, {0x50, 0x50, 0xC0}, {0x90, 0x40, 0xA0}},
    };
    const int border = side >= 32 ? 2 : 1;
    const int cell = (inner - 2 * border) / 4;
    const int origin = mat + (inner - 4 * cell) / 2;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            painter.fillRect(origin + x * cell, origin + y * cell, cell, cell, cells[y][x]);
    painter.end();
    return image;
}

QIcon makeWindowIcon()
{
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(windowIconImage(32)));
    icon.addPixmap(QPixmap::fromImage(windowIconImage(16)));
    return icon;
}

}  // namespace zpk
