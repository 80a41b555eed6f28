#pragma once

// Running a design: a checked program that runs one element at a time.
//
// A design runs as the Java text that "Exportieren" writes for it runs inside
// `public static void main(String[] args)` of a class that imports java.util.*: the same output, the
// same input read, the same exception at the same element. Check() first compiles every element's text
// (names, types, definite assignment, unreachable statements, texts that are not Java); a design with
// problems does not run at all. One convenience goes beyond the Java text: the counting variable of a
// counting loop that no enclosing scope declares is an int local to the loop. A repeat-until loop runs
// as its Java text "do { S } while (!(c));" runs: it repeats until c holds.
//
// Outside the subset, and refused with a message: loops inside a statement's text (one step must never
// be endless; the loop elements are for loops), float, byte and short, switch, methods and classes of
// the program's own. Math.pow, exp, log and the trigonometric functions come from
// the C library and may differ from Java's in the last digit in rare cases.
// Strings compare with `==` by identity, as in Java: literals and other constant expressions are one
// object per text, every other string (concatenation, input, substring of a part) is a new object.
//
// Texts from the design (element texts, variable names, and the messages that quote them) are code page
// 1252 bytes, like every text of the model. What the program itself writes, reads and holds (console
// output, input, the values of variables) is UTF-8, because a program can make characters that code
// page 1252 cannot hold (char arithmetic, \u escapes, input), and Java prints them. Everything here is
// plain C++; the editor and the batch command connect it to their console and input.
//
// Typical use:
//     CheckResult checked = Check(root);
//     if (!checked.program) { show checked.problems; return; }
//     Run run(checked.program, console, input);
//     while (run.step().state == RunState::Running) { ... }

#include "model/struktteile.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

class Program;
class Machine;
struct ProgramElement;
struct ProgramNode;
struct LoopPass;
enum class Completion : std::uint8_t;

// An element as an identity: the address and the serial it had when the design was checked. The run
// never reads the element through it; an editor that changes the design while a program runs compares
// both before it uses the address.
struct ElementId
{
    const TElement* element = nullptr;
    std::uint64_t serial = 0;

    explicit operator bool() const { return element != nullptr; }
    friend bool operator==(const ElementId&, const ElementId&) = default;
};

// A reason the design cannot run.
struct Problem
{
    ElementId element;
    // German, naming the element's text: "Unbekannte Variable „summe“ in „summe = summe + i“".
    std::string message;
};

struct CheckResult
{
    std::shared_ptr<const Program> program; // null when there are problems
    std::vector<Problem> problems;          // in the order of the design
    // The counting loops whose variable no enclosing scope declares: the loop declares it as an int.
    std::vector<ElementId> declaringLoops;
};

// Checks the design under `root` and compiles it. Reads the design only during the call: the program
// keeps copies of the texts it needs and never touches the design again.
CheckResult Check(const TBlock& root);

// The separators with which Scanner reads and String.format and printf write numbers: those of the default
// locale of the Java that runs the export. Double.toString, string concatenation and Double.parseDouble
// always use the point. The default is English ("1,234.5").
struct NumberSymbols
{
    char16_t decimal = u'.';
    char16_t grouping = u',';
    friend bool operator==(const NumberSymbols&, const NumberSymbols&) = default;
};

// The symbols of a locale name as the environment gives it ("de_DE.UTF-8", "en_US", "C"), from a table of
// the locales a JDK knows, by language and country: a country the table does not know takes its
// language's symbols, a language it does not know (and "C", "POSIX") the English ones. The name alone
// counts, so a run does not depend on the locales installed on the machine.
NumberSymbols numberSymbolsOf(std::string_view localeName);
// The symbols of the locale a JDK on Linux takes for numbers: LC_ALL, else LC_CTYPE, else LANG.
NumberSymbols environmentNumberSymbols();

// Where the program's output goes (System.out): UTF-8, handed over after every step and before input is
// asked for.
class OutputSink
{
public:
    virtual ~OutputSink() = default;
    virtual void write(std::string_view text) = 0;
};

// Where standard input (System.in) comes from, piece by piece, when a Scanner needs more.
class InputSource
{
public:
    enum class Status {
        Text,      // `text` holds the next piece, UTF-8 (for typed input: a line with its "\n")
        End,       // there is no more input, now and later
        Cancelled, // the user cancelled: the run stops
    };
    virtual ~InputSource() = default;
    virtual Status read(std::string& text) = 0;
};

// A variable in scope, as a variables view shows it.
struct Variable
{
    std::string name;
    std::string type; // Java's name: "int", "String", "double[]"
    int depth = 0;    // block level: 0 for the variables of the program's outermost level
    bool assigned = false;
    // As Java prints the value, UTF-8 ("12", "1.0", "Hallo", "null", "a"); for arrays "int[5]"; empty
    // while not assigned.
    std::string value;
    // For arrays: their elements as Java prints them (UTF-8), at most kShownElements of them.
    std::vector<std::string> elements;
};
inline constexpr std::size_t kShownElements = 1000;

