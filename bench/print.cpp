// Printing a long script: the page count that the print dialog shows (on opening and on each
// option click) and a whole print into a PDF file, with word wrap and highlighting.
#include "QtBenchmarkMain.h"
#include "script/SynHighlighterKAS.h"
#include "synedit/SynEditPrint.h"

#include <benchmark/benchmark.h>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>

namespace {

std::vector<AnsiString> ScriptLines(int count)
{
    const AnsiString lines[] = {"\tIF (FLAG(3) == 1) THEN SETVAR(v3, 21)", "MESSAGE \"A line of the script\"",
                                "; a comment long enough to be wrapped on the printed page, since it runs on and "
                                "on past the right margin of an A4 page",
                                ""};
    std::vector<AnsiString> out;
    out.reserve(size_t(count));
    for (int i = 0; i < count; ++i) out.push_back(lines[i % 4]);
    return out;
}

void PdfPrinter(QPrinter &printer, const QString &file)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
}

void BM_PageCount(benchmark::State &state)
{
    TSynEditPrint print;
    print.Lines = ScriptLines(int(state.range(0)));
    QPrinter printer(QPrinter::HighResolution);
    PdfPrinter(printer, QString());
    for (auto _ : state) benchmark::DoNotOptimize(print.PageCount(printer));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PageCount)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PrintToPdf(benchmark::State &state)
{
    QTemporaryDir dir;
    TSynKASSyn highlighter;
    TSynEditPrint print;
    print.Lines = ScriptLines(int(state.range(0)));
    print.Highlighter = &highlighter;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        PdfPrinter(printer, dir.filePath("out.pdf"));
        if (!print.Print(printer)) state.SkipWithError("print failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PrintToPdf)->Arg(2500)->Unit(benchmark::kMillisecond);

} // namespace

QUILLET_QT_BENCHMARK_MAIN()
