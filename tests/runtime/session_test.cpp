// A run in the editor: single steps through branches, breakpoints, running on in slices, and what ends a
// run (its end, an exception, a cancelled input, the user, a change of the design).

#include "runtime/session.h"

#include "parser/interpret.h"
#include "runtime/values.h"
#include "tests/support/designs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <limits>
#include <vector>

#include <malloc.h>

namespace {

using runtime::ElementId;
using runtime::SessionState;

struct Console final : runtime::OutputSink
{
    void write(std::string_view text) override { output += text; }
    std::string output;
};

// Answers every request for input by calling `answer`.
struct Answers final : runtime::InputSource
{
    Status read(std::string& text) override { return answer(text); }
    std::function<Status(std::string&)> answer = [](std::string&) { return Status::End; };
};

const auto kLater = std::chrono::steady_clock::now() + std::chrono::hours(1);
constexpr auto kAll = std::numeric_limits<std::uint64_t>::max();

struct SessionTest : ::testing::Test
{
    void load(const char* source)
    {
        root = ParseText(source);
        makeDesignRoot(*root);
    }
    ElementId id(const std::vector<int>& path) const
    {
        const TElement* e = at(*root, path);
        return {e, e->serial()};
    }

    std::unique_ptr<TBlock> root;
    Console console;
    Answers input;
    runtime::Session session{console, input};
};

const char kLoopWithDecision[] =
    "int s = 0; for (i=1;i<=3;i=i+1) { if (i % 2 == 0) { s = s + i; } else { s = s - 1; } }"
    "System.out.println(s);";

TEST_F(SessionTest, SingleStepsFollowTheBranchesTaken)
{
    load(kLoopWithDecision);
    ASSERT_TRUE(session.start(*root, false).empty());
    EXPECT_EQ(session.state(), SessionState::Paused);
    // The element that runs next after each step, from the first one on.
    const std::vector<std::vector<int>> order = {{0},
                                                 {1},
                                                 {1, 1, 0},
                                                 {1, 1, 0, 2, 0},
                                                 {1},
                                                 {1, 1, 0},
                                                 {1, 1, 0, 1, 0},
                                                 {1},
                                                 {1, 1, 0},
                                                 {1, 1, 0, 2, 0},
                                                 {1},
                                                 {2}};
    for (const auto& path : order) {
        const TElement* expected = at(*root, path);
        EXPECT_EQ(session.next().element, expected);
        session.step();
        EXPECT_TRUE(session.state() == SessionState::Paused || session.state() == SessionState::Finished);
    }
    EXPECT_EQ(session.state(), SessionState::Finished);
    EXPECT_EQ(console.output, "0\n");
    EXPECT_FALSE(session.next());
}

TEST_F(SessionTest, BreakpointsStopBeforeTheirElementEveryTimeItComes)
{
    load(kLoopWithDecision);
    const ElementId odd = id({1, 1, 0, 2, 0}); // s = s - 1
    session.toggleBreakpoint(odd);
    ASSERT_TRUE(session.start(*root, true).empty());
    for (const char* value : {"1", "3"}) {
        session.advance(kAll, kLater);
        ASSERT_EQ(session.state(), SessionState::Paused);
        EXPECT_TRUE(session.atBreakpoint());
        EXPECT_EQ(session.next(), odd);
        EXPECT_EQ(session.variables().back().value, value); // i
        session.resume();                                   // runs the element it stopped at
    }
    session.advance(kAll, kLater);
    EXPECT_EQ(session.state(), SessionState::Finished);

    // A breakpoint on the first element stops a run started to go on, not one started by a single step.
    session.toggleBreakpoint(odd);
    session.toggleBreakpoint(id({0}));
    EXPECT_FALSE(session.hasBreakpoint(odd));
    session.start(*root, true);
    EXPECT_EQ(session.advance(kAll, kLater), 0u);
    EXPECT_TRUE(session.atBreakpoint());
    session.start(*root, false);
    session.resume();
    session.advance(kAll, kLater);
    EXPECT_EQ(session.state(), SessionState::Finished);
}

TEST_F(SessionTest, SlicesEndAtTheirStepLimit)
{
    load("int n = 0; while (true) { n = n + 1; }");
    session.start(*root, true);
    EXPECT_EQ(session.advance(1000, kLater), 1000u);
    EXPECT_EQ(session.state(), SessionState::Running);
    EXPECT_GT(session.advance(kAll, std::chrono::steady_clock::now() + std::chrono::milliseconds(5)), 0u);
    // A slice looks at the clock every so many steps: past its deadline, it ends at the first look.
    const std::uint64_t ran =
        session.advance(kAll, std::chrono::steady_clock::now() - std::chrono::seconds(1));
    EXPECT_GT(ran, 0u);
    EXPECT_LE(ran, runtime::Run::kStepsBetweenClockReads);
    session.pause();
    EXPECT_EQ(session.advance(kAll, kLater), 0u);
    session.stop();
    EXPECT_EQ(session.state(), SessionState::Stopped);
    EXPECT_EQ(session.variables().back().name, "n"); // an ended run still shows where it stood
}

// While a step waits for input the editor's events run: a breakpoint set then takes effect right after
// that step, not some steps later; also inside loops that a run at full speed takes pass by pass, with
// the read in a statement and in a test.
TEST_F(SessionTest, ABreakpointSetWhileInputWaitsCountsAfterThatStep)
{
    const struct
    {
        const char* source;
        std::vector<int> after; // the element right after the read
        const char* value;      // n's value there
    } cases[] = {
        {"Scanner sc = new Scanner(System.in); int n = sc.nextInt(); n = n + 1; n = n * 2; "
         "System.out.println(n);",
         {3},
         "6"},
        {"Scanner sc = new Scanner(System.in); int n = 1; for (int i = 0; i < 3; i++) {"
         " n = n + sc.nextInt(); n = n * 2; } System.out.println(n);",
         {2, 1, 1},
         "6"},
        {"Scanner sc = new Scanner(System.in); int n = 1; for (int i = 0; i < 3; i++) {"
         " if (sc.hasNextInt()) { n = n + sc.nextInt(); } n = n * 2; } System.out.println(n);",
         {2, 1, 0, 1, 0},
         "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        load(c.source);
        const ElementId after = id(c.after);
        input.answer = [&](std::string& text) {
            const auto& set = session.breakpoints();
            if (std::find(set.begin(), set.end(), after) == set.end())
                session.toggleBreakpoint(after);
            text = "5\n";
            return runtime::InputSource::Status::Text;
        };
        ASSERT_TRUE(session.start(*root, true).empty());
        session.advance(kAll, kLater);
        EXPECT_EQ(session.state(), SessionState::Paused);
        EXPECT_TRUE(session.atBreakpoint());
        EXPECT_EQ(session.next(), after);
        const auto variables = session.variables();
        const auto n =
            std::find_if(variables.begin(), variables.end(), [](const auto& v) { return v.name == "n"; });
        ASSERT_NE(n, variables.end());
        EXPECT_EQ(n->value, c.value);
        session.toggleBreakpoint(after);
        session.stop();
    }
}

// A pause asked for while a step waits for input also takes effect right after that step.
TEST_F(SessionTest, APauseAskedForWhileInputWaitsCountsAfterThatStep)
{
    load("Scanner sc = new Scanner(System.in); int n = sc.nextInt(); n = n + 1; n = n * 2;"
         "System.out.println(n);");
    input.answer = [this](std::string& text) {
        session.pause();
        text = "5\n";
        return runtime::InputSource::Status::Text;
    };
    ASSERT_TRUE(session.start(*root, true).empty());
    session.advance(kAll, kLater);
    EXPECT_EQ(session.state(), SessionState::Paused);
    EXPECT_FALSE(session.atBreakpoint());
    EXPECT_EQ(session.next(), id({2}));
    session.resume();
    session.advance(kAll, kLater);
    EXPECT_EQ(session.state(), SessionState::Finished);
    EXPECT_EQ(console.output, "12\n");
}

TEST_F(SessionTest, WhatEndsARun)
{
    load("int z = 0; System.out.println(1 / z);");
    ASSERT_TRUE(session.start(*root, true).empty());
    session.advance(kAll, kLater);
    ASSERT_EQ(session.state(), SessionState::Failed);
    EXPECT_EQ(session.error()->element, id({1}));
    EXPECT_FALSE(session.designChanged()); // a run that is over ends nothing, and is forgotten
    EXPECT_EQ(session.state(), SessionState::Idle);
    EXPECT_TRUE(session.variables().empty());

    load("Scanner sc = new Scanner(System.in); int n = sc.nextInt();");
    input.answer = [](std::string&) { return runtime::InputSource::Status::Cancelled; };
    session.start(*root, true);
    session.advance(kAll, kLater);
    EXPECT_EQ(session.state(), SessionState::Cancelled);

    // The design changes while a step waits for input: the step ends, then the run is gone.
    input.answer = [this](std::string& text) {
        EXPECT_TRUE(session.designChanged());
        text = "5\n";
        return runtime::InputSource::Status::Text;
    };
    session.start(*root, false);
    session.step();
    session.step();
    EXPECT_EQ(session.state(), SessionState::Idle);
    EXPECT_FALSE(session.next());

    load("x = 1;");
    EXPECT_EQ(session.start(*root, true).size(), 1u);
    EXPECT_EQ(session.state(), SessionState::Idle);
}

// How often each element ran, counted by hand for i = 1, 2, 3: the loop's test four times, the decision
// three times, its yes branch once (i = 2) and its no branch twice.
TEST_F(SessionTest, CountsAndTheTraceTableFollowTheRun)
{
    load(kLoopWithDecision);
    session.setTraceRecording(false);
    ASSERT_TRUE(session.start(*root, false).empty());
    EXPECT_EQ(session.traceTable(), nullptr);
    for (int step = 0; step < 3; ++step)
        session.step();
    // The table opened during the run begins with the next step.
    session.setTraceRecording(true);
    session.resume();
    session.advance(kAll, kLater);
    ASSERT_EQ(session.state(), SessionState::Finished);
    const std::vector<std::pair<std::vector<int>, std::uint64_t>> counted = {
        {{0}, 1}, {{1}, 4}, {{1, 1, 0}, 3}, {{1, 1, 0, 1, 0}, 1}, {{1, 1, 0, 2, 0}, 2}, {{2}, 1}};
    for (const auto& [path, count] : counted) {
        const auto found = session.counts().find(at(*root, path));
        ASSERT_NE(found, session.counts().end());
        EXPECT_EQ(found->second, count);
    }
    ASSERT_NE(session.traceTable(), nullptr);
    EXPECT_EQ(session.traceTable()->rows().front().step, 4u);
    EXPECT_EQ(session.traceTable()->rows().size(), 9u); // 12 steps in all

    // Without the table the run goes on in slices, and counts the same.
    session.setTraceRecording(false);
    session.start(*root, true);
    session.advance(kAll, kLater);
    ASSERT_EQ(session.state(), SessionState::Finished);
    EXPECT_EQ(session.counts().size(), counted.size());
    for (const auto& [path, count] : counted)
        EXPECT_EQ(session.counts().at(at(*root, path)), count);
    session.setTraceRecording(true);

    // A new run starts both afresh; a change of the design drops them.
    session.start(*root, false);
    session.step();
    EXPECT_EQ(session.counts().size(), 1u);
    EXPECT_EQ(session.traceTable()->rows().size(), 1u);
    session.designChanged();
    EXPECT_TRUE(session.counts().empty());
    EXPECT_EQ(session.traceTable(), nullptr);

    // Recording that was off for some steps begins afresh: a table never spans steps it missed.
    session.start(*root, false);
    session.step();
    session.step();
    session.setTraceRecording(false);
    session.step();
    session.setTraceRecording(true);
    session.step();
    ASSERT_EQ(session.traceTable()->rows().size(), 1u);
    EXPECT_EQ(session.traceTable()->rows().front().step, 4u);
}

TEST(VariableChanges, NewValuesAndArrayElementsStandOut)
{
    using runtime::Variable;
    const std::vector<Variable> before = {{"n", "int", 0, true, "1", {}},
                                          {"a", "int[]", 0, true, "int[2]", {"0", "0"}}};
    const std::vector<Variable> after = {{"n", "int", 0, true, "1", {}},
                                         {"a", "int[]", 0, true, "int[2]", {"0", "7"}},
                                         {"k", "int", 1, false, "", {}}};
    const std::vector<runtime::VariableChange> changes = runtime::changedVariables(before, after);
    EXPECT_FALSE(changes[0].value);
    EXPECT_TRUE(changes[1].value);
    EXPECT_EQ(changes[1].elements, (std::vector<bool>{false, true}));
    EXPECT_TRUE(changes[2].value);
}

} // namespace

namespace {

// A run that fails for memory lets go of every value it holds at once, before anything shows the
// failure; the failure itself stays to be shown.
TEST_F(SessionTest, RunThatFailsForMemoryReleasesItsValues)
{
    load("int[] kept = new int[100000]; kept[0] = 1; int[] huge = new int[400000000];");
    const std::size_t before = runtime::heapInUse();
    ASSERT_TRUE(session.start(*root, true).empty());
    session.advance(2, kLater);
    EXPECT_GT(runtime::heapInUse(), before + 400000);
    EXPECT_FALSE(session.variables().empty());
    session.advance(kAll, kLater);
    ASSERT_EQ(session.state(), SessionState::Failed);
    EXPECT_EQ(session.error()->javaException, "java.lang.OutOfMemoryError: Java heap space");
    EXPECT_EQ(session.error()->element, id({2}));
    EXPECT_EQ(runtime::heapInUse(), before);
    EXPECT_TRUE(session.variables().empty());
}

// The budget counts what strings and arrays really take from the allocator (the objects, their element
// storage and the allocator's headers), so a run never holds much more than its budget: a program that
// fills an array with one-character strings took seven times the budget when only the characters counted.
TEST(HeapBudgetTest, ChargesWhatStringsAndArraysReallyTake)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps books of its own";
#endif
    std::vector<runtime::Ref> kept;
    kept.reserve(120000);
    const std::size_t realBefore = ::mallinfo2().uordblks;
    const std::size_t chargedBefore = runtime::heapInUse();
    for (int i = 0; i < 100000; ++i)
        kept.push_back(runtime::makeString(i % 3 == 0 ? u"x"
                                           : i % 3 == 1
                                               ? u"zwölf Zeichen"
                                               : u"ein längerer Text, der nicht in das Objekt passt"));
    for (int i = 0; i < 20000; ++i)
        kept.push_back(runtime::makeArray(i % 2 == 0 ? runtime::kInt : runtime::kString, i % 100));
    const std::size_t real = ::mallinfo2().uordblks - realBefore;
    const std::size_t charged = runtime::heapInUse() - chargedBefore;
    EXPECT_GE(charged, real);
    EXPECT_LE(charged, real + real / 20);
}

} // namespace
