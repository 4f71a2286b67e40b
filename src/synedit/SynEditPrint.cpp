#include "synedit/SynEditPrint.h"

#include "synedit/SynHighlighter.h"

#include <QDateTime>
#include <QFile>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int TabStop = 8;

// Tabs become blanks up to the next stop; map[i] is where character i of the line went.
AnsiString ExpandTabs(const AnsiString &line, std::vector<int> *map = nullptr)
{
    AnsiString out;
    out.reserve(line.size());
    if (map) map->assign(line.size() + 1, 0);
    for (size_t i = 0; i < line.size(); ++i) {
        if (map) (*map)[i] = int(out.size());
        if (line[i] == '\t')
            out.append(size_t(TabStop - int(out.size()) % TabStop), ' ');
        else
            out += line[i];
    }
    if (map) (*map)[line.size()] = int(out.size());
    return out;
}

void ReplaceAll(AnsiString &text, const AnsiString &macro, const AnsiString &value)
{
    for (size_t at = text.find(macro); at != AnsiString::npos; at = text.find(macro, at + value.size()))
        text.replace(at, macro.size(), value);
}

int Digits(long long n)
{
    int d = 1;
    while (n >= 10) {
        n /= 10;
        ++d;
    }
    return d;
}

// A PDF printer without a file is what Qt gives when no printer is installed. Starting it fails and
// leaves it marked active for good (every later setting refused), so it is never started.
bool HasNoOutput(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty();
}

// Why a print file cannot be written, in the system's words; empty when it can. A file made by
// the trial is removed again.
AnsiString PrintFileError(const QString &fileName)
{
    QFile file(fileName);
    const bool existed = file.exists();
    if (!file.open(QIODevice::Append)) return FromQ(file.errorString());
    file.close();
    if (!existed) file.remove();
    return {};
}

QFont WithStyle(QFont font, TFontStyles style)
{
    font.setBold(style & fsBold);
    font.setItalic(style & fsItalic);
    font.setUnderline(style & fsUnderline);
    font.setStrikeOut(style & fsStrikeOut);
    return font;
}

} // namespace

void TSynHeaderFooter::Add(const AnsiString &text, Qt::Alignment alignment, int lineNumber)
{
    Lines.push_back({text, alignment, lineNumber});
}

std::vector<TSynHeaderFooterLine> TSynHeaderFooter::Ordered() const
{
    std::vector<TSynHeaderFooterLine> ordered = Lines;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto &a, const auto &b) { return a.LineNumber < b.LineNumber; });
    return ordered;
}

struct TSynEditPrint::Layout
{
    double DotsPerMm = 1;
    QRectF Paper;
    QRectF Body;
    double LineHeight = 1;
    double CharWidth = 1;
    int NumberChars = 0;   // width of the line-number column, blanks included
    int CharsPerRow = 1;
    int RowsPerPage = 1;
    std::vector<AnsiString> Text;   // the lines with tabs expanded
    std::vector<Row> Rows;
    int PageCount = 1;
};

TSynEditPrint::TSynEditPrint() : Font("DejaVu Sans Mono", 10)
{
    Font.setStyleHint(QFont::TypeWriter);
}

std::vector<TSynEditPrint::Row> TSynEditPrint::MakeRows(int charsPerRow) const
{
    std::vector<Row> rows;
    rows.reserve(Lines.size());
    for (int i = 0; i < int(Lines.size()); ++i) {
        const AnsiString text = ExpandTabs(Lines[size_t(i)]);
        const int length = int(text.size());
        if (!Wrap || length <= charsPerRow) {
            rows.push_back({i, 0, length, true});
            continue;
        }
        for (int start = 0; start < length;) {
            int count = std::min(charsPerRow, length - start);
            if (start + count < length) {
                // Break after the last blank of the row when there is one in its second half.
                const size_t blank = text.rfind(' ', size_t(start + count - 1));
                if (blank != AnsiString::npos && int(blank) >= start + charsPerRow / 2)
                    count = int(blank) - start + 1;
            }
            rows.push_back({i, start, count, start == 0});
            start += count;
        }
    }
    return rows;
}

