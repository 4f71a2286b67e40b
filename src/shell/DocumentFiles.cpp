#include "shell/DocumentFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cstring>
#include <new>
#include <cstdint>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

void ReportStatus(const FileProgress *progress, const AnsiString &text)
{
    if (progress && progress->Status) progress->Status(text);
}

void ReportStep(const FileProgress *progress)
{
    if (progress && progress->Step) progress->Step();
}

// The cells of a big table, or the bytes of a big script, lie in tens of megabytes of fresh
// memory, and on many machines a fault for every small page costs more than filling it: the room
// is asked for in huge pages where the system gives them on request.
void PreferHugePages(const void *room, size_t size)
{
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t Huge = uintptr_t(2) * 1024 * 1024;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(room) + Huge - 1) & ~(Huge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(room) + size) & ~(Huge - 1);
    // Only advice: where it is refused the pages are small, as without it.
    if (end > begin) (void)::madvise(reinterpret_cast<void *>(begin), size_t(end - begin), MADV_HUGEPAGE);
#else
    (void)room;
    (void)size;
#endif
}

template <class T> void PreferHugePages(const std::vector<T> &room)
{
    PreferHugePages(room.data(), room.capacity() * sizeof(T));
}

// The bytes of an open file, into room asked for in huge pages: tens of megabytes of a big table
// read into small fresh pages cost more in page faults than the reading and splitting together,
// and more per megabyte the bigger the file. A file that grows meanwhile is read to its end.
// Empty when every byte was read, else the reason.
AnsiString ReadWholeOpenFile(QFile &file, AnsiString &bytes)
{
    const AnsiString tooBig = FileBeyondMemoryReason();
    try {
        const size_t size = size_t(std::max<qint64>(file.size(), 0));
        if (size >= bytes.max_size()) return tooBig;
        bytes.reserve(size + 1);
        PreferHugePages(bytes.data(), bytes.capacity());
        bytes.resize(size);
        const qint64 read = file.read(bytes.data(), qint64(size));
        if (read < 0) return FromQ(file.errorString());
        bytes.resize(size_t(read));
        const QByteArray rest = file.readAll();
        bytes.append(rest.constData(), size_t(rest.size()));
    } catch (const std::bad_alloc &) {   // a file bigger than memory is refused, not a crash
        AnsiString().swap(bytes);
        return tooBig;
    }
    return file.error() == QFileDevice::NoError ? AnsiString() : FromQ(file.errorString());
}

// Collects the cells of a table file row by row, and what the table cannot hold.
class TableBuilder
{
public:
    explicit TableBuilder(int fixedColCount) : FixedCols(fixedColCount) {}

    TableLoss Loss;

    // Room for the cells and rows the bytes can give, so that growing never moves them.
    void Reserve(std::string_view bytes)
    {
        // Counted with the library's searches, which go through many bytes at a time; the TABs
        // only where the file decides the columns.
        size_t rows = 0;
        for (size_t at = bytes.find("\r\n"); at != std::string_view::npos; at = bytes.find("\r\n", at + 2)) ++rows;
        const size_t cells =
            FixedCols > 0 ? rows * size_t(FixedCols) : size_t(std::count(bytes.begin(), bytes.end(), '\t')) + rows;
        Cells.reserve(std::min(cells, size_t(MaxTableCells)));
        PreferHugePages(Cells);
        RowStarts.reserve(std::min(rows, size_t(MaxTableCells)) + 1);
    }

    void StoreCell(AnsiString &cell)
    {
        if (Cells.size() >= size_t(MaxTableCells)) {
            Overflow = true;
        } else if (FixedCols == 0 || Column < FixedCols) {
            Cells.emplace_back(cell);
        } else if (!cell.empty()) {   // an empty cell beyond the columns holds nothing to lose
            if (Loss.ExtraCells++ == 0) Loss.FirstRowWithExtraCells = int(RowStarts.size());
        }
        cell.clear();
        ++Column;
    }

    // False when the table has grown beyond what can be held.
    bool EndRow(AnsiString &cell)
    {
        StoreCell(cell);
        if (Overflow) return false;
        if (FixedCols > 0) {
            Cells.resize(RowStarts.back() + size_t(FixedCols));
        } else {
            const int cellsInRow = int(Column);   // cells of this row as the file gives them
            Widest = std::max(Widest, cellsInRow);
            if (FirstRowCells < 0) FirstRowCells = cellsInRow;
            else if (cellsInRow != FirstRowCells) Ragged = true;
        }
        Column = 0;
        RowStarts.push_back(Cells.size());
        const long long rows = (long long)RowStarts.size() - 1;
        return rows * (long long)ColCount() <= MaxTableCells;
    }

