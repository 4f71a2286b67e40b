#include "shell/DocumentIcons.h"

#include <QPainter>
#include <QPixmap>

namespace {

struct IconLook
{
    int Index;
    const char *Letter;
    QColor Colour;
};

const IconLook Looks[] = {
    {0, "K", QColor(0x20, 0x60, 0xC0)}, {1, "T", QColor(0x60, 0x60, 0x60)}, {2, "C", QColor(0x20, 0x90, 0x40)},
    {6, "O", QColor(0xB0, 0x70, 0x10)}, {7, "A", QColor(0xA0, 0x20, 0x60)},
};

// A sheet with a folded corner and the kind's letter, drawn on a 16-pixel grid.
QPixmap DrawSheet(const IconLook &look, int size)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    const QPolygon sheet({QPoint(2, 0), QPoint(10, 0), QPoint(14, 4), QPoint(14, 15), QPoint(2, 15)});
    p.setPen(look.Colour.darker(140));
    p.setBrush(Qt::white);
    p.drawPolygon(sheet);
    QFont font("DejaVu Sans", 7);
    font.setBold(true);
    p.setFont(font);
    p.setPen(look.Colour);
    p.drawText(QRect(2, 3, 12, 12), Qt::AlignCenter, look.Letter);
    p.end();
    return picture;
}

} // namespace

// Small for lists and tabs, large for the icon view of the new-document dialog.
QIcon DocumentIcon(int imageIndex)
{
    const IconLook *look = nullptr;
    for (const IconLook &l : Looks)
        if (l.Index == imageIndex) look = &l;
    if (!look) return {};
    QIcon icon;
    for (int size : {16, 32}) icon.addPixmap(DrawSheet(*look, size));
    return icon;
}