TSynEditPrint::Layout TSynEditPrint::MakeLayout(QPrinter &printer) const
{
    Layout l;
    const int dpi = printer.resolution();
    l.DotsPerMm = dpi / 25.4;
    l.Paper = printer.pageLayout().fullRectPixels(dpi);
    const QFontMetricsF metrics(Font, &printer);
    l.LineHeight = std::max(1.0, metrics.lineSpacing());
    l.CharWidth = std::max(1.0, metrics.horizontalAdvance(QLatin1Char('W')));
    l.NumberChars = LineNumbers ? Digits(std::max<long long>(1, (long long)Lines.size())) + 2 : 0;

    const double left = l.Paper.left() + Margins.Left * l.DotsPerMm;
    const double right = l.Paper.right() - Margins.Right * l.DotsPerMm;
    const double top = l.Paper.top() + Margins.Top * l.DotsPerMm;
    const double bottom = l.Paper.bottom() - Margins.Bottom * l.DotsPerMm;
    l.Body = QRectF(QPointF(left, top), QPointF(std::max(left + l.CharWidth, right), std::max(top + l.LineHeight, bottom)));
    l.CharsPerRow = std::max(1, int(l.Body.width() / l.CharWidth) - l.NumberChars);
    l.RowsPerPage = std::max(1, int(l.Body.height() / l.LineHeight));
    l.Rows = MakeRows(l.CharsPerRow);
    l.PageCount = std::max(1, int((l.Rows.size() + size_t(l.RowsPerPage) - 1) / size_t(l.RowsPerPage)));
    return l;
}

int TSynEditPrint::PageCount(QPrinter &printer) const { return MakeLayout(printer).PageCount; }

AnsiString TSynEditPrint::ExpandMacros(const AnsiString &text, int pageNumber, int pageCount) const
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    AnsiString out = text;
    ReplaceAll(out, "$PAGENUM$", IntToStr(pageNumber));
    ReplaceAll(out, "$PAGECOUNT$", IntToStr(pageCount));
    ReplaceAll(out, "$DATETIME$", FromQ(locale.toString(now, QLocale::ShortFormat)));
    ReplaceAll(out, "$DATE$", FromQ(locale.toString(now.date(), QLocale::ShortFormat)));
    ReplaceAll(out, "$TIME$", FromQ(locale.toString(now.time(), QLocale::ShortFormat)));
    ReplaceAll(out, "$TITLE$", Title);
    return out;
}

bool TSynEditPrint::Print(QPrinter &printer)
{
    Pages.clear();
    Error.clear();
    if (HasNoOutput(printer)) {
        Error = "No printer is available.";
        return false;
    }
    printer.setFullPage(true);
    printer.setDocName(ToQ(DocTitle));
    printer.setCopyCount(std::max(1, Copies));
    const Layout layout = MakeLayout(printer);

    LineRanges.assign(Lines.size(), 0);
    if (Highlight && Highlighter) {
        Highlighter->ResetRange();
        int range = Highlighter->GetRange();
        for (size_t i = 0; i < Lines.size(); ++i) {
            LineRanges[i] = range;
            Highlighter->SetRange(range);
            Highlighter->SetLine(Lines[i], int(i));
            while (!Highlighter->GetEol()) Highlighter->Next();
            range = Highlighter->GetRange();
        }
    }

    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString file = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
        const AnsiString fileError = file.isEmpty() ? AnsiString() : PrintFileError(file);
        Error = fileError.empty() ? "The printer could not be started."
                                  : "The print file \"" + FromQ(file) + "\" could not be written: " + fileError;
        return false;
    }
    if (OnPrintStatus) OnPrintStatus(psBegin, 1);
    for (int page = 0; page < layout.PageCount; ++page) {
        if (page > 0) {
            if (!printer.newPage()) {
                Error = "A new page could not be begun.";
                painter.end();
                return false;
            }
            if (OnPrintStatus) OnPrintStatus(psNewPage, page + 1);
        }
        PrintPage(painter, layout, page);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted) {
        Error = "The printer did not finish the job.";
        return false;
    }
    if (OnPrintStatus) OnPrintStatus(psEnd, layout.PageCount);
    return true;
}

void TSynEditPrint::PrintPage(QPainter &painter, const Layout &layout, int page)
{
    TSynPrintedPage record;
    record.Number = page + 1;
    const QColor background = ColorToQColor(BackgroundColor);
    painter.fillRect(layout.Paper, background.isValid() ? background : QColor(Qt::white));
    PrintHeaderFooter(painter, layout, Header, true, page, record.Header);

    const size_t first = size_t(page) * size_t(layout.RowsPerPage);
    const size_t last = std::min(layout.Rows.size(), first + size_t(layout.RowsPerPage));
    double y = layout.Body.top();
    painter.save();
    painter.setClipRect(layout.Body);   // unwrapped lines end at the right margin
    for (size_t r = first; r < last; ++r, y += layout.LineHeight) {
        const Row &row = layout.Rows[r];
        if (row.First && OnPrintLine) OnPrintLine(row.Line + 1);
        PrintRow(painter, layout, row, int(y));
    }
    painter.restore();
    if (first < last) {
        record.FirstLine = layout.Rows[first].Line + 1;
        record.LastLine = layout.Rows[last - 1].Line + 1;
    }
    PrintHeaderFooter(painter, layout, Footer, false, page, record.Footer);
    Pages.push_back(std::move(record));
}

