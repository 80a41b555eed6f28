// The trace table of a run, as a desk check on paper has it: the rows below were written by hand for the
// program, one per step, a value only where it changed.

#include "runtime/tracetable.h"

#include "parser/interpret.h"
#include "runtime/runtime.h"
#include "tests/support/designs.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class Console final : public runtime::OutputSink
{
public:
    void write(std::string_view) override {}
};

class NoInput final : public runtime::InputSource
{
public:
    Status read(std::string&) override { return Status::End; }
};

runtime::TraceTable traceOf(const char* source, std::size_t maxRows = runtime::TraceTable::kMaxRows)
{
    auto root = ParseText(source);
    makeDesignRoot(*root);
    const runtime::CheckResult checked = runtime::Check(*root);
    EXPECT_TRUE(checked.program);
    runtime::TraceTable table(maxRows);
    Console console;
    NoInput input;
    runtime::Run run(checked.program, console, input);
    while (run.state() == runtime::RunState::Running) {
        const runtime::StepResult step = run.step();
        if (step.executed)
            table.add(run, step);
    }
    return table;
}

TEST(TraceTable, ValuesOnlyWhereTheyChanged)
{
    const runtime::TraceTable table =
        traceOf("int a = 1; int b = 0; while (a < 4) { b = b + a; a = a * 2; } int[] f = {a, b};");
    // Step, element, condition, then a, b, f (args, which no student declared, is not a column).
    const char* expected = "Schritt;Element;Bedingung;a;b;f\n"
                           "1;int a = 1;;1;;\n"
                           "2;int b = 0;;;0;\n"
                           "3;a < 4;ja;;;\n"
                           "4;b = b + a;;;1;\n"
                           "5;a = a * 2;;2;;\n"
                           "6;a < 4;ja;;;\n"
                           "7;b = b + a;;;3;\n"
                           "8;a = a * 2;;4;;\n"
                           "9;a < 4;nein;;;\n"
                           "10;int[] f = {a, b};;;;[4, 3]\n";
    EXPECT_EQ(table.csv(';'), expected);
    EXPECT_EQ(table.droppedRows(), 0u);
    // Chosen columns, and fields that hold the separator are quoted.
    const std::string comma = table.csv(',', {false, true, false});
    const std::string head = "Schritt,Element,Bedingung,b\n1,int a = 1,,\n2,int b = 0,,0\n";
    EXPECT_EQ(comma.substr(0, head.size()), head);
    EXPECT_NE(comma.find("\n10,\"int[] f = {a, b}\",,\n"), std::string::npos) << comma;
}

TEST(TraceTable, KeepsTheLastRows)
{
    const runtime::TraceTable table = traceOf("int s = 0; for (i=1;i<=10;i=i+1) s = s + i;", 5);
    EXPECT_EQ(table.rows().size(), 5u);
    EXPECT_EQ(table.droppedRows(), 17u); // 1 + 11 tests + 10 additions = 22 steps
    EXPECT_EQ(table.rows().back().step, 22u);
    EXPECT_EQ(table.rows().back().branch, "nein");
}

// An array longer than a run shows is written with its first elements and says that more follow.
TEST(TraceTable, LongArraysSayThatElementsAreLeftOut)
{
    const runtime::TraceTable table = traceOf("int[] lang = new int[1001]; int[] kurz = new int[2];");
    const std::string shown = table.rows()[0].values[0];
    EXPECT_EQ(shown.substr(0, 7), "[0, 0, ");
    EXPECT_EQ(shown.substr(shown.size() - 6), ", \u2026]");
    EXPECT_EQ(table.rows()[1].values[1], "[0, 0]");
}

TEST(TraceTable, SeparatorOfTheLocale)
{
    const char* saved = std::getenv("LC_ALL");
    const std::string keep = saved ? saved : "";
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    EXPECT_EQ(runtime::csvSeparatorOfEnvironment(), ';');
    setenv("LC_ALL", "en_US.UTF-8", 1);
    EXPECT_EQ(runtime::csvSeparatorOfEnvironment(), ',');
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(runtime::csvSeparatorOfEnvironment(), ',');
    if (saved)
        setenv("LC_ALL", keep.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

} // namespace
