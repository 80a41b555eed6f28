// Full speed against the JDK's bytecode interpreter: each program runs as `struktogramm --run` of its
// imported design and as `java -Xint` of the same lines in a class, both as processes started from a
// shell (the JVM's start is part of its time, as the program's start is part of ours). The counters give
// the wall time of each and their ratio (below 1: faster than the interpreter); the outputs must agree.
// Without javac and java on the PATH the benchmark says so and is skipped.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

struct Program
{
    const char* className;
    const char* body; // the lines of main, as a teacher would paste them
};

const Program kPrograms[] = {
    {"Schleife", "long s = 0;\n"
                 "for (int i = 0; i < 10000000; i++) {\n"
                 "    s = s + i;\n"
                 "}\n"
                 "System.out.println(s);\n"},
    {"Sieb", "int n = 2000000;\n"
             "boolean[] zus = new boolean[n + 1];\n"
             "int anzahl = 0;\n"
             "for (int i = 2; i <= n; i++) {\n"
             "    if (!zus[i]) {\n"
             "        anzahl++;\n"
             "        for (int j = 2 * i; j <= n; j = j + i) {\n"
             "            zus[j] = true;\n"
             "        }\n"
             "    }\n"
             "}\n"
             "System.out.println(anzahl);\n"},
    {"Bubblesort", "int n = 2000;\n"
                   "int[] f = new int[n];\n"
                   "for (int i = 0; i < n; i++) {\n"
                   "    f[i] = n - i;\n"
                   "}\n"
                   "for (int i = 0; i < n - 1; i++) {\n"
                   "    for (int j = 0; j < n - 1 - i; j++) {\n"
                   "        if (f[j] > f[j + 1]) {\n"
                   "            int t = f[j];\n"
                   "            f[j] = f[j + 1];\n"
                   "            f[j + 1] = t;\n"
                   "        }\n"
                   "    }\n"
                   "}\n"
                   "System.out.println(f[0]);\n"},
    {"Verschachtelt", "long s = 0;\n"
                      "for (int i = 0; i < 3000; i++) {\n"
                      "    for (int j = 0; j < 3000; j++) {\n"
                      "        s = s + i * j;\n"
                      "    }\n"
                      "}\n"
                      "System.out.println(s);\n"},
};

void write(const std::filesystem::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

std::string read(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool succeeds(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

// The wall time of a shell command in seconds.
double timed(const std::string& command)
{
    const auto start = std::chrono::steady_clock::now();
    if (!succeeds(command))
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_AgainstJavaInterpreter(benchmark::State& state)
{
    const Program& program = kPrograms[state.range(0)];
    const std::string name = program.className;
    state.SetLabel(name);
    if (!succeeds("javac -version >/dev/null 2>&1") || !succeeds("java -version >/dev/null 2>&1")) {
        state.SkipWithError("kein JDK (javac, java) auf dem PATH");
        return;
    }
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "struktogramm-bench-jdk";
    std::filesystem::create_directories(dir);
    const std::string d = dir.string();
    write(dir / (name + ".java"), "public class " + name + " {\npublic static void main(String[] args) {\n" +
                                      program.body + "}\n}\n");
    write(dir / (name + ".txt"), program.body);
    const std::string design = d + "/" + name + ".str";
    if (!succeeds("javac -d " + d + " " + d + "/" + name + ".java") ||
        !succeeds(std::string(STRUKT_PROGRAM) + " --import-java " + d + "/" + name + ".txt " + design)) {
        state.SkipWithError("Übersetzen oder Einlesen fehlgeschlagen");
        return;
    }
    const std::string ours = std::string(STRUKT_PROGRAM) + " --run " + design + " >" + d + "/ours.out";
    const std::string java = "java -Xint -cp " + d + " " + name + " >" + d + "/java.out";
    double oursTotal = 0;
    double javaTotal = 0;
    for (auto _ : state) {
        // Alternately, so that both see the same load of the machine.
        const double o = timed(ours);
        const double j = timed(java);
        if (o < 0 || j < 0 || read(dir / "ours.out") != read(dir / "java.out")) {
            state.SkipWithError("Lauf fehlgeschlagen oder Ausgaben verschieden");
            return;
        }
        oursTotal += o;
        javaTotal += j;
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["struktogramm_s"] = oursTotal / n;
    state.counters["java_Xint_s"] = javaTotal / n;
    state.counters["ratio"] = oursTotal / javaTotal;
}
BENCHMARK(BM_AgainstJavaInterpreter)
    ->DenseRange(0, 3)
    ->Iterations(5)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
