// Speed of the script highlighter: the scanner alone over script text, a plain copy of the same
// bytes as the baseline, styling a whole QScintilla document, and one keystroke in a long one.
#include "QtBenchmarkMain.h"
#include "script/SynHighlighterKAS.h"
#include "synedit/SynLexerAdapter.h"

#include <benchmark/benchmark.h>
#include <Qsci/qsciscintilla.h>
#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using SB = QsciScintillaBase;

const char *const kLines[] = {
    "QUIL_ScriptName=Benchmark script",
    "_WARNING_ this part is written by the tool",
    "JOTE",
    "!?FU1;",
    "!!VRv1:S1;                      ; set the counter",
    "!!VRv2:S?v1 +10 -3;",
    "!#VA(count:x)/1;",
    "!$OB2/5:M1;",
    "!!IF&v1>5:M^The counter passed $v1$ and @msg@ is shown.^;",
    "* a whole-line remark that explains the next block of commands",
    "!!UN:P$hero$/%V1/0;  !!HE-1:C0/0/1/2;",
    "   some plain words and 12345 numbers with (brackets), \"quotes\" and \xE9\xE8 letters",
    "",
};

// Script text of about the given size, lines joined by CR LF.
std::string ScriptText(size_t size)
{
    std::string text;
    for (size_t i = 0; text.size() < size; ++i) {
        if (i) text += "\r\n";
        text += kLines[i % (sizeof kLines / sizeof *kLines)];
    }
    return text;
}

// The same text as NUL-terminated lines, as a pane hands them over.
struct Lines
{
    explicit Lines(const std::string &text) : buffer(text)
    {
        buffer.push_back('\0');
        size_t start = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                buffer[i] = '\0';
                starts.push_back(start);
                start = i + 2;
                ++i;
            }
        }
        starts.push_back(start);
    }
    std::string buffer;
    std::vector<size_t> starts;
};

const size_t kTextSize = 8 << 20;

void BM_ScanKAS(benchmark::State &state)
{
    const std::string text = ScriptText(kTextSize);
    const Lines lines(text);
    TSynKASSyn h;
    for (auto _ : state) {
        int tokens = 0;
        for (size_t i = 0; i < lines.starts.size(); ++i) {
            h.SetLine(lines.buffer.data() + lines.starts[i], int(i));
            while (!h.GetEol()) {
                tokens += h.GetTokenKind();
                h.Next();
            }
        }
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ScanKAS)->Unit(benchmark::kMillisecond);

void BM_CopyBaseline(benchmark::State &state)
{
    const std::string text = ScriptText(kTextSize);
    std::string copy(text.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), text.data(), text.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_CopyBaseline)->Unit(benchmark::kMillisecond);

struct Pane
{
    explicit Pane(TSynCustomHighlighter &h)
    {
        editor.setUtf8(false);
        editor.SendScintilla(SB::SCI_SETCODEPAGE, 0UL);
        editor.setEolMode(QsciScintilla::EolWindows);
        lexer = h.CreateLexer(&editor);
        editor.setLexer(lexer);
    }
    void SetText(const std::string &text)
    {
        editor.SendScintilla(SB::SCI_CLEARALL);
        editor.SendScintilla(SB::SCI_APPENDTEXT, (unsigned long)text.size(), (void *)text.data());
    }
    void StyleAll() { editor.SendScintilla(SB::SCI_COLOURISE, 0UL, -1L); }
    QsciScintilla editor;
    QsciLexer *lexer;
};

// Styling a freshly loaded document from end to end (as printing does).
void BM_StyleDocument(benchmark::State &state)
{
    const std::string text = ScriptText(kTextSize);
    TSynKASSyn h;
    Pane pane(h);
    for (auto _ : state) {
        state.PauseTiming();
        pane.SetText(text);
        state.ResumeTiming();
        pane.StyleAll();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_StyleDocument)->Unit(benchmark::kMillisecond);

// One typed character in the middle of a 20,000-line script, then the whole text asked for.
void BM_KeystrokeIn20000Lines(benchmark::State &state)
{
    std::string text;
    for (int i = 0; i < 20000; ++i) {
        if (i) text += "\r\n";
        text += kLines[size_t(i) % (sizeof kLines / sizeof *kLines)];
    }
    TSynKASSyn h;
    Pane pane(h);
    pane.SetText(text);
    pane.StyleAll();
    const long at = pane.editor.SendScintilla(SB::SCI_POSITIONFROMLINE, 10000UL);
    for (auto _ : state) {
        pane.editor.SendScintilla(SB::SCI_INSERTTEXT, (unsigned long)at, "x");
        pane.StyleAll();
        pane.editor.SendScintilla(SB::SCI_DELETERANGE, (unsigned long)at, 1L);
        pane.StyleAll();
    }
}
BENCHMARK(BM_KeystrokeIn20000Lines)->Unit(benchmark::kMicrosecond);

} // namespace

QUILLET_QT_BENCHMARK_MAIN()