    TableData Finish()
    {
        TableData table;
        table.ColCount = ColCount();
        table.RowCount = int(RowStarts.size()) - 1;
        if (table.RowCount == 0) {
            table.RowCount = 1;
            table.Cells.assign(size_t(table.ColCount), AnsiString());
            return table;
        }
        if (!Ragged) {
            table.Cells = std::move(Cells);
            return table;
        }
        table.Cells.reserve(size_t(table.RowCount) * size_t(table.ColCount));
        PreferHugePages(table.Cells);
        table.Cells.resize(size_t(table.RowCount) * size_t(table.ColCount));
        for (int r = 0; r < table.RowCount; ++r) {
            const size_t from = RowStarts[size_t(r)];
            const size_t count = RowStarts[size_t(r) + 1] - from;
            std::move(Cells.begin() + std::ptrdiff_t(from), Cells.begin() + std::ptrdiff_t(from + count),
                      table.Cells.begin() + std::ptrdiff_t(size_t(r) * size_t(table.ColCount)));
        }
        return table;
    }

private:
    int ColCount() const { return FixedCols > 0 ? FixedCols : Widest; }

    const int FixedCols;
    long long Column = 0;
    bool Overflow = false;      // a row has more cells than can be held
    int Widest = 1;             // cells of the widest row so far
    int FirstRowCells = -1;
    bool Ragged = false;        // rows of different widths: cells must be spread out at the end
    std::vector<AnsiString> Cells;
    std::vector<size_t> RowStarts{0};
};

} // namespace

AnsiString DocumentKindFromFileName(const AnsiString &path, bool openTxtAsCmd)
{
    const AnsiString ext = AnsiUpperCase(ExtractFileExt(path));
    if (ext == ".KAS") return KAS_Document;
    if (ext == ".LOG") return TXT_Document;
    if (ext == ".TXT") return openTxtAsCmd ? CMD_Document : TXT_Document;
    if (ext == ".KAO") return KAO_Document;
    if (ext == ".KAT") return KAT_Document;
    if (ext == ".CMD") return CMD_Document;
    return AnsiString();
}

bool IsTextKind(const AnsiString &kind) { return kind == KAS_Document || kind == TXT_Document; }

bool IsTableKind(const AnsiString &kind)
{
    return kind == CMD_Document || kind == KAO_Document || kind == KAT_Document;
}

int FixedColCountOfKind(const AnsiString &kind)
{
    if (kind == KAO_Document) return 11;
    if (kind == KAT_Document) return 4;
    return 0;
}

TableData PreparedTable(const AnsiString &kind)
{
    TableData table;
    table.ColCount = std::max(1, FixedColCountOfKind(kind));
    table.RowCount = 1;
    table.Cells.assign(size_t(table.ColCount), AnsiString());
    return table;
}

long long ScriptSaveProgressMax(size_t textLength) { return (long long)textLength + 7; }

long long TableSaveProgressMax(int rowCount, int colCount) { return (long long)rowCount * colCount + 2; }

namespace {

// The script format in one pass from the pieces into the file bytes: every TAB becomes a blank and
// every CR goes (its position is reported); all other bytes stay. Blanks before a line end are
// kept: the next opening takes them off. The runs between TABs and CRs go over with one copy each,
// so the text is read once and the bytes are written once.
class ScriptConversion
{
public:
    ScriptConversion(AnsiString &out, const FileProgress *progress)
        : Out(out), ReportPosition(progress && progress->Position ? &progress->Position : nullptr) {}

    void Convert(std::string_view piece)
    {
        const char *const data = piece.data();
        const size_t n = piece.size();
        size_t nextTab = NextOf('\t', piece, 0), nextCr = NextOf('\r', piece, 0);
        size_t i = 0;
        while (i < n) {
            const size_t stop = std::min(nextTab, nextCr);
            Out.append(data + i, stop - i);
            if (stop == n) break;
            if (stop == nextTab) {
                Out += ' ';
                nextTab = NextOf('\t', piece, stop + 1);
            } else {
                if (ReportPosition) (*ReportPosition)((long long)Out.size());
                nextCr = NextOf('\r', piece, stop + 1);
            }
            i = stop + 1;
        }
    }

private:
    static size_t NextOf(char c, std::string_view piece, size_t from)
    {
        const size_t at = piece.find(c, from);
        return at == std::string_view::npos ? piece.size() : at;
    }