enum class RunState {
    Running,   // more steps to go
    Finished,  // the program ended (at its end, by return or by System.exit)
    Failed,    // an exception or error stopped it: see error()
    Cancelled, // the input source reported a cancel
};

struct RunError
{
    ElementId element;
    // German, naming the element's text: "Division durch null in „z = x / y“".
    std::string message;
    // Java's own report in UTF-8: "java.lang.ArithmeticException: / by zero".
    std::string javaException;
    // The run failed for memory (OutOfMemoryError): it has let go of its values.
    bool outOfMemory = false;
};

// What one step did.
struct StepResult
{
    RunState state = RunState::Running;
    ElementId executed; // the element that ran (a statement, or the element whose condition was tested)
    int branch = -1;    // after a condition: 1 when it held (yes branch, loop body), 0 when not; else -1
    ElementId next;     // the element the next step runs; empty when the run is over
};

// One run of a checked program. Pausing is not calling step(); stopping is destroying the run. Runs of
// one program may follow each other; all of them belong to one thread.
class Run
{
public:
    // `output` and `input` must outlive the run.
    Run(std::shared_ptr<const Program> program, OutputSink& output, InputSource& input,
        NumberSymbols symbols = {});
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // Runs one statement element, or tests one condition (a counting loop: sets or advances its
    // variable and tests it). Never loops within a step; it may wait for the input source. After the
    // run is over it does nothing and repeats the final state.
    StepResult step();
    // Runs up to `maxSteps` steps as step() does, without reporting each, for a run that nobody watches
    // step by step (`--run` without a trace, the editor at full speed): the same steps, output,
    // exceptions and end, at the cost of the statements alone. The slice ends early before an element
    // with a breakpoint (see setBreakpoints; also before the first step) and after a step that asked
    // the input source for input (the editor's events may have run meanwhile). Output reaches the sink
    // whenever some has gathered and at the end of the slice; a read hands it on before it waits, as
    // always. With a deadline the clock is read every kStepsBetweenClockReads steps, and the slice ends
    // once it has passed. Returns the number of steps run.
    std::uint64_t
    runSteps(std::uint64_t maxSteps,
             std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());
    static constexpr std::uint64_t kStepsBetweenClockReads = 64;
    // The elements before which runSteps stops; replaces those set before.
    void setBreakpoints(const std::vector<ElementId>& elements);
    // How often each element has run (every step counts the element it ran), for each element that ran
    // at least once, in the program's order.
    std::vector<std::pair<ElementId, std::uint64_t>> elementRuns() const;

    RunState state() const { return m_state; }
    // The element the next step runs; empty when the run is over.
    ElementId next() const;
    std::uint64_t steps() const { return m_steps; }
    // The program's exit status: 0, System.exit's argument, or 1 after an exception.
    int exitStatus() const;
    // Valid when state() is Failed.
    const RunError& error() const { return m_error; }
    // Memory ran out outside the run while it stood before its next element: it lets go of its values
    // and fails there for memory. A run that is over only lets go of its values.
    void failForMemory();
    // The variables in scope where the run stands, outermost first, innermost last; none after the run
    // failed for memory, which releases its values at once.
    std::vector<Variable> variables() const;

private:
    void failOutOfMemory(const ProgramElement& element);
    // After node `n`'s statements completed with `c`: the run stands before node `target`, or is over.
    void moveTo(const ProgramNode& n, Completion c, int target);
    // Ends the step of node `n` that `failure` left as the run's end it means (an exception of the
    // program, memory running out, System.exit, a cancelled input); rethrows anything else. True when the
    // run failed for memory, so that it lets go of its values once its output is out.
    bool stepFailed(const ProgramNode& n, const std::exception_ptr& failure);
    // Runs whole passes of the loop `pass`, the run standing at its first node, while the steps stay
    // under `bound` and little output waits. Each step sets down its node and the count as runSteps'
    // do. Returns the node to go on at (-1: the end): the first of the pass again, the loop's exit, where
    // a test left the pass, or, after a step that asked for input (`requests` changed, `askedForInput`
    // set), the node after it.
    int runPasses(const LoopPass& pass, std::uint64_t bound, std::uint64_t requests, bool& askedForInput);

    std::shared_ptr<const Program> m_program;
    std::unique_ptr<Machine> m_machine;
    int m_node;
    int m_scope; // the scope whose variables variables() shows
    RunState m_state = RunState::Running;
    int m_exitStatus = 0;
    std::uint64_t m_steps = 0;
    std::vector<std::uint64_t> m_nodeRuns;  // steps per node
    std::vector<std::uint8_t> m_stopBefore; // per node: runSteps stops before it; empty: nowhere
    RunError m_error;
};

} // namespace runtime
