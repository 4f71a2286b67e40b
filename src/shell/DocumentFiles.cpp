#include "shell/DocumentFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cstring>
#include <new>
#include <cstdint>
#include <memory>
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

size_t &TablePieceSize()
{
    static size_t size = DefaultTablePieceSize;
    return size;
}

// A table takes at least the memory of its file's bytes: a file bigger than memory is refused
// before it is read through.
bool FitsInMemory(qint64 size)
{
    if (size <= 0) return true;
    if (quint64(size) >= quint64(AnsiString().max_size())) return false;
    const std::unique_ptr<char[]> room(new (std::nothrow) char[size_t(size) + 1]);   // never touched
    return room != nullptr;
}

// Reads the open file from its start in pieces and hands on each run of whole rows, up to and
// including its last CR LF; the bytes after it go with the next piece, and the last run is what
// follows the file's last CR LF (perhaps nothing). So the split of each run is the split of the
// whole file there, and no buffer of the file's size is needed. A file that grows meanwhile is
// read to its end. rows() answering false stops the reading. Empty when every byte was read (or
// the reading was stopped), else the reason.
template <class Rows> AnsiString ReadInRows(QFile &file, AnsiString &buffer, Rows &&rows)
{
    if (file.pos() != 0 && !file.seek(0)) return FromQ(file.errorString());
    const size_t piece = std::max<size_t>(TablePieceSize(), 1);
    try {
        size_t held = 0;
        for (;;) {
            if (buffer.size() < held + piece) buffer.resize(held + piece);   // a row longer than a piece
            const qint64 read = file.read(buffer.data() + held, qint64(piece));
            if (read < 0) return FromQ(file.errorString());
            if (read == 0) break;
            // Bytes held before held no CR LF, but the first new byte may end one.
            const size_t from = held > 0 ? held - 1 : 0;
            held += size_t(read);
            const size_t last = std::string_view(buffer.data() + from, held - from).rfind("\r\n");
            if (last == std::string_view::npos) continue;
            const size_t end = from + last + 2;
            if (!rows(std::string_view(buffer.data(), end))) return AnsiString();
            std::memmove(buffer.data(), buffer.data() + end, held - end);
            held -= end;
        }
        if (!rows(std::string_view(buffer.data(), held))) return AnsiString();
    } catch (const std::bad_alloc &) {   // a row bigger than memory is refused, not a crash
        AnsiString().swap(buffer);
        return FileBeyondMemoryReason();
    }
    return file.error() == QFileDevice::NoError ? AnsiString() : FromQ(file.errorString());
}

// Collects the cells of a table file row by row, and what the table cannot hold.
class TableBuilder
{
public:
    explicit TableBuilder(int fixedColCount) : FixedCols(fixedColCount) {}

    TableLoss Loss;

    // Counts what a run of whole rows gives (the last run of a file may end without CR LF).
    void Count(std::string_view bytes)
    {
        // Counted with the library's searches, which go through many bytes at a time; the TABs
        // only where the file decides the columns.
        for (size_t at = bytes.find("\r\n"); at != std::string_view::npos; at = bytes.find("\r\n", at + 2))
            ++CountedRows;
        if (FixedCols == 0) CountedTabs += size_t(std::count(bytes.begin(), bytes.end(), '\t'));
    }

    // Room for the counted cells and rows, so that growing never moves them.
    void Reserve()
    {
        const size_t cells = FixedCols > 0 ? CountedRows * size_t(FixedCols) : CountedTabs + CountedRows;
        Cells.reserve(std::min(cells, size_t(MaxTableCells)));
        PreferHugePages(Cells);
        RowStarts.reserve(std::min(CountedRows, size_t(MaxTableCells)) + 1);
    }

