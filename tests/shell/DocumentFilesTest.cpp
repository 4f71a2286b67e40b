#include "UnderAddressSanitizer.h"
#include "TestFiles.h"
#include "shell/DocumentFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <random>
#include <thread>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

AnsiString Bytes(const char *s, size_t n) { return AnsiString(s, n); }

QStringList Entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

TableData Table(int cols, int rows, std::vector<AnsiString> cells) { return {cols, rows, std::move(cells)}; }

// Records the progress hooks as one line of events.
struct ProgressLog
{
    std::vector<AnsiString> Events;
    FileProgress Hooks()
    {
        return {[this](const AnsiString &s) { Events.push_back("status:" + s); },
                [this] { Events.push_back("step"); },
                [this](long long p) { Events.push_back("pos:" + IntToStr(p)); }};
    }
};

// As root, file permissions stop nothing; this scope acts as an ordinary user so that they do.
class UnprivilegedScope
{
public:
    UnprivilegedScope()
    {
        if (geteuid() != 0) return;
        Dropped = setegid(65534) == 0 && seteuid(65534) == 0;
    }
    ~UnprivilegedScope()
    {
        if (Dropped) {
            [[maybe_unused]] const int a = seteuid(0);
            [[maybe_unused]] const int b = setegid(0);
        }
    }
    bool Active() const { return Dropped || geteuid() != 0; }

private:
    bool Dropped = false;
};

// A folder an ordinary user can enter (QTemporaryDir makes it private to its owner).
struct OpenTempDir
{
    QTemporaryDir Dir;
    OpenTempDir() { QFile::setPermissions(Dir.path(), QFile::Permissions(0x7755)); }
    QString Path(const char *name) const { return Dir.filePath(name); }
};

TEST(DocumentKind, FromFileNameByUpperCasedExtension)
{
    struct Case { const char *path; bool txtAsCmd; const char *kind; };
    const Case cases[] = {
        {"/d/a.kas", false, KAS_Document},   {"/d/a.KaS", false, KAS_Document},
        {"/d/a.log", true, TXT_Document},    {"/d/a.txt", false, TXT_Document},
        {"/d/a.TXT", true, CMD_Document},    {"/d/a.kao", false, KAO_Document},
        {"/d/a.Kat", false, KAT_Document},   {"/d/a.cmd", false, CMD_Document},
        {"/d/a.b.kas", false, KAS_Document}, {"/d/a.kas.bak", false, ""},
        {"/d/a.doc", false, ""},             {"/d/noext", false, ""},
        {"/d.kas/noext", false, ""},         {"/d/.kas", false, KAS_Document},
        {"", false, ""},                     {"/d/a.ka", false, ""},
    };
    for (const Case &c : cases) EXPECT_EQ(DocumentKindFromFileName(c.path, c.txtAsCmd), c.kind) << c.path;
}

TEST(DocumentKind, PaneAndColumnsOfEachKind)
{
    EXPECT_TRUE(IsTextKind(KAS_Document));
    EXPECT_TRUE(IsTextKind(TXT_Document));
    EXPECT_FALSE(IsTextKind("kas_document"));
    for (const char *k : {CMD_Document, KAO_Document, KAT_Document}) EXPECT_TRUE(IsTableKind(k)) << k;
    EXPECT_FALSE(IsTableKind(KAS_Document));
    EXPECT_EQ(FixedColCountOfKind(KAO_Document), 11);
    EXPECT_EQ(FixedColCountOfKind(KAT_Document), 4);
    EXPECT_EQ(FixedColCountOfKind(CMD_Document), 0);
    EXPECT_EQ(PreparedTable(CMD_Document), Table(1, 1, {""}));
    EXPECT_EQ(PreparedTable(KAT_Document), Table(4, 1, {"", "", "", ""}));
    EXPECT_EQ(PreparedTable(KAO_Document).Cells.size(), 11u);
}

TEST(ScriptFile, TextToBytes)
{
    struct Case { AnsiString text; AnsiString bytes; };
    const Case cases[] = {
        {"a\tb\r\nc   \r\n", "a b\nc\n\r"},                   // seven bytes
        {"", "\n\r"},
        {"\r\n\r\n", "\n\r"},
        {"x\xE9\r\n", "x\xE9\n\r"},                            // bytes above 0x7F are text
        {"x\xA0\r\n", "x\xA0\n\r"},
        {"x\x21\r\n", "x!\n\r"},
        {"a\r\n\r\n\r\n", "a\n\r"},
        {"a\x01\x1F \t\r\n", "a\n\r"},                          // only 0x00-0x20 are cut at the end
        {"\x01 a\r\n", "\x01 a\n\r"},                           // nothing is cut at the start
        {"a\rb\r\n", "ab\n\r"},                                 // a lone CR goes too
        {"a\r\r\nb\r\n", "a\nb\n\r"},
        {"a\n\nb", "a\n\nb\n\r"},
        {Bytes("a\0b\0", 4), Bytes("a\0b\n\r", 5)},
        {"\t\t", "\n\r"},
        {"a \tb", "a  b\n\r"},
    };
    for (const Case &c : cases) EXPECT_EQ(ScriptTextToFileBytes(c.text), c.bytes) << c.text;
    EXPECT_EQ(TextDocumentToFileBytes(KAS_Document, "a\tb\r\n"), "a b\n\r");
}

