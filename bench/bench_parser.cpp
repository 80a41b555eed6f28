// Parse and export of Java statement sequences of 20 KB, 1 MB and 10 MB: ordinary code with nested
// decisions and loops (no comments: the parser has no notion of them, and a comment line swallows the
// next line's closing brace), and code made of deeply nested do-while loops (each of which searches
// ahead for the end of its body).

#include "model/javaexport.h"
#include "parser/interpret.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

constexpr std::size_t kSizes[] = {20 * 1024, 1024 * 1024, 10 * 1024 * 1024};

class JavaWriter
{
public:
    explicit JavaWriter(unsigned seed) : m_rng(seed) {}

    std::string text(std::size_t size)
    {
        m_out.clear();
        m_out.reserve(size + 4096);
        while (m_out.size() < size)
            statement(1, 3);
        return std::move(m_out);
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }

    const char* name() { return kNames[pick(0, sizeof kNames / sizeof *kNames - 1)]; }

    void line(int depth, const std::string& text)
    {
        m_out.append(static_cast<std::size_t>(depth), '\t');
        m_out += text;
        m_out += "\r\n";
    }

    void body(int depth, int nest)
    {
        const int count = pick(1, 4);
        for (int i = 0; i < count; ++i)
            statement(depth, nest);
    }

    void statement(int depth, int nest)
    {
        const int kind = nest > 0 ? pick(0, 9) : pick(0, 2);
        const std::string a = name();
        const std::string b = name();
        switch (kind) {
        case 0:
            line(depth, a + " = " + b + " + " + std::to_string(pick(1, 99)) + ";");
            break;
        case 1:
            line(depth, "System.out.println(\"Wert von " + a + ": \" + " + a + ");");
            break;
        case 2:
            line(depth, a + ".add(new Eintrag(" + b + ", i));");
            break;
        case 3:
            line(depth, "int " + a + " = " + b + ".length() * 2;");
            break;
        case 4:
            line(depth, "if (" + a + " > " + b + " && !" + a + ".isEmpty()) {");
            body(depth + 1, nest - 1);
            if (pick(0, 1)) {
                line(depth, "} else {");
                body(depth + 1, nest - 1);
            }
            line(depth, "}");
            break;
        case 5:
            line(depth, "for (int i = 0; i < " + a + ".size(); i++) {");
            body(depth + 1, nest - 1);
            line(depth, "}");
            break;
        case 6:
            line(depth, "while (" + a + ".hasNext()) {");
            body(depth + 1, nest - 1);
            line(depth, "}");
            break;
        case 7:
            line(depth, "do {");
            body(depth + 1, nest - 1);
            line(depth, "} while (" + a + " < " + std::to_string(pick(2, 9)) + ");");
            break;
        case 8:
            line(depth, "for (" + a + " = 1; " + a + " <= n; " + a + " = " + a + " + 1) {");
            body(depth + 1, nest - 1);
            line(depth, "}");
            break;
        default:
            line(depth, a + "[" + b + "] = '" + a + "';");
            break;
        }
    }

    static constexpr const char* kNames[] = {"summe", "zaehler", "liste",    "eintrag", "wert",
                                             "index", "puffer",  "ergebnis", "name",    "rest"};
    std::mt19937 m_rng;
    std::string m_out;
};

// Blocks of 100 do-while loops nested in each other, repeated up to `size`.
std::string nestedDoLoops(std::size_t size)
{
    std::string text;
    text.reserve(size + 4096);
    while (text.size() < size) {
        for (int i = 0; i < 100; ++i)
            text += "do {\r\n  x = x + 1;\r\n";
        for (int i = 0; i < 100; ++i)
            text += "} while (x < 10);\r\n";
    }
    return text;
}

std::string sizeLabel(std::size_t size)
{
    return size >= 1024 * 1024 ? std::to_string(size / (1024 * 1024)) + " MB"
                               : std::to_string(size / 1024) + " KB";
}

void parse(benchmark::State& state, const std::string& text)
{
    for (auto _ : state) {
        auto root = ParseText(text);
        benchmark::DoNotOptimize(root.get());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    state.SetLabel(sizeLabel(text.size()));
}

void exportText(benchmark::State& state, const std::string& text)
{
    auto root = ParseText(text);
    makeDesignRoot(*root);
    std::size_t exported = 0;
    for (auto _ : state) {
        const std::string out = exportJavaText(*root, false);
        exported = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(exported));
    state.SetLabel(sizeLabel(text.size()));
}

const std::string& javaText(std::size_t size)
{
    static std::string texts[3];
    const std::size_t i = size == kSizes[0] ? 0 : size == kSizes[1] ? 1 : 2;
    if (texts[i].empty())
        texts[i] = JavaWriter(7).text(size);
    return texts[i];
}

const std::string& doText(std::size_t size)
{
    static std::string texts[3];
    const std::size_t i = size == kSizes[0] ? 0 : size == kSizes[1] ? 1 : 2;
    if (texts[i].empty())
        texts[i] = nestedDoLoops(size);
    return texts[i];
}

void BM_ParseJava(benchmark::State& state)
{
    parse(state, javaText(static_cast<std::size_t>(state.range(0))));
}

void BM_ExportJava(benchmark::State& state)
{
    exportText(state, javaText(static_cast<std::size_t>(state.range(0))));
}

void BM_ParseNestedDoLoops(benchmark::State& state)
{
    parse(state, doText(static_cast<std::size_t>(state.range(0))));
}

void BM_NormaliseText(benchmark::State& state)
{
    const std::string& text = javaText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string normalised = NormaliseText(text);
        benchmark::DoNotOptimize(normalised.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    state.SetLabel(sizeLabel(text.size()));
}

void sizes(benchmark::internal::Benchmark* b)
{
    for (std::size_t size : kSizes)
        b->Arg(static_cast<std::int64_t>(size));
    b->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_ParseJava)->Apply(sizes);
BENCHMARK(BM_ExportJava)->Apply(sizes);
BENCHMARK(BM_ParseNestedDoLoops)->Apply(sizes);
BENCHMARK(BM_NormaliseText)->Apply(sizes);

BENCHMARK_MAIN();
