// The editor's full speed: a design opened in the main window runs with F5 at the speed "0" (as fast as it
// can) until it ends, its windows, console and views shown as a user sees them. The same programs as
// bench_against_jdk; the counter gives the steps a second.

#include "bench/bench_ui_main.h"
#include "model/dateiformat.h"
#include "parser/interpret.h"
#include "ui/hauptfenster.h"
#include "ui/runcontroller.h"

#include <QAction>
#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const kPrograms[] = {
    "long s = 0; for (int i = 0; i < 10000000; i++) { s = s + i; } System.out.println(s);",
    "int n = 2000000; boolean[] zus = new boolean[n + 1]; int anzahl = 0;"
    "for (int i = 2; i <= n; i++) { if (!zus[i]) { anzahl++;"
    "for (int j = 2 * i; j <= n; j = j + i) { zus[j] = true; } } } System.out.println(anzahl);",
};

void BM_EditorFullSpeed(benchmark::State& state)
{
    const std::string file = "bench_ui_run.str";
    writeDesignFile(file, *ParseText(kPrograms[state.range(0)]));
    TForm2 window(file);
    std::remove(file.c_str());
    window.show();
    QCoreApplication::processEvents();
    window.findChild<QAction*>(QStringLiteral("Geschwindigkeit0"))->trigger();
    const runtime::Session& session = window.runController().session();
    for (auto _ : state) {
        window.findChild<QAction*>(QStringLiteral("Starten1"))->trigger();
        while (session.state() == runtime::SessionState::Running ||
               session.state() == runtime::SessionState::Paused)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    state.counters["steps/s"] =
        benchmark::Counter(static_cast<double>(session.steps()) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    window.document().markSaved();
}
BENCHMARK(BM_EditorFullSpeed)->DenseRange(0, 1)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::runUiBenchmarks(argc, argv);
}
