// The print engine of the text panes: lines of text laid out on pages of a QPrinter, with header and
// footer lines (macros $TITLE$, $DATETIME$, $DATE$, $TIME$, $PAGENUM$, $PAGECOUNT$), line numbers,
// highlighting, word wrap and colours. Layout and page count come from the printer's page size and
// resolution, so the count shown before printing is the count printed.
#pragma once

#include "platform/Colors.h"
#include "platform/Text.h"

#include <QFont>
#include <functional>
#include <vector>

class QPainter;
class QPrinter;
class TSynCustomHighlighter;

enum TSynPrintStatus { psBegin, psNewPage, psEnd };

// One line of a header or footer.
struct TSynHeaderFooterLine
{
    AnsiString Text;                                   // may hold the macros
    Qt::Alignment Alignment = Qt::AlignLeft;
    int LineNumber = 0;                                // lines are printed in this order
};

class TSynHeaderFooter
{
public:
    QFont Font{"Arial", 10};
    void Add(const AnsiString &text, Qt::Alignment alignment, int lineNumber);
    void Clear() { Lines.clear(); }
    int Count() const { return int(Lines.size()); }
    const TSynHeaderFooterLine &Item(int i) const { return Lines.at(size_t(i)); }
    // The lines in line-number order.
    std::vector<TSynHeaderFooterLine> Ordered() const;

private:
    std::vector<TSynHeaderFooterLine> Lines;
};

// Margins in millimetres. Header: from the paper's top edge to the bottom of the header lines;
// Footer: from the paper's bottom edge to the top of the footer lines.
struct TSynPrintMargins
{
    double Left = 15, Right = 10, Top = 16, Bottom = 16, Header = 15, Footer = 16;
    double LeftHFTextIndent = 2, RightHFTextIndent = 2;
    bool MirrorMargins = false;
};

// What was printed on one page, for the caller and for tests.
struct TSynPrintedPage
{
    int Number = 0;                    // 1-based
    int FirstLine = 0, LastLine = 0;   // 1-based document lines (a wrapped line may span two pages)
    std::vector<AnsiString> Header, Footer;   // the lines with their macros expanded
};

class TSynEditPrint
{
public:
    TSynEditPrint();

    std::vector<AnsiString> Lines;     // what to print
    QFont Font;
    AnsiString Title;                  // the text of $TITLE$
    AnsiString DocTitle;               // the print job's name
    TSynCustomHighlighter *Highlighter = nullptr;
    bool Highlight = true;
    bool LineNumbers = true;
    bool Wrap = true;
    bool Colors = true;
    int Copies = 1;
    TColor BackgroundColor = clWhite;
    TSynPrintMargins Margins;
    TSynHeaderFooter Header, Footer;

    // Pages the lines take on this printer.
    int PageCount(QPrinter &printer) const;

    // Prints every page; false when the printer could not be started, a page could not be begun
    // or the job did not finish (nothing is then reported as printed).
    bool Print(QPrinter &printer);
    const std::vector<TSynPrintedPage> &PrintedPages() const { return Pages; }
    AnsiString ErrorText() const { return Error; }

    // The 1-based line being printed.
    std::function<void(int line)> OnPrintLine;
    std::function<void(TSynPrintStatus status, int pageNumber)> OnPrintStatus;

    // The header or footer text with its macros replaced.
    AnsiString ExpandMacros(const AnsiString &text, int pageNumber, int pageCount) const;

private:
    struct Row
    {
        int Line = 0;          // 0-based index into Lines
        int Start = 0;         // first character of the row in the line
        int Length = 0;
        bool First = true;     // the line's first row (gets the line number)
    };
    struct Layout;
    Layout MakeLayout(QPrinter &printer) const;
    std::vector<Row> MakeRows(int charsPerRow) const;
    void PrintPage(QPainter &painter, const Layout &layout, int page);
    void PrintHeaderFooter(QPainter &painter, const Layout &layout, const TSynHeaderFooter &part, bool header,
                           int page, std::vector<AnsiString> &printed) const;
    void PrintRow(QPainter &painter, const Layout &layout, const Row &row, int y);
    void PrintHighlighted(QPainter &painter, const Layout &layout, const Row &row, int x, int y);

    std::vector<TSynPrintedPage> Pages;
    std::vector<int> LineRanges;   // highlighter range at the start of each line
    AnsiString Error;
};