// Every TAB is written as a blank, at the end of a line too; only the bytes 0x00-0x20 at the end of
// the whole text are cut, so a blank that a TAB became before a line end stays in the file.
TEST(ScriptFile, EveryTabIsWrittenAsABlankAtTheEndOfALineToo)
{
    struct Case { AnsiString text; AnsiString bytes; };
    const Case cases[] = {
        {"x\t\r\ny\r\n", "x \ny\n\r"},
        {"abc \t \t\r\nx\r\n", "abc    \nx\n\r"},
        {"abc\t \r\nx\r\n", "abc  \nx\n\r"},
        {"\t\r\nx\r\n", " \nx\n\r"},
        {"a\tb\t\r\n", "a b\n\r"},                 // at the end of the text: cut
        {"a\t\r\n\t\r\n", "a\n\r"},
        {"abc \r\nx\r\n", "abc \nx\n\r"},
        {"a\t\rb\t\nc\r\n", "a b \nc\n\r"},        // a lone CR goes, the TAB before it stays a blank
        {"a\xA0\t\r\nb\r\n", "a\xA0 \nb\n\r"},
    };
    for (const Case &c : cases) EXPECT_EQ(ScriptTextToFileBytes(c.text), c.bytes) << c.text;
}

// A pane hands its text over in pieces (its buffer, then the final line break): split anywhere,
// even between the CR and LF of a line end or before a TAB, the bytes and the reported CR places
// are those of the whole text.
TEST(ScriptFile, TextInPiecesGivesTheBytesOfTheWholeText)
{
    const AnsiString texts[] = {"a\tb\r\nc   \r\n", "\t\t\r\n", "a\rb\r\r\n\t", "x\xE9 \t\r\n\r\n", "\r", ""};
    for (const AnsiString &text : texts) {
        ProgressLog whole;
        const FileProgress wholeHooks = whole.Hooks();
        const AnsiString expected = ScriptTextToFileBytes(text, &wholeHooks);
        for (size_t cut = 0; cut <= text.size(); ++cut) {
            ProgressLog split;
            const FileProgress splitHooks = split.Hooks();
            const std::string_view view(text);
            const std::string_view pieces[] = {view.substr(0, cut), view.substr(cut)};
            EXPECT_EQ(ScriptTextToFileBytes(pieces, &splitHooks), expected) << text << " cut at " << cut;
            EXPECT_EQ(split.Events, whole.Events) << text << " cut at " << cut;
        }
    }
}

// The bytes of a script made in parts, as a save writes them: the parts, joined, are the bytes
// of the whole conversion, none is longer than the part size, and the progress is the same.
struct ProducedScript
{
    AnsiString Bytes;
    size_t Longest = 0;
    std::vector<AnsiString> Events;
};

ProducedScript ProduceInParts(std::span<const std::string_view> pieces, size_t chunkSize)
{
    ProducedScript made;
    ProgressLog log;
    const FileProgress hooks = log.Hooks();
    ProduceScriptFileBytes(pieces, [&made](std::string_view part) {
        EXPECT_FALSE(part.empty());
        made.Bytes.append(part);
        made.Longest = std::max(made.Longest, part.size());
    }, &hooks, chunkSize);
    made.Events = log.Events;
    return made;
}

// The script rule step by step, as plainly as it reads: TAB -> blank, CRs out, the bytes
// 0x00-0x20 at the end cut, LF CR after.
AnsiString ScriptBytesByTheRule(AnsiString text)
{
    std::replace(text.begin(), text.end(), '\t', ' ');
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    while (!text.empty() && (unsigned char)text.back() <= 0x20) text.pop_back();
    return text + "\n\r";
}

void ExpectSameAsWhole(const AnsiString &text, size_t chunkSize, const std::string &name)
{
    ProgressLog whole;
    const FileProgress wholeHooks = whole.Hooks();
    const AnsiString expected = ScriptTextToFileBytes(text, &wholeHooks);
    EXPECT_TRUE(expected == ScriptBytesByTheRule(text)) << name;
    // As a pane hands its text over: its buffer, then the final line break.
    const std::string_view view(text);
    const size_t split = view.size() >= 2 ? view.size() - 2 : 0;
    const std::string_view pieces[] = {view.substr(0, split), view.substr(split)};
    const ProducedScript made = ProduceInParts(pieces, chunkSize);
    EXPECT_TRUE(made.Bytes == expected) << name << ": " << made.Bytes.size() << " bytes instead of " << expected.size();
    EXPECT_LE(made.Longest, chunkSize) << name;
    EXPECT_EQ(made.Events, whole.Events) << name;
}

