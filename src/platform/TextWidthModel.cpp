#include "platform/TextWidthModel.h"

#include <QGlyphRun>
#include <QTextLayout>
#include <cmath>

namespace {

// A letter that makes a measured pair of digits or signs stand in a Latin text.
constexpr char LatinContext = 'x';

// Characters whose width depends on their place in the text, or that end Qt's measuring.
bool PlaceDependent(QChar c)
{
    return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
}

} // namespace

TTextWidthModel::TTextWidthModel(const QFont &font, QString (*shown)(const AnsiString &))
    : Font(font), Metrics(font), Shown(shown)
{
    for (int c = 0; c < 256; ++c) {
        const AnsiString text(1, char(c));
        const QString shownText = Shown(text);
        const bool modelled = shownText.size() == 1 && !PlaceDependent(shownText[0]);
        Advance[size_t(c)] = modelled ? Measure(text) : NoAdvance;
        Letter[size_t(c)] = modelled && shownText[0].script() == QChar::Script_Latin;
        if (modelled) CharGlyphs[size_t(c)] = GlyphsOf(text);
    }
    for (std::vector<int16_t> &pairs : Pairs) pairs.assign(256 * 256, Unknown);
}

int TTextWidthModel::Width(const AnsiString &text)
{
    int64_t width = 0;
    bool inLatin = false;
    for (const char c : text) {
        const int advance = Advance[static_cast<unsigned char>(c)];
        if (advance == NoAdvance) return -1;
        width += advance;
        inLatin = inLatin || Letter[static_cast<unsigned char>(c)];
    }
    for (size_t i = 1; i < text.size(); ++i) {
        const int16_t adjustment = PairAdjustment(static_cast<unsigned char>(text[i - 1]),
                                                  static_cast<unsigned char>(text[i]), inLatin);
        if (adjustment == Unmodelled) return -1;
        width += adjustment;
    }
    return int((width + 32) >> 6);   // to whole pixels, halves up, as Qt rounds its fixed-point widths
}

int TTextWidthModel::Measure(const AnsiString &text) const
{
    // Qt's widths are whole 1/64 pixels, so this is exact.
    return int(std::lround(Metrics.horizontalAdvance(Shown(text)) * 64));
}

TTextWidthModel::Glyphs TTextWidthModel::GlyphsOf(const AnsiString &text) const
{
    QTextLayout layout(Shown(text), Font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    Glyphs glyphs;
    for (const QGlyphRun &run : layout.glyphRuns()) glyphs += run.glyphIndexes();
    return glyphs;
}

int16_t TTextWidthModel::PairAdjustment(unsigned char a, unsigned char b, bool inLatin)
{
    int16_t &adjustment = Pairs[inLatin][size_t(a) * 256 + b];
    if (adjustment == Unknown) adjustment = MeasurePair(a, b, inLatin);
    return adjustment;
}

// The pair's kerning: what the pair measures beyond its characters. A pair of non-letters in a
// Latin text is measured behind a letter, so that it is shaped as Latin; the letter's own width
// and its kerning with the pair's first character are taken off again.
int16_t TTextWidthModel::MeasurePair(unsigned char a, unsigned char b, bool inLatin) const
{
    const bool behindLetter = inLatin && !Letter[a] && !Letter[b];
    const AnsiString lead = behindLetter ? AnsiString(1, LatinContext) : AnsiString();
    const AnsiString first = lead + char(a), pair = first + char(b);
    const Glyphs ownGlyphs = (behindLetter ? CharGlyphs[LatinContext] : Glyphs()) + CharGlyphs[a] + CharGlyphs[b];
    if (GlyphsOf(pair) != ownGlyphs) return Unmodelled;
    const int adjustment = Measure(pair) - (behindLetter ? Measure(first) : Advance[a]) - Advance[b];
    return std::abs(adjustment) < Unmodelled ? int16_t(adjustment) : Unmodelled;
}
