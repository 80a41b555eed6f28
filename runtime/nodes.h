#pragma once

// The compiled form of a checked design: typed expression and statement nodes that run on a Machine.
// Every name is resolved to a slot when the design is checked, and every node knows the Java type it
// yields, so running an element costs a few virtual calls and no look-ups. The checker builds the nodes
// through the factory functions below.

#include "runtime/javatext.h"
#include "runtime/runtime.h"
#include "runtime/values.h"

#include <memory>
#include <string>
#include <vector>

namespace runtime {

class InputSource;
class OutputSink;

// How a statement ends: normally, or by a jump that leaves the element.
enum class Completion : std::uint8_t { Normal, Break, Continue, Return };

// Thrown out of a step when the input source reports that the user cancelled the input.
struct RunCancelled
{
};

// Thrown out of a step by System.exit.
struct ProgramExit
{
    int status = 0;
};

// The state of a running program: the variables' slots and the connection to the console.
class Machine
{
public:
    Machine(OutputSink* sink, InputSource* input, NumberSymbols numberSymbols)
        : symbols(numberSymbols), m_sink(sink), m_input(input)
    {
    }

    // The separators of Scanner's numbers and of String.format's and printf's.
    const NumberSymbols symbols;

    std::vector<Prim> prims;
    std::vector<Ref> refs;
    // Per variable: 1 once a value has been stored since its declaration ran.
    std::vector<std::uint8_t> assigned;
    // Output of the current step, handed to the sink by flush().
    std::u16string output;

    // Hands pending output to the sink (code page 1252).
    void flush();
    // Appends the next piece of standard input to `into` for a scanner: false at the end of the input
    // (or after System.in was closed). Pending output is flushed first, so that a prompt shows before the
    // input is asked for. Throws RunCancelled when the source reports a cancel.
    bool readStandardInput(std::u16string& into);
    void closeStandardInput() { m_stdinClosed = true; }
    // How often the input source was asked for input: a slice of steps ends after a step that waited,
    // since the editor's events ran meanwhile.
    std::uint64_t inputRequests() const { return m_inputRequests; }
    // Called with `beforeInputContext` before the input source is asked, while a slice of steps runs: the
    // run then sets down where it stands, which the editor shows while the input waits. Null outside a
    // slice.
    void (*beforeInput)(void* context) = nullptr;
    void* beforeInputContext = nullptr;

private:
    OutputSink* m_sink;
    InputSource* m_input;
    Utf8Decoder m_decoder;
    bool m_stdinEnded = false;
    bool m_stdinClosed = false;
    std::uint64_t m_inputRequests = 0;
};

// How a counter advances: by a constant or by an int local, added or subtracted.
struct CounterStep
{
    std::size_t slot = 0; // the local's slot when `fromSlot`
    std::int32_t constant = 0;
    bool fromSlot = false;
    bool subtract = false;
};

// An expression. Each node implements the evaluation of its own type: evalBool for boolean, evalInt for
// char and int, evalLong, evalDouble, evalRef for String, arrays, Scanner and null; evalVoid evaluates
// any node for its effect.
class Expr
{
public:
    explicit Expr(Type type) : m_type(type) {}
    Expr(const Expr&) = delete;
    Expr& operator=(const Expr&) = delete;
    virtual ~Expr() = default;

    Type type() const { return m_type; }

