// The entry of a benchmark program that needs widgets: Qt runs offscreen, and the heap keeps
// freed memory as the program's own main has it.
#pragma once

#include "platform/Memory.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>

#define QUILLET_QT_BENCHMARK_MAIN()                                                                \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        KeepFreedMemoryForReuse();                                                                 \
        setenv("QT_QPA_PLATFORM", "offscreen", 1);                                                 \
        QApplication app(argc, argv);                                                              \
        benchmark::Initialize(&argc, argv);                                                        \
        benchmark::RunSpecifiedBenchmarks();                                                       \
        benchmark::Shutdown();                                                                     \
        return 0;                                                                                  \
    }
