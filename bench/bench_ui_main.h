#pragma once

// The start of a benchmark program that needs the editor's windows: the allocator and the platform as the
// editor has them (offscreen unless QT_QPA_PLATFORM names another), a QApplication, and `prepare` before
// the benchmarks run.

#include "ui/commandguard.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace bench {

template <class Prepare> int runUiBenchmarks(int argc, char** argv, Prepare prepare)
{
    useCompactingAllocator(); // as the editor does
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    prepare();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

inline int runUiBenchmarks(int argc, char** argv)
{
    return runUiBenchmarks(argc, argv, [] {});
}

} // namespace bench