    virtual bool evalBool(Machine& m) const;
    virtual std::int32_t evalInt(Machine& m) const;
    virtual std::int64_t evalLong(Machine& m) const;
    virtual double evalDouble(Machine& m) const;
    virtual Ref evalRef(Machine& m) const;
    virtual void evalVoid(Machine& m) const;
    // The local variable's slot when the node only reads a local variable; else -1. Lets a node that
    // reads a local array use its slot without taking a reference first.
    virtual int readsSlot() const { return -1; }
    // Whether evaluating the node changes nothing (it reads locals and constants only).
    virtual bool changesNothing() const { return false; }
    // A node that stores this node's value into the local `slot` (variable `id`) in the same call, giving
    // the old value when `returnOld`; null where the node has no such form.
    virtual std::unique_ptr<Expr> storedInto(int /*slot*/, int /*id*/, bool /*returnOld*/) const
    {
        return {};
    }
    // For `!x`: x; else null.
    virtual const Expr* negated() const { return nullptr; }
    // For an effect followed by the boolean `condition` in one step: a boolean node that does both (a
    // counting loop's advance and test); null where the node has no such form.
    virtual std::unique_ptr<Expr> thenTest(const Expr& /*condition*/) const { return {}; }
    // For a condition: the node that first advances the int counter in `slot` (variable `id`) by `step`
    // and then tests as this node does, when this node compares that counter; else null.
    virtual std::unique_ptr<Expr> afterCounting(std::size_t /*slot*/, std::size_t /*id*/,
                                                const CounterStep& /*step*/) const
    {
        return {};
    }

private:
    Type m_type;
};
using ExprPtr = std::unique_ptr<Expr>;

// A statement inside an element's text.
class Stmt
{
public:
    Stmt() = default;
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    virtual ~Stmt() = default;
    virtual Completion exec(Machine& m) const = 0;
    // The expression when the statement only evaluates one (and so always completes normally); else null.
    virtual const class Expr* expression() const { return nullptr; }
};
using StmtPtr = std::unique_ptr<Stmt>;
using StmtList = std::vector<StmtPtr>;

// Runs `list` until a statement completes abruptly.
Completion execAll(const StmtList& list, Machine& m);

// A value of any type, for calls of the library.
struct Val
{
    Prim p{};
    Ref r;
};
// A library function: receives the evaluated arguments (receiver first for instance methods) and
// writes its result.
using BuiltinFn = void (*)(Machine& m, Val* args, Val& result);
inline constexpr std::size_t kMaxArgs = 4;

enum class Op : std::uint8_t {
    Add,
    Sub,
    Mul,
    Div,
    Rem,
    And,
    Or,
    Xor,
    Shl,
    Shr,
    Ushr,
    Lt,
    Le,
    Gt,
    Ge,
    Eq,
    Ne
};

// Factories. `type` arguments are Java types; operands must already have the types the operation
// works on (the checker inserts the conversions).
ExprPtr makeConstant(Type type, Prim value, Ref ref = {});
ExprPtr makeLocal(Type type, int slot);
ExprPtr makeAssignLocal(Type type, int slot, int id, ExprPtr value);
// x = value with the old value read first; `returnOld` gives the old value (postfix ++ and --).
ExprPtr makeUpdateLocal(Type type, int slot, int id, ExprPtr value, bool returnOld);
ExprPtr makeConvert(Type to, ExprPtr operand);
ExprPtr makeBinary(Op op, Type operands, ExprPtr a, ExprPtr b);
ExprPtr makeNegate(ExprPtr operand);
ExprPtr makeBitNot(ExprPtr operand);
ExprPtr makeNot(ExprPtr operand);
ExprPtr makeAndAnd(ExprPtr a, ExprPtr b);
ExprPtr makeOrOr(ExprPtr a, ExprPtr b);
ExprPtr makeConditional(Type type, ExprPtr c, ExprPtr a, ExprPtr b);
ExprPtr makeConcat(std::vector<ExprPtr> parts);
ExprPtr makeArrayLoad(Type element, ExprPtr array, ExprPtr index);
ExprPtr makeArrayStore(Type element, ExprPtr array, ExprPtr index, ExprPtr value);
// a[i] op= v, a[i]++: the element is read into the hidden slot `temp` (a prim or ref slot by type), then
// `value` (which reads `temp`) is stored.
ExprPtr makeArrayUpdate(Type element, ExprPtr array, ExprPtr index, int temp, ExprPtr value, bool returnOld);
ExprPtr makeArrayLength(ExprPtr array);
ExprPtr makeNewArray(Type element, ExprPtr length);
ExprPtr makeArrayInit(Type element, std::vector<ExprPtr> elements);
ExprPtr makeCall(Type result, BuiltinFn fn, std::vector<ExprPtr> args);
// String.format, or with `printf` System.out.printf (writing to the console as it goes): args[0] is the
// format, the rest the values (of any type).
ExprPtr makeFormat(std::vector<ExprPtr> args, bool printf);
// System.out.print / println of a value of `type` (arg null: println()).
ExprPtr makePrint(ExprPtr arg, bool newline);

StmtPtr makeExpressionStatement(ExprPtr e);
StmtPtr makeDeclare(int id); // a declaration without initializer: no value yet
StmtPtr makeIf(ExprPtr condition, StmtList thenPart, StmtList elsePart);
StmtPtr makeBlock(StmtList body);
StmtPtr makeJump(Completion completion);

// Evaluates `e` (of `e.type()`) into a Val.
void evalInto(const Expr& e, Machine& m, Val& out);

} // namespace runtime
