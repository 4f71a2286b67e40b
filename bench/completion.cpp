// What a user waits for with the context completion in a script of 300 000 lines: a request at the
// end of the script (the record key chosen and the lists built) when no line yields a key, and when
// the key stands 10 lines up; beside it, the time to type one character into the same pane with
// both popups attached. The first request of a pane reads the whole script once (measured apart),
// and the literal line-by-line search is the baseline.
#include "QtBenchmarkMain.h"
#include "script/CompletionKeyLines.h"
#include "script/CompletionTable.h"
#include "synedit/SynCompletionProposal.h"
#include "synedit/SynMemo.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <benchmark/benchmark.h>

namespace {

constexpr int LineCount = 300000;

const TSclIndex &Table()
{
    static const TSclIndex table = [] {
        TStringList list;
        for (const char *line : {"VALUE_SEPARATOR=`", "MAIN_LIST=KAS script`MAIN_I`MAIN_D", "MAIN_I=JOTE`!!`!?",
                                 "MAIN_D=magic word`receiver`trigger", "!!VR=Variable`VR_I`VR_D", "VR_I=S`+`-`*`:`R",
                                 "VR_D=set`add`subtract`multiply`divide`random", "!!=Receivers`R_I`R_D", "R_I=VR`IF`FU",
                                 "R_D=variables`conditions`functions"})
            list.Add(line);
        list.SetSorted(true);
        return TSclIndex(list);
    }();
    return table;
}

// Script lines that end in ";" yield no key; the last line is the one being typed.
AnsiString Script(bool keyTenLinesUp)
{
    AnsiString text;
    text.reserve(size_t(LineCount) * 24);
    for (int i = 0; i < LineCount - 1; ++i) {
        if (keyTenLinesUp && i == LineCount - 11) text += "!!VR1\r\n";
        else text += "!!VR" + std::to_string(i % 100) + ":S" + std::to_string(i) + ";\r\n";
    }
    return text + "qq:";
}

TSynMemo &Pane(bool keyTenLinesUp)
{
    static TSynMemo *panes[2] = {};
    TSynMemo *&memo = panes[keyTenLinesUp ? 1 : 0];
    if (!memo) {
        memo = new TSynMemo;
        memo->SetText(Script(keyTenLinesUp));
        memo->SetCaretXY({4, LineCount});
    }
    return *memo;
}

void Request(benchmark::State &state, bool keyTenLinesUp)
{
    TSynMemo &memo = Pane(keyTenLinesUp);
    const TSynMemoScriptLines lines(&memo);
    ChooseRecordKey(lines, memo.CaretX(), memo.CaretY(), Table());   // the pane's first request
    for (auto _ : state) {
        TCompletionLists lists;
        const AnsiString key = ChooseRecordKey(lines, memo.CaretX(), memo.CaretY(), Table());
        benchmark::DoNotOptimize(BuildCompletionLists(Table(), key, lists));
        if (key != (keyTenLinesUp ? "!!VR" : "")) state.SkipWithError("wrong key");
    }
}

void BM_RequestNoKeyInScript(benchmark::State &state) { Request(state, false); }
BENCHMARK(BM_RequestNoKeyInScript)->Unit(benchmark::kMicrosecond);

void BM_RequestKeyTenLinesUp(benchmark::State &state) { Request(state, true); }
BENCHMARK(BM_RequestKeyTenLinesUp)->Unit(benchmark::kMicrosecond);

// The first request of a pane reads every line once to list the key lines.
void BM_FirstRequestOfAPane(benchmark::State &state)
{
    TSynMemo &memo = Pane(false);
    const TSynMemoScriptLines lines(&memo);
    for (auto _ : state) {
        state.PauseTiming();
        qDeleteAll(memo.findChildren<TKeyLineCache *>(QString(), Qt::FindDirectChildrenOnly));
        state.ResumeTiming();
        benchmark::DoNotOptimize(ChooseRecordKey(lines, memo.CaretX(), memo.CaretY(), Table()));
    }
}
BENCHMARK(BM_FirstRequestOfAPane)->Unit(benchmark::kMillisecond);

// Baseline: the lines read one by one upward on every request.
void BM_LiteralSearchNoKey(benchmark::State &state)
{
    TSynMemo &memo = Pane(false);
    const TSynMemoScriptLines lines(&memo);
    for (auto _ : state)
        benchmark::DoNotOptimize(lines.TScriptLines::NearestKeyLine(LineCount - 2, 4, Table()));
}
BENCHMARK(BM_LiteralSearchNoKey)->Unit(benchmark::kMillisecond);

void TypeAtTheEnd(benchmark::State &state, TSynMemo &memo)
{
    memo.SetCaretXY({4, LineCount});
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
        QCoreApplication::sendEvent(&memo, &press);
    }
    memo.Lines.SetString(LineCount - 1, "qq:");
    memo.SetCaretXY({4, LineCount});
}

// Baseline: one character typed into a pane of the same script without popups.
void BM_TypeOneCharacterPlainPane(benchmark::State &state)
{
    static TSynMemo *memo = nullptr;
    if (!memo) {
        memo = new TSynMemo;
        memo->SetText(Script(false));
    }
    TypeAtTheEnd(state, *memo);
}
BENCHMARK(BM_TypeOneCharacterPlainPane)->Unit(benchmark::kMicrosecond);

// One character typed at the end of the script, through the popups' key handling, with the pane's
// key lines kept up to date.
void BM_TypeOneCharacter(benchmark::State &state)
{
    TSynMemo &memo = Pane(false);
    TSynCompletionProposal fastInsert, context;
    fastInsert.ShortCut = QKeySequence(Qt::Key_Insert);
    context.ShortCut = QKeySequence(Qt::CTRL | Qt::Key_Space);
    context.TriggerChars = ":!$#?";
    context.TimerInterval = 1000;
    context.SetOption(scoUseBuiltInTimer, true);
    fastInsert.Editor = &memo;
    context.Editor = &memo;
    const TSynMemoScriptLines lines(&memo);
    ChooseRecordKey(lines, memo.CaretX(), memo.CaretY(), Table());
    TypeAtTheEnd(state, memo);
}
BENCHMARK(BM_TypeOneCharacter)->Unit(benchmark::kMicrosecond);

} // namespace

QUILLET_QT_BENCHMARK_MAIN()