    AnsiString &Out;
    const std::function<void(long long)> *ReportPosition;
};

} // namespace

AnsiString ScriptTextToFileBytes(std::span<const std::string_view> pieces, const FileProgress *progress)
{
    ReportStatus(progress, "Converting text in KAS format (deleting \"0x09\")...");
    ReportStep(progress);

    ReportStatus(progress, "Converting text in KAS format (deleting \"0x0D\")...");
    size_t total = 0;
    for (const std::string_view piece : pieces) total += piece.size();
    AnsiString text;
    text.reserve(total + 2);   // a CR taken out only shortens the text; LF CR goes on at the end
    PreferHugePages(text.data(), text.capacity());
    ScriptConversion conversion(text, progress);
    for (const std::string_view piece : pieces) conversion.Convert(piece);
    ReportStep(progress);

    ReportStatus(progress, "Converting text in KAS format (finalisation) ...");
    size_t n = text.size();
    while (n > 0 && (unsigned char)text[n - 1] <= 0x20) --n;
    text.resize(n);
    ReportStep(progress);

    text += "\n\r";
    ReportStep(progress);
    return text;
}

AnsiString ScriptTextToFileBytes(std::string_view text, const FileProgress *progress)
{
    return ScriptTextToFileBytes(std::span<const std::string_view>(&text, 1), progress);
}

AnsiString PlainTextToFileBytes(AnsiString text) { return text; }

AnsiString TextDocumentToFileBytes(const AnsiString &kind, AnsiString text, const FileProgress *progress)
{
    if (kind == KAS_Document) return ScriptTextToFileBytes(std::string_view(text), progress);
    return PlainTextToFileBytes(std::move(text));
}

AnsiString TableToFileBytes(std::span<const AnsiString> cells, int colCount, int rowCount,
                            const FileProgress *progress)
{
    colCount = std::max(colCount, 0);
    rowCount = std::max(rowCount, 0);
    const size_t cellCount = std::min(cells.size(), size_t(rowCount) * size_t(colCount));
    size_t total = size_t(rowCount) * (size_t(std::max(colCount - 1, 0)) + 2);
    for (size_t i = 0; i < cellCount; ++i) total += cells[i].size();

    const bool reportRows = progress && progress->Status;
    const bool reportCells = progress && progress->Step;
    AnsiString bytes;
    bytes.reserve(total);
    size_t i = 0;
    for (int r = 0; r < rowCount; ++r) {
        if (reportRows) progress->Status("Processing line #" + IntToStr(r + 1) + "...");
        for (int c = 0; c < colCount; ++c, ++i) {
            if (c > 0) bytes += '\t';
            if (i < cellCount) bytes += cells[i];   // cells missing from a short list are empty
            if (reportCells) progress->Step();
        }
        bytes += "\r\n";
    }

    ReportStatus(progress, "Converting EOL ...");
    std::replace(bytes.begin(), bytes.end(), CellLineBreak, '\n');
    ReportStep(progress);
    return bytes;
}

AnsiString TableToFileBytes(const TableData &table, const FileProgress *progress)
{
    return TableToFileBytes(table.Cells, table.ColCount, table.RowCount, progress);
}

namespace {

std::optional<TableData> ParseTable(std::string_view bytes, const AnsiString &kind, TableLoss *loss)
{
    TableBuilder builder(FixedColCountOfKind(kind));
    builder.Reserve(bytes);
    const bool whole = SplitTableText(
        bytes, [&builder](AnsiString &cell) { builder.StoreCell(cell); },
        [&builder](AnsiString &cell) { return builder.EndRow(cell); }, [&builder] { ++builder.Loss.DroppedBytes; });
    if (!whole) return std::nullopt;
    TableData table = builder.Finish();
    if (loss) *loss = builder.Loss;
    return table;
}

} // namespace

std::optional<TableData> TableFromFileBytes(std::string_view bytes, const AnsiString &kind, TableLoss *loss)
{
    try {
        return ParseTable(bytes, kind, loss);
    } catch (const std::bad_alloc &) {   // a table too big for this machine is refused, not a crash
        return std::nullopt;
    }
}

