// The five document kinds and their files: kind from a file name, the byte formats of scripts,
// texts and tables, the table reader and an atomic file writer. No windows here: the main window's
// save and open routines call these and show the status texts, progress and messages.
#pragma once

#include "platform/Files.h"
#include "platform/Text.h"

#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// Kind strings, compared exactly.
inline constexpr char KAS_Document[] = "KAS_Document";
inline constexpr char TXT_Document[] = "TXT_Document";
inline constexpr char CMD_Document[] = "CMD_Document";
inline constexpr char KAO_Document[] = "KAO_Document";
inline constexpr char KAT_Document[] = "KAT_Document";

// The in-memory line break inside a table cell; written to the file as a lone LF.
inline constexpr char CellLineBreak = '\x1D';

// ".KAS", ".LOG", ".TXT", ".KAO", ".KAT", ".CMD" (upper-cased extension of the name part);
// "" when the extension has no kind (the file is then not opened).
AnsiString DocumentKindFromFileName(const AnsiString &path, bool openTxtAsCmd);

bool IsTextKind(const AnsiString &kind);    // KAS, TXT: shown in the text pane
bool IsTableKind(const AnsiString &kind);   // CMD, KAO, KAT: shown in the grid

// Columns a table of this kind always has: 11 for KAO, 4 for KAT; 0 when the file decides (CMD)
// and for the text kinds.
int FixedColCountOfKind(const AnsiString &kind);

// A table as the grid takes it: RowCount * ColCount cells, row-major (cell (c, r) at r * ColCount + c).
struct TableData
{
    int ColCount = 0;
    int RowCount = 0;
    std::vector<AnsiString> Cells;

    const AnsiString &Cell(int col, int row) const { return Cells[size_t(row) * size_t(ColCount) + size_t(col)]; }
    bool operator==(const TableData &) const = default;
};

// The table as the opener prepares it before reading: one empty row; 1 column for CMD, 11 KAO, 4 KAT.
TableData PreparedTable(const AnsiString &kind);

// Hooks for the status bar while converting: a status text, one step of the progress bar, and the
// bar's position (the place of each CR removed from a script; called once per CR, so a caller that
// repaints should do so only now and then). Any of them may be empty.
struct FileProgress
{
    std::function<void(const AnsiString &)> Status;
    std::function<void()> Step;
    std::function<void(long long)> Position;
};

// Progress-bar maximum while saving: a script of this text length, a table of rows * cols cells.
long long ScriptSaveProgressMax(size_t textLength);
long long TableSaveProgressMax(int rowCount, int colCount);

// Script text (the memo's lines, each followed by CR LF) -> file bytes: TAB -> blank, CR removed,
// bytes 0x00-0x20 cut at the end, LF CR appended. Emits the three conversion statuses and four steps.
AnsiString ScriptTextToFileBytes(std::string_view text, const FileProgress *progress = nullptr);
// The same for a text given in pieces that follow one another (a pane's buffer and the line break
// after its last line), converted straight into the file bytes without joining them first.
AnsiString ScriptTextToFileBytes(std::span<const std::string_view> pieces, const FileProgress *progress = nullptr);
// The same bytes handed to the sink in parts of at most chunkSize bytes as they are made, so a
// big script is written from a small buffer (the progress is reported as above).
inline constexpr size_t ScriptFileChunkSize = 1024 * 1024;
void ProduceScriptFileBytes(std::span<const std::string_view> pieces, const FileContentSink &sink,
                            const FileProgress *progress = nullptr, size_t chunkSize = ScriptFileChunkSize);
// Plain text -> file bytes: unchanged.
AnsiString PlainTextToFileBytes(AnsiString text);
// Bytes of a text-pane document by its kind (script conversion for KAS, unchanged for TXT).
AnsiString TextDocumentToFileBytes(const AnsiString &kind, AnsiString text, const FileProgress *progress = nullptr);

// Cells -> file bytes: cells of a row joined by TAB, CR LF after every row, 0x1D written as LF.
// Emits "Processing line #n..." per row, one step per cell, then "Converting EOL ..." and a step.
AnsiString TableToFileBytes(std::span<const AnsiString> cells, int colCount, int rowCount,
                            const FileProgress *progress = nullptr);
AnsiString TableToFileBytes(const TableData &table, const FileProgress *progress = nullptr);

// What a table file held that its table cannot: cells with text beyond the 11 columns of a KAO or
// the 4 of a KAT, and bytes 0x00-0x14 other than TAB, LF and the CR of a CR LF.
struct TableLoss
{
    long long ExtraCells = 0;
    int FirstRowWithExtraCells = 0;   // 1-based; 0 when none
    long long DroppedBytes = 0;
    bool Any() const { return ExtraCells > 0 || DroppedBytes > 0; }
    bool operator==(const TableLoss &) const = default;
};

