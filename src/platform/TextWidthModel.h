// The width of 8-bit texts in one font, reckoned from measured characters and pairs of characters,
// so that a column of many thousand texts needs only a few real text layouts.
//
// Qt lays a Latin-1 text out as one run in one script (Latin when it holds a letter, else the
// common script of digits and signs) and shapes it with the font's OpenType rules. For such text
// those rules change a character's advance only by kerning with its neighbour, pair by pair. So a
// text's width is the sum of its characters' advances plus, for every pair of neighbours, the
// kerning of that pair, measured once on the pair alone in the same script. Widths are summed in
// Qt's own fixed-point units (1/64 pixel) and rounded as Qt rounds them at the end.
//
// What does not follow that rule is left to a real measurement: characters whose width depends on
// where they stand (tab, line breaks, other control characters, the soft hyphen, and 0x9C, at which
// Qt ends a measured text), and pairs that the font draws with other glyphs than their characters'
// own (ligatures such as "fi"), whose neighbours may kern differently with the joined glyph.
#pragma once

#include "platform/Text.h"

#include <QFont>
#include <QFontMetricsF>
#include <QList>
#include <array>
#include <cstdint>
#include <vector>

class TTextWidthModel
{
public:
    // shown: the characters a text of bytes is displayed as (one character per byte).
    TTextWidthModel(const QFont &font, QString (*shown)(const AnsiString &));

    // The text's width in whole pixels, as QFontMetrics::horizontalAdvance gives it for the shown
    // text; -1 when only a real measurement can tell.
    int Width(const AnsiString &text);

private:
    using Glyphs = QList<quint32>;
    // Pair adjustments not yet measured, and pairs that only a real measurement can tell.
    static constexpr int16_t Unknown = INT16_MIN;
    static constexpr int16_t Unmodelled = INT16_MAX;
    static constexpr int NoAdvance = -1;

    int Measure(const AnsiString &text) const;       // in 1/64 pixel
    Glyphs GlyphsOf(const AnsiString &text) const;
    int16_t PairAdjustment(unsigned char a, unsigned char b, bool inLatin);
    int16_t MeasurePair(unsigned char a, unsigned char b, bool inLatin) const;

    QFont Font;
    QFontMetricsF Metrics;
    QString (*Shown)(const AnsiString &);
    std::array<int, 256> Advance{};                  // 1/64 pixel; NoAdvance: not modelled
    std::array<bool, 256> Letter{};                  // the character makes a text Latin
    std::array<Glyphs, 256> CharGlyphs;
    // The kerning of each pair a*256+b in 1/64 pixel: [0] in a text without letters, [1] with.
    std::array<std::vector<int16_t>, 2> Pairs;
};