// Text of the given length: lines of letters ending in LF only, so that every byte lands in the
// file at its own place, with the given bytes at its end.
AnsiString FilledTo(size_t length, const AnsiString &end)
{
    AnsiString s;
    for (size_t i = 0; s.size() + end.size() < length; ++i) s += (i % 50 == 49) ? '\n' : char('a' + i % 26);
    return s + end;
}

TEST(ScriptFile, BytesMadeInPartsAreTheBytesOfTheWholeText)
{
    const size_t chunk = ScriptFileChunkSize;
    const struct
    {
        const char *Name;
        AnsiString Text;
    } cases[] = {
        {"empty", ""},
        {"one byte", "x"},
        {"a part less one", FilledTo(chunk - 1, "z")},
        {"a part", FilledTo(chunk, "z")},
        {"a part and one", FilledTo(chunk + 1, "z")},
        {"a part and a line break", FilledTo(chunk, "z\r\n")},
        {"CR LF split at the end of a part", FilledTo(chunk + 1, "\r\n")},
        {"CR as the last byte of a part", FilledTo(chunk, "\r") + "next\r\n"},
        {"TAB at a line end at the end of a part", FilledTo(chunk, "\t") + "\r\nnext\r\n"},
        {"TAB at a line end at the end of the text", FilledTo(chunk + 1, "\t\r\n")},
        {"blanks at the end across a part", "x" + AnsiString(chunk + 10, ' ') + "\r\n"},
        {"control bytes only, more than a part", AnsiString(chunk + 3, '\x01') + "\t\r\n"},
        {"CRs removed before the end of a part", AnsiString(chunk / 4, '\r') + FilledTo(chunk, "z\r\n")},
        {"three parts", FilledTo(3 * chunk + 7, "\t\xE9\r\n")},
    };
    for (const auto &c : cases) ExpectSameAsWhole(c.Text, chunk, c.Name);
}

// With parts of a few bytes, every kind of byte meets a part's end somewhere.
TEST(ScriptFile, TinyPartsGiveTheBytesOfTheWholeText)
{
    const AnsiString texts[] = {"a\tb\r\nc   \r\n", "\t\t\r\n", "a\rb\r\r\n\t", "x\xE9 \t\r\n\r\n", "\r", "",
                                "ab\r\ncd\t\r\n\x01 e \r\n  \t\r\n"};
    for (const AnsiString &text : texts)
        for (size_t chunk = 1; chunk <= 9; ++chunk)
            ExpectSameAsWhole(text, chunk, "\"" + text + "\" in parts of " + std::to_string(chunk));
}

TEST(ScriptFile, ConversionReportsItsPhases)
{
    ProgressLog log;
    const FileProgress hooks = log.Hooks();
    EXPECT_EQ(ScriptTextToFileBytes("a\r\nb\r\n", &hooks), "a\nb\n\r");
    const std::vector<AnsiString> expected = {
        "status:Converting text in KAS format (deleting \"0x09\")...", "step",
        "status:Converting text in KAS format (deleting \"0x0D\")...", "pos:1", "pos:3", "step",
        "status:Converting text in KAS format (finalisation) ...", "step", "step"};
    EXPECT_EQ(log.Events, expected);
    EXPECT_EQ(ScriptSaveProgressMax(6), 13);
}

TEST(TextFile, PlainTextIsWrittenAsItIs)
{
    const AnsiString text = "a\t \r\nb\r\x01\xFF  \r\n";
    EXPECT_EQ(PlainTextToFileBytes(text), text);
    EXPECT_EQ(TextDocumentToFileBytes(TXT_Document, text), text);
}

TEST(TextFile, BlanksBeforeLineEndsAreRemoved)
{
    struct Case { AnsiString text; AnsiString trimmed; };
    const Case cases[] = {
        {"a  \r\nb \r\n", "a\r\nb\r\n"},
        {"a \t \r\n", "a \t\r\n"},          // a TAB ends the run and stays
        {"a  \nb  \rc", "a\nb\rc"},
        {"a \r \n", "a\r\n"},
        {"   \r\n  \r\n", "\r\n\r\n"},
        {"end  ", "end  "},                 // no line end after them
        {"  a\r\n", "  a\r\n"},
        {"a\xA0 \r\n", "a\xA0\r\n"},
        {"a b  c \r\n", "a b  c\r\n"},
        {"", ""},
    };
    for (const Case &c : cases) EXPECT_EQ(RemoveBlanksBeforeLineEnds(c.text), c.trimmed) << c.text;
}

TEST(TableFile, CellsToBytes)
{
    struct Case { TableData table; AnsiString bytes; };
    const Case cases[] = {
        {Table(2, 2, {"a", "b", "c", "d"}), "a\tb\r\nc\td\r\n"},
        {Table(1, 1, {"x\x1Dy"}), "x\ny\r\n"},
        {Table(1, 1, {"x\x1D"}), "x\n\r\n"},
        {Table(2, 1, {"\x1D", "\x1D\x1D"}), "\n\t\n\n\r\n"},
        {Table(4, 1, {"", "", "", ""}), "\t\t\t\r\n"},
        {Table(1, 2, {"", ""}), "\r\n\r\n"},
        {Table(2, 1, {"\xE9\x80", " "}), "\xE9\x80\t \r\n"},
    };
    for (const Case &c : cases) EXPECT_EQ(TableToFileBytes(c.table), c.bytes) << c.bytes;
    EXPECT_EQ(TableToFileBytes(PreparedTable(KAO_Document)), AnsiString(10, '\t') + "\r\n");
}