    // Splits a run of whole rows, or the last run of the file, into the table. False when the
    // table has grown beyond what can be held.
    bool Split(std::string_view bytes)
    {
        return SplitTableText(
            bytes, [this](AnsiString &cell) { StoreCell(cell); }, [this](AnsiString &cell) { return EndRow(cell); },
            [this] { ++Loss.DroppedBytes; });
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
    size_t CountedRows = 0;
    size_t CountedTabs = 0;
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

// The script format in one pass over the pieces: every TAB becomes a blank and every CR goes (its
// position is reported); all other bytes stay. Blanks before a line end are kept: the next
// opening takes them off. The runs between TABs and CRs go over with one copy each. Every byte
// made is counted, also those of the end of the text that are cut and only counted, so the CR
// positions reported are those of the whole text.
class ScriptConversion
{
public:
    explicit ScriptConversion(const FileProgress *progress)
        : ReportPosition(progress && progress->Position ? &progress->Position : nullptr) {}

    // Converts the piece onto the end of out; without out its bytes are only counted.
    void Convert(std::string_view piece, AnsiString *out)
    {
        const char *const data = piece.data();
        const size_t n = piece.size();
        size_t nextTab = NextOf('\t', piece, 0), nextCr = NextOf('\r', piece, 0);
        size_t i = 0;
        while (i < n) {
            const size_t stop = std::min(nextTab, nextCr);
            if (out) out->append(data + i, stop - i);
            Made += stop - i;
            if (stop == n) break;
            if (stop == nextTab) {
                if (out) *out += ' ';
                ++Made;
                nextTab = NextOf('\t', piece, stop + 1);
            } else {
                if (ReportPosition) (*ReportPosition)((long long)Made);
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

    const std::function<void(long long)> *ReportPosition;
    size_t Made = 0;
};

// How much of the text the file keeps: up to its last byte above 0x20. Such bytes come through the
// conversion unchanged, and every byte after the last one is cut at the end or goes earlier (a TAB
// becomes a blank, a CR nothing), so the file holds the conversion of the text up to there.
size_t KeptLength(std::span<const std::string_view> pieces)
{
    size_t end = 0;
    for (const std::string_view piece : pieces) end += piece.size();
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
        for (size_t i = piece->size(); i > 0; --i, --end)
            if ((unsigned char)(*piece)[i - 1] > 0x20) return end;
    }
    return 0;
}

// Gathers bytes into parts of at most Size bytes and hands each full part to the sink, so the
// parts reuse one small buffer.
class ChunkedOutput
{
public:
    ChunkedOutput(const FileContentSink &sink, size_t size, size_t expected) : Sink(sink), Size(std::max<size_t>(size, 1))
    {
        Bytes.reserve(std::min(Size, expected));
    }

    AnsiString &Buffer() { return Bytes; }
    size_t Room() const { return Size - Bytes.size(); }

    void Append(std::string_view bytes)
    {
        while (!bytes.empty()) {
            const size_t part = std::min(bytes.size(), Room());
            Bytes.append(bytes.substr(0, part));
            bytes.remove_prefix(part);
            FlushWhenFull();
        }
    }

    void FlushWhenFull()
    {
        if (Room() == 0) Flush();
    }

    void Flush()
    {
        if (!Bytes.empty()) Sink(Bytes);
        Bytes.clear();
    }

private:
    const FileContentSink &Sink;
    const size_t Size;
    AnsiString Bytes;
};

} // namespace

void ProduceScriptFileBytes(std::span<const std::string_view> pieces, const FileContentSink &sink,
                            const FileProgress *progress, size_t chunkSize)
{
    ReportStatus(progress, "Converting text in KAS format (deleting \"0x09\")...");
    ReportStep(progress);

    ReportStatus(progress, "Converting text in KAS format (deleting \"0x0D\")...");
    size_t kept = KeptLength(pieces);   // the bytes of the text still to go into the file
    ChunkedOutput out(sink, chunkSize, kept + 2);
    ScriptConversion conversion(progress);
    for (std::string_view piece : pieces) {
        while (!piece.empty()) {
            // A slice makes at most its own length: it always fits into the room left.
            const size_t slice = kept > 0 ? std::min({piece.size(), kept, out.Room()}) : piece.size();
            conversion.Convert(piece.substr(0, slice), kept > 0 ? &out.Buffer() : nullptr);
            kept -= std::min(kept, slice);
            piece.remove_prefix(slice);
            out.FlushWhenFull();
        }
    }
    ReportStep(progress);

    // The bytes 0x00-0x20 at the end were left out above.
    ReportStatus(progress, "Converting text in KAS format (finalisation) ...");
    ReportStep(progress);

    out.Append("\n\r");
    out.Flush();
    ReportStep(progress);
}

AnsiString ScriptTextToFileBytes(std::span<const std::string_view> pieces, const FileProgress *progress)
{
    AnsiString bytes;
    bytes.reserve(KeptLength(pieces) + 2);
    PreferHugePages(bytes.data(), bytes.capacity());
    ProduceScriptFileBytes(pieces, [&bytes](std::string_view part) { bytes.append(part); }, progress);
    return bytes;
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
    builder.Count(bytes);
    builder.Reserve();
    if (!builder.Split(bytes)) return std::nullopt;
    TableData table = builder.Finish();
    if (loss) *loss = builder.Loss;
    return table;
}

AnsiString TooManyCellsReason() { return "The table has more than " + IntToStr(MaxTableCells) + " cells."; }

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
    // Read twice, a piece at a time: first counted, for room that never moves, then split. What
    // cannot be read again (a pipe) is split at once, into room that grows.
    TableBuilder builder(FixedColCountOfKind(kind));
    AnsiString buffer;
    const auto count = [&builder](std::string_view rows) {
        builder.Count(rows);
        return true;
    };
    if (!FitsInMemory(file.size())) result.ErrorText = FileBeyondMemoryReason();
    else if (!file.isSequential()) result.ErrorText = ReadInRows(file, buffer, count);
    if (!result.ErrorText.empty()) {
        result.Status = TableReadStatus::ReadFailed;
        result.Table = PreparedTable(kind);
        return result;
    }

    ReportStatus(progress, "Reading file ...");
    bool whole = true;
    try {
        builder.Reserve();
        result.ErrorText = ReadInRows(file, buffer, [&builder, &whole](std::string_view rows) {
            return whole = builder.Split(rows);
        });
        if (whole && result.ErrorText.empty()) result.Table = builder.Finish();
    } catch (const std::bad_alloc &) {   // a table too big for this machine is refused, not a crash
        whole = false;
    }
    file.close();
    if (!whole && result.ErrorText.empty()) result.ErrorText = TooManyCellsReason();
    if (!result.ErrorText.empty()) {
        result.Status = TableReadStatus::ReadFailed;
        result.Table = PreparedTable(kind);
        return result;
    }
    result.Loss = builder.Loss;
    return result;
}

void SetTableFilePieceSize(size_t bytes) { TablePieceSize() = bytes > 0 ? bytes : DefaultTablePieceSize; }

FileWriteResult WriteFileAtomically(const AnsiString &path, std::string_view bytes)
{
    return WriteFileSafely(path, bytes);
}

FileWriteResult WriteFileAtomically(const AnsiString &path, const FileContentProducer &content)
{
    return WriteFileSafely(path, content);
}

AnsiString SaveOpenErrorMessage(const AnsiString &path) { return "Error at opening the file \"" + PathInMessage(path) + "\"!"; }

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

AnsiString TableOpenErrorMessage(const AnsiString &path) { return "Error at opening the file  \"" + PathInMessage(path) + "\"!"; }

AnsiString TableReadErrorMessage(const AnsiString &path) { return "File: \"" + PathInMessage(path) + "\".\r\nReading failed."; }

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
    return "Document: \"" + PathInMessage(path) + "\".\r\nThe file holds more than the table keeps: " + what +
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
