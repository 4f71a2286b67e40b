#include "platform/Colors.h"

#include <QApplication>
#include <QPalette>

namespace {

QColor SystemColorToQColor(int index)
{
    const QPalette p = QApplication::palette();
    switch (index) {
    case 0: return p.color(QPalette::Button);            // scroll bar
    case 1: return p.color(QPalette::Dark);              // desktop
    case 2: return p.color(QPalette::Highlight);         // active caption
    case 3: return p.color(QPalette::Mid);               // inactive caption
    case 4: return p.color(QPalette::Window);            // menu
    case 5: return p.color(QPalette::Base);              // window
    case 6: return p.color(QPalette::Shadow);            // window frame
    case 7: return p.color(QPalette::WindowText);        // menu text
    case 8: return p.color(QPalette::Text);              // window text
    case 9: return p.color(QPalette::HighlightedText);   // caption text
    case 10: case 11: return p.color(QPalette::Window);  // borders
    case 12: return p.color(QPalette::Dark);             // application work space
    case 13: return p.color(QPalette::Highlight);
    case 14: return p.color(QPalette::HighlightedText);
    case 15: return p.color(QPalette::Button);           // button face
    case 16: return p.color(QPalette::Dark);             // button shadow
    case 17: return p.color(QPalette::Disabled, QPalette::Text);
    case 18: return p.color(QPalette::ButtonText);
    case 19: return p.color(QPalette::Disabled, QPalette::WindowText);
    case 20: return p.color(QPalette::Light);            // button highlight
    case 21: return p.color(QPalette::Shadow);
    case 22: return p.color(QPalette::Midlight);
    case 23: return p.color(QPalette::ToolTipText);      // info text
    case 24: return p.color(QPalette::ToolTipBase);      // info background
    default: return p.color(QPalette::Window);
    }
}

} // namespace

QColor ColorToQColor(TColor color)
{
    if (color == clNone || color == clDefault) return QColor();
    if (IsSystemColor(color)) return SystemColorToQColor(int(std::uint32_t(color) & 0xFFu));
    const std::uint32_t c = std::uint32_t(color);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor QColorToColor(const QColor &color)
{
    return TColor(std::uint32_t(color.red()) | (std::uint32_t(color.green()) << 8) |
                  (std::uint32_t(color.blue()) << 16));
}