TEST(TableFile, WriterReportsRowsAndCells)
{
    ProgressLog log;
    const FileProgress hooks = log.Hooks();
    TableToFileBytes(Table(2, 2, {"a", "b", "c", "d"}), &hooks);
    const std::vector<AnsiString> expected = {"status:Processing line #1...", "step", "step",
                                              "status:Processing line #2...", "step", "step",
                                              "status:Converting EOL ...", "step"};
    EXPECT_EQ(log.Events, expected);
    EXPECT_GE(TableSaveProgressMax(2, 2), 5);
}

TEST(TableFile, BytesToCells)
{
    struct Case { const char *name; AnsiString bytes; const char *kind; TableData table; };
    const Case cases[] = {
        {"plain", "a\tb\r\nc\td\r\n", CMD_Document, Table(2, 2, {"a", "b", "c", "d"})},
        // A last line without CR LF is kept as the last row (it used to vanish without a word).
        {"unfinished last line", "a\tb\r\nc\td", CMD_Document, Table(2, 2, {"a", "b", "c", "d"})},
        {"no CR LF at all", "a\tb\tc", CMD_Document, Table(3, 1, {"a", "b", "c"})},
        {"no CR LF, KAT", "a\tb", KAT_Document, Table(4, 1, {"a", "b", "", ""})},
        {"unfinished line of a TAB", "a\r\n\t", CMD_Document, Table(2, 2, {"a", "", "", ""})},
        {"unfinished line of a lone CR", "a\r\n\r", CMD_Document, Table(1, 1, {"a"})},
        {"empty file", "", CMD_Document, Table(1, 1, {""})},
        {"empty line", "\r\n", CMD_Document, Table(1, 1, {""})},
        {"two empty lines", "\r\n\r\n", CMD_Document, Table(1, 2, {"", ""})},
        {"LF first", "\nx\r\n", CMD_Document, Table(1, 1, {"\x1Dx"})},
        {"LF first then CR LF", "\n\r\n", CMD_Document, Table(1, 1, {"\x1D"})},
        {"LF after row end", "a\r\n\nb\r\n", CMD_Document, Table(1, 2, {"a", "\x1D" "b"})},
        {"lone LF in cell", "a\nb\tc\r\n", CMD_Document, Table(2, 1, {"a\x1D" "b", "c"})},
        {"cell ends in LF", "a\n\r\n", CMD_Document, Table(1, 1, {"a\x1D"})},
        {"LF after TAB", "a\t\nb\r\n", CMD_Document, Table(2, 1, {"a", "\x1D" "b"})},
        {"lone CR dropped", "a\rb\r\n", CMD_Document, Table(1, 1, {"ab"})},
        {"CR CR LF", "a\r\r\nb\r\n", CMD_Document, Table(1, 2, {"a", "b"})},
        {"CR blank LF", "a\r \nb\r\n", CMD_Document, Table(1, 1, {"a \x1D" "b"})},
        {"LF CR is no row end", "a\n\rb\r\n", CMD_Document, Table(1, 1, {"a\x1D" "b"})},
        {"control bytes", Bytes("x\0\x01\x14\x15\x1D\x7F\x80\xFF\r\n", 12), CMD_Document,
         Table(1, 1, {"x\x15\x1D\x7F\x80\xFF"})},
        {"ragged CMD", "a\tb\r\nc\td\te\tf\tg\r\nh\ti\tj\r\n", CMD_Document,
         Table(5, 3, {"a", "b", "", "", "", "c", "d", "e", "f", "g", "h", "i", "j", "", ""})},
        {"unfinished wide line", "a\r\nb\tc\td", CMD_Document, Table(3, 2, {"a", "", "", "b", "c", "d"})},
        {"KAT seed", "\t\t\r\n", KAT_Document, Table(4, 1, {"", "", "", ""})},
        {"KAT extra cells", "1\t2\t3\t4\t5\t6\r\nx\r\n", KAT_Document,
         Table(4, 2, {"1", "2", "3", "4", "x", "", "", ""})},
        {"KAO 13 cells", "0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\r\n", KAO_Document,
         Table(11, 1, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"})},
        {"KAO short row", "a\r\n", KAO_Document, Table(11, 1, {"a", "", "", "", "", "", "", "", "", "", ""})},
    };
    for (const Case &c : cases) {
        const std::optional<TableData> t = TableFromFileBytes(c.bytes, c.kind);
        ASSERT_TRUE(t) << c.name;
        EXPECT_EQ(*t, c.table) << c.name;
    }
}

TEST(TableFile, WhatTheTableCannotHoldIsCounted)
{
    struct Case { const char *name; AnsiString bytes; const char *kind; TableLoss loss; };
    const Case cases[] = {
        {"well formed", "a\tb\r\nc\r\n", KAT_Document, {}},
        {"12-cell KAO row", "0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\r\n", KAO_Document, {1, 1, 0}},
        {"KAT rows of 6 cells", "x\r\n1\t2\t3\t4\t5\t6\r\n1\t2\t3\t4\t5\r\n", KAT_Document, {3, 2, 0}},
        {"empty cells beyond the columns hold nothing", "1\t2\t3\t4\t\t\r\n", KAT_Document, {}},
        {"extra cells of an unfinished last row", "x\r\n1\t2\t3\t4\t5", KAT_Document, {1, 2, 0}},
        {"CMD keeps every cell", "1\t2\t3\t4\t5\t6\r\n", CMD_Document, {}},
        {"control bytes", Bytes("a\0b\x01\x14\x15\r\n", 8), CMD_Document, {0, 0, 3}},
        {"lone CR and CR CR LF", "a\rb\r\r\nc\r", CMD_Document, {0, 0, 3}},
        {"LF alone is a line break in a cell", "a\nb\r\n", CMD_Document, {}},
    };
    for (const Case &c : cases) {
        TableLoss loss;
        ASSERT_TRUE(TableFromFileBytes(c.bytes, c.kind, &loss)) << c.name;
        EXPECT_EQ(loss, c.loss) << c.name;
        EXPECT_EQ(loss.Any(), c.loss.ExtraCells + c.loss.DroppedBytes > 0) << c.name;
    }
}

TEST(TableFile, AnUnfinishedLastRowSurvivesOpenAndSave)
{
    const std::optional<TableData> t = TableFromFileBytes("a\tb\r\nc\td", CMD_Document);
    ASSERT_TRUE(t);
    EXPECT_EQ(TableToFileBytes(*t), "a\tb\r\nc\td\r\n");   // written back with the format's line end
}

TEST(TableFile, RaggedRowsAreWrittenBackWithEmptyCells)
{
    const std::optional<TableData> t = TableFromFileBytes("a\tb\r\nc\td\te\tf\tg\r\nh\ti\tj\r\n", CMD_Document);
    ASSERT_TRUE(t);
    EXPECT_EQ(TableToFileBytes(*t), "a\tb\t\t\t\r\nc\td\te\tf\tg\r\nh\ti\tj\t\t\r\n");
    const std::optional<TableData> kao = TableFromFileBytes(AnsiString(12, '\t') + "x\r\n", KAO_Document);
    ASSERT_TRUE(kao);
    EXPECT_EQ(TableToFileBytes(*kao), AnsiString(10, '\t') + "\r\n");   // cells beyond 11 are dropped
}

TEST(TableFile, ReaderUndoesWriter)
{
    const TableData tables[] = {
        Table(2, 2, {"\x1D", "x\x1D", "\x1Dy\x1D", "\x1D\x1D"}),
        Table(1, 3, {"", "\x1D", ""}),
        Table(3, 1, {"", "", ""}),
        Table(4, 2, {"a", "", "\xE9 b", "c\x1D", "", "", "", "\x1D"}),
        PreparedTable(KAO_Document),
    };
    for (const TableData &t : tables) {
        const char *kind = t.ColCount == 11 ? KAO_Document : t.ColCount == 4 ? KAT_Document : CMD_Document;
        EXPECT_EQ(TableFromFileBytes(TableToFileBytes(t), kind), t) << TableToFileBytes(t);
    }

    std::mt19937 random(7);
    const char alphabet[] = {'a', ' ', '\x1D', '\xE9', '\x15', '\xFF'};
    for (int round = 0; round < 200; ++round) {
        TableData t;
        t.ColCount = 1 + int(random() % 5);
        t.RowCount = 1 + int(random() % 5);
        for (int i = 0; i < t.ColCount * t.RowCount; ++i) {
            AnsiString cell;
            for (unsigned n = random() % 4; n > 0; --n) cell += alphabet[random() % sizeof alphabet];
            t.Cells.push_back(cell);
        }
        ASSERT_EQ(TableFromFileBytes(TableToFileBytes(t), CMD_Document), t) << TableToFileBytes(t);
    }
}

TEST(TableFile, TableBeyondMemoryIsRefused)
{
    // One row of many cells and many empty rows would ask for rows * widest cells.
    const AnsiString bytes = AnsiString(1 << 16, '\t') + "\r\n" + [] {
        AnsiString rows;
        for (int i = 0; i < 2048; ++i) rows += "\r\n";
        return rows;
    }();
    EXPECT_FALSE(TableFromFileBytes(bytes, CMD_Document));
    EXPECT_TRUE(TableFromFileBytes(AnsiString(1 << 16, '\t') + "\r\n", CMD_Document));
}

TEST(TableFile, ReadsFileAndReportsPhases)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.kat");
    WriteAll(path, "1\t\xE9\t3\r\n\n\tb\r\ntail");
    ProgressLog log;
    const FileProgress hooks = log.Hooks();
    const TableReadResult r = ReadTableFile(FromQPath(path), KAT_Document, &hooks);
    EXPECT_EQ(r.Status, TableReadStatus::Ok);
    EXPECT_EQ(r.Table, Table(4, 3, {"1", "\xE9", "3", "", "\x1D", "b", "", "", "tail", "", "", ""}));
    EXPECT_EQ(log.Events, (std::vector<AnsiString>{"status:Opening file ...", "status:Reading file ..."}));
}

// The reader takes a file's bytes in one read of the size the system tells; whatever the size,
// and when the system tells none (a pipe), it gives the table of all the bytes.
TEST(TableFile, ReadsEveryByteWhateverTheSizeTold)
{
    QTemporaryDir dir;
    AnsiString big;
    for (int r = 0; big.size() < (5u << 20); ++r)
        big += IntToStr(r) + "\tcell\n of row " + IntToStr(r) + (r % 7 ? "\t\r\n" : "\tthe longest cell of all rows\r\n");
    const std::pair<const char *, AnsiString> files[] = {{"empty", ""}, {"one", "a\r\n"}, {"big", big}};
    for (const auto &[name, bytes] : files) {
        const QString path = dir.filePath(QString::fromLatin1(name) + ".cmd");
        WriteAll(path, bytes);
        const TableReadResult r = ReadTableFile(FromQPath(path), CMD_Document);
        EXPECT_EQ(r.Status, TableReadStatus::Ok) << name;
        EXPECT_EQ(r.Table, TableFromFileBytes(bytes, CMD_Document)) << name;
    }

    const QString fifo = dir.filePath("piped.kat");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const AnsiString piped = "x\ty\r\n" + big;
    std::thread writer([&] {
        QFile out(fifo);
        if (out.open(QIODevice::WriteOnly)) out.write(piped.data(), qint64(piped.size()));
    });
    const TableReadResult r = ReadTableFile(FromQPath(fifo), KAT_Document);
    writer.join();
    EXPECT_EQ(r.Status, TableReadStatus::Ok) << r.ErrorText;
    EXPECT_EQ(r.Table, TableFromFileBytes(piped, KAT_Document));
    EXPECT_EQ(r.Table.Cell(1, 0), "y");
}

// A table file is read in pieces, each split into cells as it comes: wherever a piece ends, the
// cells, losses and progress are those of the file read in one.
TEST(TableFile, ReadInPiecesGivesWhatTheWholeFileGives)
{
    QTemporaryDir dir;
    const AnsiString tables[] = {
        "a\tb\r\nc\td\r\n",                                  // CR LF rows
        "a\rb\tc\r\r\nd\r",                                  // lone CR, CR before CR LF, CR at the end
        "\na\nb\tc\r\nd\n\r\n\n",                            // lone LF first, in cells, before CR LF, last
        "x\x1Dy\tz\x01\r\n\x1D\t\x1D\r\n",                   // 0x1D, a dropped control byte
        "a\tb\r\nlast\trow without end",                     // missing final CR LF
        "1\r\n1\t2\t3\r\n\r\n1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\r\n1\t2",   // ragged, beyond the columns
        "",
    };
    const char *const kinds[] = {CMD_Document, KAO_Document, KAT_Document};
    struct Read
    {
        TableReadResult Result;
        std::vector<AnsiString> Statuses;
    };
    const auto read = [](const QString &path, const char *kind) {
        Read r;
        FileProgress progress;
        progress.Status = [&r](const AnsiString &text) { r.Statuses.push_back(text); };
        progress.Step = [&r] { r.Statuses.push_back("step"); };
        r.Result = ReadTableFile(FromQPath(path), kind, &progress);
        return r;
    };
    for (size_t t = 0; t < std::size(tables); ++t) {
        const AnsiString &bytes = tables[t];
        const QString path = dir.filePath("t" + QString::number(t) + ".cmd");
        WriteAll(path, bytes);
        for (const char *kind : kinds) {
            SetTableFilePieceSize(0);
            const Read whole = read(path, kind);
            TableLoss loss;
            ASSERT_EQ(whole.Result.Table, TableFromFileBytes(bytes, kind, &loss)) << t << kind;
            EXPECT_EQ(whole.Result.Loss, loss) << t << kind;
            EXPECT_EQ(whole.Statuses, (std::vector<AnsiString>{"Opening file ...", "Reading file ..."}));
            for (size_t piece = 1; piece <= bytes.size(); ++piece) {
                SetTableFilePieceSize(piece);
                const Read cut = read(path, kind);
                EXPECT_EQ(cut.Result.Status, TableReadStatus::Ok) << t << kind << piece;
                EXPECT_EQ(cut.Result.Table, whole.Result.Table) << t << kind << piece;
                EXPECT_EQ(cut.Result.Table.RowCount, whole.Result.Table.RowCount) << t << kind << piece;
                EXPECT_EQ(cut.Result.Loss, whole.Result.Loss) << t << kind << piece;
                EXPECT_EQ(cut.Statuses, whole.Statuses) << t << kind << piece;
            }
        }
    }
    SetTableFilePieceSize(0);
}

TEST(TableFile, FileBeyondMemoryGivesTheReadFailure)
{
#if UNDER_ADDRESS_SANITIZER
    GTEST_SKIP() << "the address sanitizer stops the process at a request this big";
#endif
    QTemporaryDir dir;
    QFile file(dir.filePath("sparse.kao"));   // a terabyte of holes, asking for more than memory holds
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(qint64(1) << 40));
    file.close();
    const TableReadResult r = ReadTableFile(FromQPath(file.fileName()), KAO_Document);
    EXPECT_EQ(r.Status, TableReadStatus::ReadFailed);
    EXPECT_EQ(r.ErrorText, "The file does not fit in memory.");
    EXPECT_EQ(r.Table, PreparedTable(KAO_Document));
}

