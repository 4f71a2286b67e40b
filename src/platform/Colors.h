// The class library's colour integers: a plain colour is 0x00BBGGRR, a system colour is
// 0x80000000 + the system colour index; clNone lets the owner's colour show through.
#pragma once

#include <QColor>
#include <cstdint>

using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor SystemColor(int index) { return TColor(0x80000000u + unsigned(index)); }
constexpr TColor clScrollBar = SystemColor(0), clBackground = SystemColor(1),
                 clActiveCaption = SystemColor(2), clInactiveCaption = SystemColor(3),
                 clMenu = SystemColor(4), clWindow = SystemColor(5), clWindowFrame = SystemColor(6),
                 clMenuText = SystemColor(7), clWindowText = SystemColor(8),
                 clCaptionText = SystemColor(9), clActiveBorder = SystemColor(10),
                 clInactiveBorder = SystemColor(11), clAppWorkSpace = SystemColor(12),
                 clHighlight = SystemColor(13), clHighlightText = SystemColor(14),
                 clBtnFace = SystemColor(15), clBtnShadow = SystemColor(16), clGrayText = SystemColor(17),
                 clBtnText = SystemColor(18), clInactiveCaptionText = SystemColor(19),
                 clBtnHighlight = SystemColor(20), cl3DDkShadow = SystemColor(21),
                 cl3DLight = SystemColor(22), clInfoText = SystemColor(23), clInfoBk = SystemColor(24);

inline bool IsSystemColor(TColor c) { return (std::uint32_t(c) & 0xFF000000u) == 0x80000000u; }

// The real colour: system colours from the application's palette. clNone and clDefault give an
// invalid QColor, which callers read as "use the owner's colour".
QColor ColorToQColor(TColor color);
// A real colour as a plain colour integer.
TColor QColorToColor(const QColor &color);