// Table text split into cells and rows: the one rule of table files, which table text on the
// clipboard follows too. TAB ends a cell; LF after CR ends a row; any other LF (the first byte
// included) is an in-cell line break (0x1D); every byte from 0x15 up is cell text; the other bytes
// 0x00-0x14 are left out, and dropped() is told of each but the CR of a CR LF. A last line without
// CR LF is the last row when it holds anything (a TAB or cell text).
// cellEnd(cell) is called at each TAB, rowEnd(cell) at each row end with the row's last cell; they
// may move from the cell. A false from rowEnd stops the split, which then gives false.
inline constexpr unsigned char FirstCellTextByte = 0x15;
template <class CellEnd, class RowEnd, class Dropped>
bool SplitTableText(std::string_view bytes, CellEnd &&cellEnd, RowEnd &&rowEnd, Dropped &&dropped)
{
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
    const size_t n = bytes.size();
    AnsiString cell;
    bool lineHasTab = false;
    size_t i = 0;
    while (i < n) {
        size_t j = i;
        while (j < n && b[j] >= FirstCellTextByte) ++j;   // a run of text bytes goes in at once
        if (j > i) {
            cell.append(bytes.data() + i, j - i);
            i = j;
            continue;
        }
        if (b[i] == '\t') {
            cellEnd(cell);
            cell.clear();
            lineHasTab = true;
        } else if (b[i] == '\n') {
            if (i > 0 && b[i - 1] == '\r') {
                if (!rowEnd(cell)) return false;
                cell.clear();
                lineHasTab = false;
            } else {
                cell += CellLineBreak;
            }
        } else if (b[i] != '\r' || i + 1 == n || b[i + 1] != '\n') {
            dropped();
        }
        ++i;
    }
    const bool lastLineHoldsAnything = lineHasTab || !cell.empty();
    return !lastLineHoldsAnything || rowEnd(cell);
}

// File bytes -> cells of a table of this kind, split by SplitTableText; at least one row. Columns: widest row for CMD, 11 KAO,
// 4 KAT (extra cells dropped, missing ones empty). What was dropped goes to loss. Empty result
// when the table would not fit in memory (more than MaxTableCells cells, as a crafted file of
// ragged rows can ask for, or more than memory holds).
inline constexpr long long MaxTableCells = 64LL * 1024 * 1024;
std::optional<TableData> TableFromFileBytes(std::string_view bytes, const AnsiString &kind, TableLoss *loss = nullptr);

// Reading a table file. The file is opened for reading only, so a read-only table loads.
enum class TableReadStatus { Ok, CannotOpen, ReadFailed };
struct TableReadResult
{
    TableReadStatus Status = TableReadStatus::Ok;
    TableData Table;          // the prepared empty table after a failure
    TableLoss Loss;           // what the file held that the table does not
    AnsiString ErrorText;     // the system's reason, for logs
};
// Emits "Opening file ..." and, once the bytes are in, "Reading file ...". The file is read in
// pieces, split into cells as they come.
TableReadResult ReadTableFile(const AnsiString &path, const AnsiString &kind, const FileProgress *progress = nullptr);
// For tests: the size of the pieces a table file is read in (0: the usual size).
inline constexpr size_t DefaultTablePieceSize = size_t(4) * 1024 * 1024;
void SetTableFilePieceSize(size_t bytes);

// Writes a document file by the rule of WriteFileSafely (platform/Files.h): atomically, replaced
// whole through a temporary file, where the folder allows it; in place where the folder refuses
// new files or the file has other names; a read-only file counts as not opened.
FileWriteResult WriteFileAtomically(const AnsiString &path, std::string_view bytes);
FileWriteResult WriteFileAtomically(const AnsiString &path, const FileContentProducer &content);

// Message texts of the save and open routines.
AnsiString SaveOpenErrorMessage(const AnsiString &path);                   // "Error at opening the file "..."!"
// "Error writing to the file (toWrite/written); file: "Main", line: n." with the writer's line of the kind.
AnsiString SaveWriteErrorMessage(const AnsiString &kind, long long toWrite, long long written);
AnsiString TableOpenErrorMessage(const AnsiString &path);                  // two blanks after "file"
AnsiString TableReadErrorMessage(const AnsiString &path);                  // "File: "..."." CR LF "Reading failed."
// Tells what opening the table file dropped (loss.Any() must hold).
AnsiString TableLossMessage(const AnsiString &path, const AnsiString &kind, const TableLoss &loss);

// Removes every run of blanks (0x20) directly before a CR or LF, in one pass. TABs stay; blanks at
// the very end of a text without a final line break stay.
AnsiString RemoveBlanksBeforeLineEnds(std::string_view text);
// The same on the bytes of a text file before they become a pane's lines, in place: the last line
// counts as ended too, and when it was nothing but blanks it stays as one empty line.
void RemoveBlanksBeforeLineEndsInPlace(AnsiString &bytes);