TableReadResult ReadTableFile(const AnsiString &path, const AnsiString &kind, const FileProgress *progress)
{
    TableReadResult result;
    ReportStatus(progress, "Opening file ...");
    QFile file(ToQPath(path));
    if (!file.open(QIODevice::ReadOnly)) {
        result.Status = TableReadStatus::CannotOpen;
        result.ErrorText = FromQ(file.errorString());
        result.Table = PreparedTable(kind);
        return result;
    }
    AnsiString bytes;
    result.ErrorText = ReadWholeOpenFile(file, bytes);
    file.close();
    if (!result.ErrorText.empty()) {
        result.Status = TableReadStatus::ReadFailed;
        result.Table = PreparedTable(kind);
        return result;
    }

    ReportStatus(progress, "Reading file ...");
    std::optional<TableData> table =
        TableFromFileBytes(std::string_view(bytes), kind, &result.Loss);
    if (!table) {
        result.Status = TableReadStatus::ReadFailed;
        result.ErrorText = "The table has more than " + IntToStr(MaxTableCells) + " cells.";
        result.Table = PreparedTable(kind);
        return result;
    }
    result.Table = std::move(*table);
    return result;
}

FileWriteResult WriteFileAtomically(const AnsiString &path, std::string_view bytes)
{
    return WriteFileSafely(path, bytes);
}

AnsiString SaveOpenErrorMessage(const AnsiString &path) { return "Error at opening the file \"" + path + "\"!"; }

AnsiString SaveWriteErrorMessage(const AnsiString &kind, long long toWrite, long long written)
{
    int line = 395;
    if (kind == KAS_Document) line = 465;
    else if (kind == CMD_Document) line = 530;
    else if (kind == KAO_Document) line = 591;
    else if (kind == KAT_Document) line = 652;
    return "Error writing to the file (" + IntToStr(toWrite) + "/" + IntToStr(written) + "); file: \"Main\", line: " +
           IntToStr(line) + ".";
}

AnsiString TableOpenErrorMessage(const AnsiString &path) { return "Error at opening the file  \"" + path + "\"!"; }

AnsiString TableReadErrorMessage(const AnsiString &path) { return "File: \"" + path + "\".\r\nReading failed."; }

AnsiString TableLossMessage(const AnsiString &path, const AnsiString &kind, const TableLoss &loss)
{
    std::vector<AnsiString> parts;
    if (loss.ExtraCells > 0)
        parts.push_back(IntToStr(loss.ExtraCells) + (loss.ExtraCells == 1 ? " cell" : " cells") + " beyond column " +
                        IntToStr(FixedColCountOfKind(kind)) + " (first in row " + IntToStr(loss.FirstRowWithExtraCells) +
                        ")");
    if (loss.DroppedBytes > 0)
        parts.push_back(IntToStr(loss.DroppedBytes) + (loss.DroppedBytes == 1 ? " control byte" : " control bytes") +
                        " that a table cannot hold");
    AnsiString what;
    for (size_t i = 0; i < parts.size(); ++i) what += (i ? " and " : "") + parts[i];
    return "Document: \"" + path + "\".\r\nThe file holds more than the table keeps: " + what +
           " were left out.\r\nSaving the document writes the table without them.";
}

AnsiString RemoveBlanksBeforeLineEnds(std::string_view text)
{
    AnsiString result;
    result.reserve(text.size());
    size_t lineStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        size_t end = i;
        while (end > lineStart && text[end - 1] == ' ') --end;
        result.append(text.data() + lineStart, end - lineStart);
        result += text[i];
        lineStart = i + 1;
    }
    result.append(text.data() + lineStart, text.size() - lineStart);
    return result;
}

void RemoveBlanksBeforeLineEndsInPlace(AnsiString &bytes)
{
    char *const data = bytes.data();
    const size_t n = bytes.size();
    size_t out = 0;         // bytes kept so far
    size_t lineStart = 0;   // in the input
    // Each line is moved only when something before it was removed.
    const auto keepLine = [&](size_t end) {
        size_t stop = end;
        while (stop > lineStart && data[stop - 1] == ' ') --stop;
        if (out != lineStart) std::memmove(data + out, data + lineStart, stop - lineStart);
        out += stop - lineStart;
    };
    for (size_t i = 0; i < n;) {
        const void *brk = std::memchr(data + i, '\n', n - i);
        size_t end = brk ? size_t(static_cast<const char *>(brk) - data) : n;
        if (const void *cr = std::memchr(data + i, '\r', end - i)) end = size_t(static_cast<const char *>(cr) - data);
        if (end == n) break;
        keepLine(end);
        data[out++] = data[end];
        lineStart = i = end + 1;
    }
    if (lineStart < n) {
        const size_t before = out;
        keepLine(n);
        if (out == before) data[out++] = '\n';   // a last line of blanks stays as an empty line
    }
    bytes.resize(out);
}