TEST(TableFile, FileThatCannotBeReadLeavesThePreparedTable)
{
    QTemporaryDir dir;
    for (const QString &path : {dir.filePath("missing.kao"), dir.path()}) {
        const TableReadResult r = ReadTableFile(FromQPath(path), KAO_Document);
        EXPECT_NE(r.Status, TableReadStatus::Ok) << path.toStdString();
        EXPECT_EQ(r.Table, PreparedTable(KAO_Document));
    }
    EXPECT_EQ(ReadTableFile(FromQPath(dir.filePath("missing.kao")), KAO_Document).Status, TableReadStatus::CannotOpen);
}

TEST(TableFile, ReadOnlyFileInReadOnlyFolderLoads)
{
    OpenTempDir dir;
    QDir(dir.Dir.path()).mkdir("ro");
    const QString path = dir.Path("ro/t.cmd");
    WriteAll(path, "a\tb\r\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QFile::setPermissions(dir.Path("ro"), QFile::Permissions(0x5555));

    TableReadResult r;
    {
        UnprivilegedScope user;
        ASSERT_TRUE(user.Active());
        QFile probe(path);
        EXPECT_FALSE(probe.open(QIODevice::ReadWrite));   // the file is read-only to this user
        r = ReadTableFile(FromQPath(path), CMD_Document);
    }
    QFile::setPermissions(dir.Path("ro"), QFile::Permissions(0x7755));
    EXPECT_EQ(r.Status, TableReadStatus::Ok) << r.ErrorText;
    EXPECT_EQ(r.Table, Table(2, 1, {"a", "b"}));
}

TEST(AtomicWriter, WritesAndReplacesKeepingPermissions)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.kas");
    FileWriteResult r = WriteFileAtomically(FromQPath(path), Bytes("x\0y\n\r", 5));
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(r.ToWrite, 5);
    EXPECT_EQ(r.Written, 5);
    EXPECT_EQ(ReadAll(path), Bytes("x\0y\n\r", 5));

    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    r = WriteFileAtomically(FromQPath(path), "shorter");
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(ReadAll(path), "shorter");
    const QFile::Permissions userBits = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    EXPECT_EQ(QFile::permissions(path) & ~userBits, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);

    r = WriteFileAtomically(FromQPath(path), "");
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(ReadAll(path), "");
    EXPECT_EQ(Entries(dir.path()), QStringList{"a.kas"});
}