void TSynEditPrint::PrintHeaderFooter(QPainter &painter, const Layout &layout, const TSynHeaderFooter &part,
                                      bool header, int page, std::vector<AnsiString> &printed) const
{
    const std::vector<TSynHeaderFooterLine> lines = part.Ordered();
    if (lines.empty()) return;
    painter.setFont(part.Font);
    painter.setPen(Qt::black);
    const double height = QFontMetricsF(part.Font, painter.device()).lineSpacing();
    double y = header ? std::max(layout.Paper.top(), layout.Paper.top() + Margins.Header * layout.DotsPerMm -
                                                         height * double(lines.size()))
                      : layout.Paper.bottom() - Margins.Footer * layout.DotsPerMm;
    const double left = layout.Body.left() + Margins.LeftHFTextIndent * layout.DotsPerMm;
    const double right = layout.Body.right() - Margins.RightHFTextIndent * layout.DotsPerMm;
    for (const TSynHeaderFooterLine &line : lines) {
        const AnsiString text = ExpandMacros(line.Text, page + 1, layout.PageCount);
        painter.drawText(QRectF(left, y, std::max(1.0, right - left), height),
                         int(line.Alignment | Qt::AlignVCenter) | Qt::TextSingleLine, ToQ(text));
        printed.push_back(text);
        y += height;
    }
}

void TSynEditPrint::PrintRow(QPainter &painter, const Layout &layout, const Row &row, int y)
{
    painter.setFont(Font);
    painter.setPen(Qt::black);
    const double x = layout.Body.left() + layout.NumberChars * layout.CharWidth;
    if (LineNumbers && row.First) {
        const QRectF cell(layout.Body.left(), y, (layout.NumberChars - 2) * layout.CharWidth, layout.LineHeight);
        painter.drawText(cell, Qt::AlignRight | Qt::AlignVCenter, QString::number(row.Line + 1));
    }
    if (Highlight && Highlighter) {
        PrintHighlighted(painter, layout, row, int(x), y);
        return;
    }
    const AnsiString text = ExpandTabs(Lines[size_t(row.Line)]).substr(size_t(row.Start), size_t(row.Length));
    painter.drawText(QPointF(x, y + QFontMetricsF(Font, painter.device()).ascent()), ToQ(text));
}

void TSynEditPrint::PrintHighlighted(QPainter &painter, const Layout &layout, const Row &row, int x, int y)
{
    const AnsiString &line = Lines[size_t(row.Line)];
    std::vector<int> map;
    const AnsiString text = ExpandTabs(line, &map);
    const int rowEnd = row.Start + row.Length;
    const double ascent = QFontMetricsF(Font, painter.device()).ascent();
    Highlighter->SetRange(LineRanges[size_t(row.Line)]);
    Highlighter->SetLine(line, row.Line);
    for (; !Highlighter->GetEol(); Highlighter->Next()) {
        const int pos = Highlighter->GetTokenPos();
        const int length = int(Highlighter->GetToken().size());
        const int start = std::max(map[size_t(pos)], row.Start);
        const int end = std::min(map[size_t(std::min<size_t>(line.size(), size_t(pos + length)))], rowEnd);
        if (start >= end) continue;
        const TSynHighlighterAttributes *attr = Highlighter->GetTokenAttribute();
        painter.setFont(attr ? WithStyle(Font, attr->Style()) : Font);
        const QRectF cell(x + (start - row.Start) * layout.CharWidth, y, (end - start) * layout.CharWidth,
                          layout.LineHeight);
        QColor fore = Qt::black;
        if (Colors && attr) {
            const QColor back = ColorToQColor(attr->Background());
            if (back.isValid()) painter.fillRect(cell, back);
            const QColor f = ColorToQColor(attr->Foreground());
            if (f.isValid()) fore = f;
        }
        painter.setPen(fore);
        painter.drawText(QPointF(cell.left(), y + ascent), ToQ(text.substr(size_t(start), size_t(end - start))));
    }
}