TEST(AtomicWriter, MissingFolderIsAnOpenFailure)
{
    QTemporaryDir dir;
    const FileWriteResult r = WriteFileAtomically(FromQPath(dir.filePath("no/such/a.cmd")), "a\r\n");
    EXPECT_FALSE(r.Opened);
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(r.ToWrite, 3);
    EXPECT_TRUE(Entries(dir.path()).isEmpty());
}

TEST(AtomicWriter, ShortWriteLeavesTargetUnchanged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.kao");
    WriteAll(path, "old\r\n");
    const AnsiString big(1 << 20, 'x');

    // The file size limit makes the write stop part way, as a full disk would.
    FileWriteResult r;
    {
        FileSizeLimit limit(4096);
        r = WriteFileAtomically(FromQPath(path), big);
    }

    EXPECT_TRUE(r.Opened);
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(r.ToWrite, 1 << 20);
    EXPECT_LT(r.Written, r.ToWrite);
    EXPECT_EQ(ReadAll(path), "old\r\n");
    EXPECT_EQ(Entries(dir.path()), QStringList{"t.kao"});   // no temporary file left
}

// A file the user may write is written even where its folder refuses new files (in place, so no
// temporary file is left there); a read-only file is not written wherever it is.
TEST(AtomicWriter, AWritableFileInAReadOnlyFolderIsWrittenInPlace)
{
    OpenTempDir dir;
    QDir(dir.Dir.path()).mkdir("ro");
    const QString inReadOnlyFolder = dir.Path("ro/a.kas");
    const QString readOnlyFile = dir.Path("b.kas");
    const QString readOnlyInReadOnlyFolder = dir.Path("ro/c.kas");
    WriteAll(inReadOnlyFolder, "old a, longer than the new");
    WriteAll(readOnlyFile, "old b");
    WriteAll(readOnlyInReadOnlyFolder, "old c");
    QFile::setPermissions(inReadOnlyFolder, QFile::Permissions(0x6666));
    QFile::setPermissions(readOnlyFile, QFile::Permissions(0x4444));
    QFile::setPermissions(readOnlyInReadOnlyFolder, QFile::Permissions(0x4444));
    QFile::setPermissions(dir.Path("ro"), QFile::Permissions(0x5555));
    QFile::setPermissions(dir.Dir.path(), QFile::Permissions(0x7777));

    FileWriteResult inFolder, onFile, onFileInFolder;
    {
        UnprivilegedScope user;
        ASSERT_TRUE(user.Active());
        inFolder = WriteFileAtomically(FromQPath(inReadOnlyFolder), "new");
        onFile = WriteFileAtomically(FromQPath(readOnlyFile), "new");
        onFileInFolder = WriteFileAtomically(FromQPath(readOnlyInReadOnlyFolder), "new");
    }
    QFile::setPermissions(dir.Path("ro"), QFile::Permissions(0x7755));
    EXPECT_TRUE(inFolder.Ok());
    EXPECT_EQ(ReadAll(inReadOnlyFolder), "new");
    EXPECT_EQ(QFile::permissions(inReadOnlyFolder) & QFile::Permissions(0x6666), QFile::Permissions(0x6666));
    EXPECT_FALSE(onFile.Opened);
    EXPECT_FALSE(onFileInFolder.Opened);
    EXPECT_EQ(ReadAll(readOnlyFile), "old b");
    EXPECT_EQ(ReadAll(readOnlyInReadOnlyFolder), "old c");
    EXPECT_EQ(Entries(dir.Path("ro")), (QStringList{"a.kas", "c.kas"}));
    EXPECT_EQ(Entries(dir.Dir.path()), (QStringList{"b.kas", "ro"}));
}

// A file with a second name (a hard link) is written in place, so both names keep showing one
// file; a file with one name is replaced whole, as a new file.
TEST(AtomicWriter, AFileWithOtherNamesKeepsThem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.kat");
    const QString other = dir.filePath("other-name.kat");
    WriteAll(path, "old\r\n");
    ASSERT_EQ(::link(path.toLocal8Bit().constData(), other.toLocal8Bit().constData()), 0);
    const QFileInfo before(path);

    const FileWriteResult r = WriteFileAtomically(FromQPath(path), "new content\r\n");
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(ReadAll(path), "new content\r\n");
    EXPECT_EQ(ReadAll(other), "new content\r\n");
    struct stat st;
    ASSERT_EQ(::stat(path.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_nlink, 2u);

    // Shorter content leaves nothing of the old behind.
    EXPECT_TRUE(WriteFileAtomically(FromQPath(other), "x").Ok());
    EXPECT_EQ(ReadAll(path), "x");

    const QString single = dir.filePath("single.kat");
    WriteAll(single, "old");
    ASSERT_EQ(::stat(single.toLocal8Bit().constData(), &st), 0);
    const ino_t oldInode = st.st_ino;
    EXPECT_TRUE(WriteFileAtomically(FromQPath(single), "new").Ok());
    ASSERT_EQ(::stat(single.toLocal8Bit().constData(), &st), 0);
    EXPECT_NE(st.st_ino, oldInode);   // replaced through a temporary file
    EXPECT_EQ(Entries(dir.path()), (QStringList{"a.kat", "other-name.kat", "single.kat"}));
}

TEST(DocumentMessages, TextsOfTheSaveAndOpenRoutines)
{
    EXPECT_EQ(SaveOpenErrorMessage("/d/a.kas"), "Error at opening the file \"/d/a.kas\"!");
    EXPECT_EQ(TableOpenErrorMessage("/d/a.cmd"), "Error at opening the file  \"/d/a.cmd\"!");
    EXPECT_EQ(TableReadErrorMessage("/d/a.cmd"), "File: \"/d/a.cmd\".\r\nReading failed.");
    struct Case { const char *kind; const char *line; };
    const Case cases[] = {{TXT_Document, "395"}, {KAS_Document, "465"}, {CMD_Document, "530"},
                          {KAO_Document, "591"}, {KAT_Document, "652"}};
    for (const Case &c : cases)
        EXPECT_EQ(SaveWriteErrorMessage(c.kind, 120, 7),
                  AnsiString("Error writing to the file (120/7); file: \"Main\", line: ") + c.line + ".");
}

// A path is file-system text (UTF-8); a message shows 8-bit text, so "dé" must reach it as its
// 8-bit character, not as the two bytes of its UTF-8 form.
TEST(DocumentMessages, APathInAMessageShowsItsOwnCharacters)
{
    const AnsiString path = "/d\xC3\xA9/a.kas";
    const QString shown = QString::fromUtf8("/dé/a.kas");
    const AnsiString texts[] = {SaveOpenErrorMessage(path), TableOpenErrorMessage(path), TableReadErrorMessage(path),
                                TableLossMessage(path, KAO_Document, {})};
    for (const AnsiString &text : texts) EXPECT_TRUE(ToQ(text).contains(shown)) << text;
}

} // namespace
