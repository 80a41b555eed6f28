// The compiled tree: one small class per operation and Java type, built by the make... factories at the
// end of the file. A node knows its Java type when it is made, so it implements exactly one of the
// eval... functions (through Typed below) and the checker never builds a node that is asked for another
// type. Java's rules for each operation (wrapping integer arithmetic, division by zero, narrowing of
// doubles, array bounds, null) are written out here, where they run.
#include "runtime/nodes.h"

#include "runtime/formatter.h"
#include "runtime/javatext.h"
#include "runtime/messages.h"
#include "runtime/runtime.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <type_traits>
#include <variant>

namespace runtime {

// --- Machine ---

void Machine::flush()
{
    if (output.empty())
        return;
    if (m_sink)
        m_sink->write(toUtf8(output));
    output.clear();
}

bool Machine::readStandardInput(std::u16string& into)
{
    if (m_stdinClosed || m_stdinEnded || !m_input)
        return false;
    flush();
    std::string chunk;
    ++m_inputRequests;
    if (beforeInput)
        beforeInput(beforeInputContext);
    switch (m_input->read(chunk)) {
    case InputSource::Status::Text:
        m_decoder.decode(chunk, into, false);
        return true;
    case InputSource::Status::End: {
        m_stdinEnded = true;
        // Bytes of a character the input never finished.
        const std::size_t before = into.size();
        m_decoder.decode({}, into, true);
        return into.size() > before;
    }
    case InputSource::Status::Cancelled:
        break;
    }
    throw RunCancelled{};
}

// --- Expr defaults: a node is only asked for its own type ---
//
// Every typed node overrides the eval... of its type; reaching one of these defaults means the checker
// built a tree whose types do not fit, a fault of the program, not of the design.

namespace {

[[noreturn]] void wrongType()
{
    throw std::logic_error("expression evaluated as a type it does not have");
}

} // namespace

bool Expr::evalBool(Machine&) const
{
    wrongType();
}
std::int32_t Expr::evalInt(Machine&) const
{
    wrongType();
}
std::int64_t Expr::evalLong(Machine&) const
{
    wrongType();
}
double Expr::evalDouble(Machine&) const
{
    wrongType();
}
Ref Expr::evalRef(Machine&) const
{
    wrongType();
}

void Expr::evalVoid(Machine& m) const
{
    const Type t = type();
    if (t.array || t.isReference()) {
        evalRef(m);
        return;
    }
    switch (t.base) {
    case Base::Boolean:
        evalBool(m);
        break;
    case Base::Char:
    case Base::Int:
        evalInt(m);
        break;
    case Base::Long:
        evalLong(m);
        break;
    case Base::Double:
        evalDouble(m);
        break;
    default:
        break;
    }
}

void evalInto(const Expr& e, Machine& m, Val& out)
{
    const Type t = e.type();
    if (t.array || t.isReference()) {
        out.r = e.evalRef(m);
        return;
    }
    switch (t.base) {
    case Base::Boolean:
        out.p.i = e.evalBool(m) ? 1 : 0;
        break;
    case Base::Char:
    case Base::Int:
        out.p.i = e.evalInt(m);
        break;
    case Base::Long:
        out.p.l = e.evalLong(m);
        break;
    case Base::Double:
        out.p.d = e.evalDouble(m);
        break;
    default:
        e.evalVoid(m);
        break;
    }
}

Completion execAll(const StmtList& list, Machine& m)
{
    for (const StmtPtr& s : list) {
        const Completion c = s->exec(m);
        if (c != Completion::Normal)
            return c;
    }
    return Completion::Normal;
}

namespace {

// --- Typed nodes: R is the C++ representation of the node's Java type ---
//
// R is bool for boolean, int32_t for char and int, int64_t for long, double, and Ref for every reference
// type. A node class D derives from Typed<R, D> and has `R value(Machine&) const`; Typed turns it into
// the one virtual eval... of its type and into evalVoid (static dispatch to D, no further virtual call).
// Most node classes are templates over R, so that one class serves every type its operation takes.

template <class T> T evalAs(const Expr& e, Machine& m)
{
    if constexpr (std::is_same_v<T, bool>)
        return e.evalBool(m);
    else if constexpr (std::is_same_v<T, std::int32_t>)
        return e.evalInt(m);
    else if constexpr (std::is_same_v<T, std::int64_t>)
        return e.evalLong(m);
    else if constexpr (std::is_same_v<T, double>)
        return e.evalDouble(m);
    else
        return e.evalRef(m);
}

template <class R, class D> class Typed;

template <class D> class Typed<bool, D> : public Expr
{
public:
    using Expr::Expr;
    bool evalBool(Machine& m) const final { return static_cast<const D*>(this)->value(m); }
    void evalVoid(Machine& m) const final { static_cast<const D*>(this)->value(m); }
};
template <class D> class Typed<std::int32_t, D> : public Expr
{
public:
    using Expr::Expr;
    std::int32_t evalInt(Machine& m) const final { return static_cast<const D*>(this)->value(m); }
    void evalVoid(Machine& m) const final { static_cast<const D*>(this)->value(m); }
};
template <class D> class Typed<std::int64_t, D> : public Expr
{
public:
    using Expr::Expr;
    std::int64_t evalLong(Machine& m) const final { return static_cast<const D*>(this)->value(m); }
    void evalVoid(Machine& m) const final { static_cast<const D*>(this)->value(m); }
};
template <class D> class Typed<double, D> : public Expr
{
public:
    using Expr::Expr;
    double evalDouble(Machine& m) const final { return static_cast<const D*>(this)->value(m); }
    void evalVoid(Machine& m) const final { static_cast<const D*>(this)->value(m); }
};
template <class D> class Typed<Ref, D> : public Expr
{
public:
    using Expr::Expr;
    Ref evalRef(Machine& m) const final { return static_cast<const D*>(this)->value(m); }
    void evalVoid(Machine& m) const final { static_cast<const D*>(this)->value(m); }
};

// The representation of a primitive or reference slot value.
template <class R> R load(const Prim& p)
{
    if constexpr (std::is_same_v<R, bool>)
        return p.i != 0;
    else if constexpr (std::is_same_v<R, std::int32_t>)
        return p.i;
    else if constexpr (std::is_same_v<R, std::int64_t>)
        return p.l;
    else
        return p.d;
}

template <class R> void store(Prim& p, R v)
{
    if constexpr (std::is_same_v<R, bool>)
        p.i = v ? 1 : 0;
    else if constexpr (std::is_same_v<R, std::int32_t>)
        p.i = v;
    else if constexpr (std::is_same_v<R, std::int64_t>)
        p.l = v;
    else
        p.d = v;
}

// A literal or folded constant; a string constant holds its interned string.
template <class R> class Constant final : public Typed<R, Constant<R>>
{
public:
    Constant(Type t, R v) : Typed<R, Constant<R>>(t), m_v(std::move(v)) {}
    R value(Machine&) const { return m_v; }
    const R& constant() const { return m_v; }
    bool changesNothing() const override { return true; }

private:
    R m_v;
};

// A read of a local variable from its slot (prims for primitives, refs for references).
template <class R> class Local final : public Typed<R, Local<R>>
{
public:
    Local(Type t, int slot) : Typed<R, Local<R>>(t), m_slot(static_cast<std::size_t>(slot)) {}
    R value(Machine& m) const
    {
        if constexpr (std::is_same_v<R, Ref>)
            return m.refs[m_slot];
        else
            return load<R>(m.prims[m_slot]);
    }
    std::size_t slot() const { return m_slot; }
    int readsSlot() const override { return static_cast<int>(m_slot); }
    bool changesNothing() const override { return true; }

private:
    std::size_t m_slot;
};

// x = v: stores into the slot and marks the variable assigned for the variables view (a variable
// declared without a value shows none until this has run).
template <class R> class AssignLocal final : public Typed<R, AssignLocal<R>>
{
public:
    AssignLocal(Type t, int slot, int id, ExprPtr v)
        : Typed<R, AssignLocal<R>>(t), m_slot(static_cast<std::size_t>(slot)),
          m_id(static_cast<std::size_t>(id)), m_v(std::move(v))
    {
    }
    R value(Machine& m) const
    {
        R v = evalAs<R>(*m_v, m);
        if constexpr (std::is_same_v<R, Ref>)
            m.refs[m_slot] = v;
        else
            store(m.prims[m_slot], v);
        m.assigned[m_id] = 1;
        return v;
    }

private:
    std::size_t m_slot;
    std::size_t m_id;
    ExprPtr m_v;
};

// x op= v, ++x, x++: `v` reads the variable itself (the checker built it as "x op v" with its cast), so
// the node only keeps the old value for the postfix forms.
template <class R> class UpdateLocal final : public Typed<R, UpdateLocal<R>>
{
public:
    UpdateLocal(Type t, int slot, int id, ExprPtr v, bool returnOld)
        : Typed<R, UpdateLocal<R>>(t), m_slot(static_cast<std::size_t>(slot)),
          m_id(static_cast<std::size_t>(id)), m_v(std::move(v)), m_returnOld(returnOld)
    {
    }
    R value(Machine& m) const
    {
        if constexpr (std::is_same_v<R, Ref>) {
            Ref old = m.refs[m_slot];
            Ref v = evalAs<R>(*m_v, m);
            m.refs[m_slot] = v;
            m.assigned[m_id] = 1;
            return m_returnOld ? old : v;
        } else {
            const R old = load<R>(m.prims[m_slot]);
            const R v = evalAs<R>(*m_v, m);
            store(m.prims[m_slot], v);
            m.assigned[m_id] = 1;
            return m_returnOld ? old : v;
        }
    }

private:
    std::size_t m_slot;
    std::size_t m_id;
    ExprPtr m_v;
    bool m_returnOld;
};

// --- Conversions ---
//
// Java's primitive conversions: widening keeps the value (long to double rounds), narrowing keeps the
// low bits of an integer, and a double becomes an int or long by rounding toward zero, NaN giving 0 and
// values beyond the range the nearest end of it (C++ leaves those undefined, so they are tested first).

std::int32_t doubleToInt(double d)
{
    if (std::isnan(d))
        return 0;
    if (d >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (d <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(d);
}

std::int64_t doubleToLong(double d)
{
    if (std::isnan(d))
        return 0;
    if (d >= 9223372036854775807.0)
        return std::numeric_limits<std::int64_t>::max();
    if (d <= -9223372036854775808.0)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(d);
}

std::int32_t toChar(std::int64_t v)
{
    return static_cast<std::int32_t>(static_cast<std::uint16_t>(v));
}

template <class To, class From, class F> class Convert final : public Typed<To, Convert<To, From, F>>
{
public:
    Convert(Type t, ExprPtr e) : Typed<To, Convert<To, From, F>>(t), m_e(std::move(e)) {}
    To value(Machine& m) const { return F{}(evalAs<From>(*m_e, m)); }
    const Expr& operand() const { return *m_e; }
    // Gives up the operand (when a node that reads it takes the conversion's place).
    std::shared_ptr<const Expr> release() { return std::shared_ptr<const Expr>(std::move(m_e)); }

private:
    ExprPtr m_e;
};

// A char is held as its int value already; only the type changes (it prints as a number).
struct CharToInt
{
    std::int32_t operator()(std::int32_t v) const { return v; }
};
struct IntToLong
{
    std::int64_t operator()(std::int32_t v) const { return v; }
};
struct IntToDouble
{
    double operator()(std::int32_t v) const { return v; }
};
struct LongToDouble
{
    double operator()(std::int64_t v) const { return static_cast<double>(v); }
};
struct LongToInt
{
    std::int32_t operator()(std::int64_t v) const { return static_cast<std::int32_t>(v); }
};
struct DoubleToInt
{
    std::int32_t operator()(double v) const { return doubleToInt(v); }
};
struct DoubleToLong
{
    std::int64_t operator()(double v) const { return doubleToLong(v); }
};
struct IntToChar
{
    std::int32_t operator()(std::int32_t v) const { return toChar(v); }
};
struct LongToChar
{
    std::int32_t operator()(std::int64_t v) const { return toChar(v); }
};
struct DoubleToChar
{
    std::int32_t operator()(double v) const { return toChar(doubleToInt(v)); }
};

// --- Arithmetic with Java's rules ---
//
// Integer arithmetic wraps around in two's complement, as Java's does; C++ leaves signed overflow
// undefined, so it is done on the unsigned type. Division and remainder by zero throw
// ArithmeticException, MIN_VALUE / -1 wraps to MIN_VALUE, and a shift count uses only its low five (int)
// or six (long) bits. Double arithmetic is IEEE arithmetic, % is fmod as Java's % on doubles.

template <class T> using Unsigned = std::make_unsigned_t<T>;

struct AddOp
{
    template <class T> static T apply(T a, T b)
    {
        if constexpr (std::is_integral_v<T>)
            return static_cast<T>(static_cast<Unsigned<T>>(a) + static_cast<Unsigned<T>>(b));
        else
            return a + b;
    }
};
struct SubOp
{
    template <class T> static T apply(T a, T b)
    {
        if constexpr (std::is_integral_v<T>)
            return static_cast<T>(static_cast<Unsigned<T>>(a) - static_cast<Unsigned<T>>(b));
        else
            return a - b;
    }
};
struct MulOp
{
    template <class T> static T apply(T a, T b)
    {
        if constexpr (std::is_integral_v<T>)
            return static_cast<T>(static_cast<Unsigned<T>>(a) * static_cast<Unsigned<T>>(b));
        else
            return a * b;
    }
};
struct DivOp
{
    template <class T> static T apply(T a, T b)
    {
        if constexpr (std::is_integral_v<T>) {
            if (b == 0)
                throwJava(JavaError::Arithmetic, "/ by zero", msg::kDivisionByZero);
            if (b == -1)
                return static_cast<T>(Unsigned<T>{0} - static_cast<Unsigned<T>>(a));
            return static_cast<T>(a / b);
        } else {
            return a / b;
        }
    }
};
struct RemOp
{
    template <class T> static T apply(T a, T b)
    {
        if constexpr (std::is_integral_v<T>) {
            if (b == 0)
                throwJava(JavaError::Arithmetic, "/ by zero", msg::kDivisionByZero);
            if (b == -1)
                return 0;
            return static_cast<T>(a % b);
        } else {
            return std::fmod(a, b);
        }
    }
};
struct AndOp
{
    template <class T> static T apply(T a, T b) { return static_cast<T>(a & b); }
};
struct OrOp
{
    template <class T> static T apply(T a, T b) { return static_cast<T>(a | b); }
};
struct XorOp
{
    template <class T> static T apply(T a, T b) { return static_cast<T>(a ^ b); }
};
template <class T> constexpr int kShiftMask = sizeof(T) * 8 - 1;
struct ShlOp
{
    template <class T> static T apply(T a, std::int32_t n)
    {
        return static_cast<T>(static_cast<Unsigned<T>>(a) << (n & kShiftMask<T>));
    }
};
struct ShrOp
{
    template <class T> static T apply(T a, std::int32_t n)
    {
        return static_cast<T>(a >> (n & kShiftMask<T>));
    }
};
struct UshrOp
{
    template <class T> static T apply(T a, std::int32_t n)
    {
        return static_cast<T>(static_cast<Unsigned<T>>(a) >> (n & kShiftMask<T>));
    }
};
struct LtOp
{
    template <class T> static bool apply(T a, T b) { return a < b; }
};
struct LeOp
{
    template <class T> static bool apply(T a, T b) { return a <= b; }
};
struct GtOp
{
    template <class T> static bool apply(T a, T b) { return a > b; }
};
struct GeOp
{
    template <class T> static bool apply(T a, T b) { return a >= b; }
};
struct EqOp
{
    template <class T> static bool apply(const T& a, const T& b) { return a == b; }
};
struct NeOp
{
    template <class T> static bool apply(const T& a, const T& b) { return !(a == b); }
};

// a op b on operands of representation T (both already promoted by the checker) giving an R: T for
// arithmetic, bool for comparisons. `a` is evaluated before `b`, as Java does.
//
// The operands of a binary operation where they are a local variable's slot, an int or long local widened
// to the operation's type, or a constant are read without a call: the most frequent forms of loop tests,
// counters and sums (i < n, i + 1, s + i with a long s) cost a node less each.
template <class T> struct SlotOperand
{
    std::size_t slot;
    T read(const Machine& m) const { return load<T>(m.prims[slot]); }
};
template <class T> struct ConstantOperand
{
    T v;
    T read(const Machine&) const { return v; }
};
// A local of representation From read as T: Java's widening of int to long or double and of long to
// double (which rounds to the nearest double, as C++'s conversion does).
template <class T, class From> struct WidenedOperand
{
    std::size_t slot;
    T read(const Machine& m) const { return static_cast<T>(load<From>(m.prims[slot])); }
};

// Any other operand: a node, shared by the operation and a node made from it (storedInto).
template <class T> struct NodeOperand
{
    std::shared_ptr<const Expr> e;
    T read(Machine& m) const { return evalAs<T>(*e, m); }
};
// An int operand widened to long (i * j added to a long sum): the conversion costs no node.
struct WidenedNodeOperand
{
    std::shared_ptr<const Expr> e;
    std::int64_t read(Machine& m) const { return e->evalInt(m); }
};

// Whether reading the operand changes nothing.
template <class Operand> bool readsOnly(const Operand& operand)
{
    if constexpr (requires { operand.e; })
        return operand.e->changesNothing();
    else
        return true;
}

template <class T, class R, class Op, class A, class B>
class BinaryOf final : public Typed<R, BinaryOf<T, R, Op, A, B>>
{
public:
    BinaryOf(Type t, A a, B b) : Typed<R, BinaryOf<T, R, Op, A, B>>(t), m_a(std::move(a)), m_b(std::move(b))
    {
    }
    R value(Machine& m) const
    {
        const T a = m_a.read(m);
        return Op::apply(a, m_b.read(m));
    }
    // An operation that can throw (division by zero) changes nothing either: the exception ends the step.
    bool changesNothing() const override { return readsOnly(m_a) && readsOnly(m_b); }
    ExprPtr storedInto(int slot, int id, bool returnOld) const override;
    ExprPtr afterCounting(std::size_t slot, std::size_t id, const CounterStep& step) const override;

private:
    A m_a;
    B m_b;
};

// x = a op b, x op= b, x++ where the operation reads its operands itself: one node computes and stores.
// Like UpdateLocal, the old value is read before the operation (for the postfix forms).
template <class T, class R, class Op, class A, class B>
class StoreOf final : public Typed<R, StoreOf<T, R, Op, A, B>>
{
public:
    StoreOf(Type t, std::size_t slot, std::size_t id, bool returnOld, A a, B b)
        : Typed<R, StoreOf<T, R, Op, A, B>>(t), m_slot(slot), m_id(id), m_a(a), m_b(b), m_returnOld(returnOld)
    {
    }
    R value(Machine& m) const
    {
        const R old = load<R>(m.prims[m_slot]);
        const T a = m_a.read(m);
        const R v = Op::apply(a, m_b.read(m));
        store(m.prims[m_slot], v);
        m.assigned[m_id] = 1;
        return m_returnOld ? old : v;
    }
    ExprPtr thenTest(const Expr& condition) const override
    {
        // i = i + c or i = i - c on an int, c a constant or an int local: a counter that the loop's
        // test may take over.
        if constexpr (std::is_same_v<T, std::int32_t> && std::is_same_v<R, std::int32_t> &&
                      std::is_same_v<A, SlotOperand<std::int32_t>> &&
                      (std::is_same_v<B, ConstantOperand<std::int32_t>> ||
                       std::is_same_v<B, SlotOperand<std::int32_t>>)&&(std::is_same_v<Op, AddOp> ||
                                                                       std::is_same_v<Op, SubOp>)) {
            if (m_a.slot != m_slot)
                return {};
            CounterStep step;
            step.subtract = std::is_same_v<Op, SubOp>;
            if constexpr (std::is_same_v<B, SlotOperand<std::int32_t>>) {
                step.fromSlot = true;
                step.slot = m_b.slot;
            } else {
                step.constant = m_b.v;
            }
            return condition.afterCounting(m_slot, m_id, step);
        }
        return {};
    }

private:
    std::size_t m_slot;
    std::size_t m_id;
    A m_a;
    B m_b;
    bool m_returnOld;
};

// A counting loop's step and test in one node: the int counter in `slot` advances (wrapping as Java's
// int does), then the test compares it with the bound.
template <class Op, class B> class CountAndTest final : public Typed<bool, CountAndTest<Op, B>>
{
public:
    CountAndTest(std::size_t slot, std::size_t id, const CounterStep& step, B bound)
        : Typed<bool, CountAndTest<Op, B>>(kBoolean), m_slot(slot), m_id(id), m_step(step),
          m_bound(std::move(bound))
    {
    }
    bool value(Machine& m) const
    {
        const std::int32_t by = m_step.fromSlot ? m.prims[m_step.slot].i : m_step.constant;
        const std::int32_t old = m.prims[m_slot].i;
        const std::int32_t i = m_step.subtract ? SubOp::apply(old, by) : AddOp::apply(old, by);
        m.prims[m_slot].i = i;
        m.assigned[m_id] = 1;
        return Op::apply(i, m_bound.read(m));
    }

private:
    std::size_t m_slot;
    std::size_t m_id;
    CounterStep m_step;
    B m_bound;
};

template <class T, class R, class Op, class A, class B>
ExprPtr BinaryOf<T, R, Op, A, B>::afterCounting(std::size_t slot, std::size_t id,
                                                const CounterStep& step) const
{
    // counter < bound (or <=, >, >=, !=) on ints, the counter read from its slot.
    if constexpr (std::is_same_v<T, std::int32_t> && std::is_same_v<R, bool> &&
                  std::is_same_v<A, SlotOperand<std::int32_t>>) {
        if (m_a.slot == slot)
            return std::make_unique<CountAndTest<Op, B>>(slot, id, step, m_b);
    }
    return {};
}

template <class T, class R, class Op, class A, class B>
ExprPtr BinaryOf<T, R, Op, A, B>::storedInto(int slot, int id, bool returnOld) const
{
    // Arithmetic on a local first (x = x + 1, x += y, s = i * j): a comparison stored into a boolean, or
    // an operation on a node first, keeps its two nodes, which spares the compiler many node classes.
    if constexpr (std::is_same_v<T, R> && std::is_same_v<A, SlotOperand<T>>)
        return std::make_unique<StoreOf<T, R, Op, A, B>>(this->type(), static_cast<std::size_t>(slot),
                                                         static_cast<std::size_t>(id), returnOld, m_a, m_b);
    else
        return {};
}

template <class T, class R, class Op> class Binary final : public Typed<R, Binary<T, R, Op>>
{
public:
    Binary(Type t, ExprPtr a, ExprPtr b) : Typed<R, Binary<T, R, Op>>(t), m_a(std::move(a)), m_b(std::move(b))
    {
    }
    R value(Machine& m) const
    {
        const T a = evalAs<T>(*m_a, m);
        return Op::apply(a, evalAs<T>(*m_b, m));
    }

private:
    ExprPtr m_a;
    ExprPtr m_b;
};

// The ways the second operand of representation T is read; the first is a slot, a constant or a node.
template <class T> struct OperandKinds
{
    using type = std::variant<SlotOperand<T>, ConstantOperand<T>, NodeOperand<T>>;
};
template <> struct OperandKinds<std::int64_t>
{
    using type =
        std::variant<SlotOperand<std::int64_t>, ConstantOperand<std::int64_t>, NodeOperand<std::int64_t>,
                     WidenedOperand<std::int64_t, std::int32_t>, WidenedNodeOperand>;
};
template <> struct OperandKinds<double>
{
    using type = std::variant<SlotOperand<double>, ConstantOperand<double>, NodeOperand<double>,
                              WidenedOperand<double, std::int32_t>>;
};
// The first operand is a slot or a node: a constant first (2 * i) is rare in a loop, and every kind more
// multiplies the node classes the compiler makes.
template <class T> using FirstOperand = std::variant<SlotOperand<T>, NodeOperand<T>>;

// The local that `e` converts with F, when it is a conversion of a local of representation From.
template <class To, class From, class F> const Local<From>* convertedLocal(const Expr& e)
{
    const auto* converted = dynamic_cast<const Convert<To, From, F>*>(&e);
    return converted ? dynamic_cast<const Local<From>*>(&converted->operand()) : nullptr;
}

// How the operand `e` is read: from a slot or as a constant where it is one, else through its node.
template <class T, class Kinds> Kinds operandOf(ExprPtr e)
{
    if (const auto* local = dynamic_cast<const Local<T>*>(e.get()))
        return SlotOperand<T>{local->slot()};
    if constexpr (std::is_constructible_v<Kinds, ConstantOperand<T>>) {
        if (const auto* constant = dynamic_cast<const Constant<T>*>(e.get()))
            return ConstantOperand<T>{constant->constant()};
    }
    if constexpr (std::is_same_v<T, std::int32_t>) {
        // A char is held as its int value: promoted to int it is the same slot.
        if (const auto* local = convertedLocal<std::int32_t, std::int32_t, CharToInt>(*e))
            return SlotOperand<T>{local->slot()};
    }
    if constexpr (std::is_same_v<Kinds, typename OperandKinds<std::int64_t>::type>) {
        if (const auto* local = convertedLocal<std::int64_t, std::int32_t, IntToLong>(*e))
            return WidenedOperand<T, std::int32_t>{local->slot()};
        if (auto* widened = dynamic_cast<Convert<std::int64_t, std::int32_t, IntToLong>*>(e.get()))
            return WidenedNodeOperand{widened->release()};
    } else if constexpr (std::is_same_v<Kinds, typename OperandKinds<double>::type>) {
        if (const auto* local = convertedLocal<double, std::int32_t, IntToDouble>(*e))
            return WidenedOperand<T, std::int32_t>{local->slot()};
    }
    return NodeOperand<T>{std::shared_ptr<const Expr>(std::move(e))};
}

// A binary operation on primitives: one node that reads its operands by their kind.
template <class T, class R, class Op> ExprPtr binaryNode(Type t, ExprPtr a, ExprPtr b)
{
    if constexpr (!std::is_same_v<T, Ref>) {
        return std::visit(
            [t](auto first, auto second) -> ExprPtr {
                return std::make_unique<BinaryOf<T, R, Op, decltype(first), decltype(second)>>(
                    t, std::move(first), std::move(second));
            },
            operandOf<T, FirstOperand<T>>(std::move(a)),
            operandOf<T, typename OperandKinds<T>::type>(std::move(b)));
    } else {
        return std::make_unique<Binary<T, R, Op>>(t, std::move(a), std::move(b));
    }
}

template <class T, class Op> class Shift final : public Typed<T, Shift<T, Op>>
{
public:
    Shift(Type t, ExprPtr a, ExprPtr b) : Typed<T, Shift<T, Op>>(t), m_a(std::move(a)), m_b(std::move(b)) {}
    T value(Machine& m) const
    {
        const T a = evalAs<T>(*m_a, m);
        return Op::apply(a, m_b->evalInt(m));
    }

private:
    ExprPtr m_a;
    ExprPtr m_b;
};

template <class T> class Negate final : public Typed<T, Negate<T>>
{
public:
    Negate(Type t, ExprPtr e) : Typed<T, Negate<T>>(t), m_e(std::move(e)) {}
    T value(Machine& m) const
    {
        const T v = evalAs<T>(*m_e, m);
        if constexpr (std::is_integral_v<T>)
            return static_cast<T>(Unsigned<T>{0} - static_cast<Unsigned<T>>(v));
        else
            return -v;
    }

private:
    ExprPtr m_e;
};

template <class T> class BitNot final : public Typed<T, BitNot<T>>
{
public:
    BitNot(Type t, ExprPtr e) : Typed<T, BitNot<T>>(t), m_e(std::move(e)) {}
    T value(Machine& m) const { return static_cast<T>(~evalAs<T>(*m_e, m)); }

private:
    ExprPtr m_e;
};

class Not final : public Typed<bool, Not>
{
public:
    explicit Not(ExprPtr e) : Typed<bool, Not>(kBoolean), m_e(std::move(e)) {}
    bool value(Machine& m) const { return !m_e->evalBool(m); }
    const Expr* negated() const override { return m_e.get(); }

private:
    ExprPtr m_e;
};

// && and ||: the second operand runs only when the first does not decide (C++'s own short circuit).
class AndAnd final : public Typed<bool, AndAnd>
{
public:
    AndAnd(ExprPtr a, ExprPtr b) : Typed<bool, AndAnd>(kBoolean), m_a(std::move(a)), m_b(std::move(b)) {}
    bool value(Machine& m) const { return m_a->evalBool(m) && m_b->evalBool(m); }

private:
    ExprPtr m_a;
    ExprPtr m_b;
};

class OrOr final : public Typed<bool, OrOr>
{
public:
    OrOr(ExprPtr a, ExprPtr b) : Typed<bool, OrOr>(kBoolean), m_a(std::move(a)), m_b(std::move(b)) {}
    bool value(Machine& m) const { return m_a->evalBool(m) || m_b->evalBool(m); }

private:
    ExprPtr m_a;
    ExprPtr m_b;
};

template <class R> class Conditional final : public Typed<R, Conditional<R>>
{
public:
    Conditional(Type t, ExprPtr c, ExprPtr a, ExprPtr b)
        : Typed<R, Conditional<R>>(t), m_c(std::move(c)), m_a(std::move(a)), m_b(std::move(b))
    {
    }
    R value(Machine& m) const { return m_c->evalBool(m) ? evalAs<R>(*m_a, m) : evalAs<R>(*m_b, m); }

private:
    ExprPtr m_c;
    ExprPtr m_a;
    ExprPtr m_b;
};

// Appends the string conversion of `e` (of its static type) to `out`.
void appendOperand(std::u16string& out, const Expr& e, Machine& m)
{
    const Type t = e.type();
    Val v;
    evalInto(e, m, v);
    appendValue(out, t, v.p, v.r);
}

// String concatenation of any number of parts (the checker makes one node of a chain a + b + c). The
// text is checked against the heap budget while it grows, so a run cannot build a string far beyond it
// before it is charged.
class Concat final : public Typed<Ref, Concat>
{
public:
    explicit Concat(std::vector<ExprPtr> parts) : Typed<Ref, Concat>(kString), m_parts(std::move(parts)) {}
    Ref value(Machine& m) const
    {
        std::u16string text;
        for (const ExprPtr& part : m_parts) {
            appendOperand(text, *part, m);
            checkHeap(text.size() * sizeof(char16_t));
        }
        return makeString(std::move(text));
    }

private:
    std::vector<ExprPtr> m_parts;
};

// --- Arrays ---
//
// An array of booleans, chars, ints, longs, doubles or references is a JArrayOf of its storage type S;
// a node reads and writes elements in the representation R of their Java type and converts at the
// storage (a char element is stored as 16 bits, read as its int value).

// Java's exceptions for an access at `index` of the array in `ref` (null, or outside its length); kept out
// of line so that the checks themselves are inlined where elements are read and written.
[[noreturn, gnu::noinline, gnu::cold]] void throwBadAccess(const Ref& ref, std::int32_t index)
{
    if (!ref)
        throwJava(JavaError::NullPointer);
    const auto length = static_cast<const JArray&>(*ref.get()).length();
    throwJava(JavaError::ArrayIndexOutOfBounds,
              "Index " + std::to_string(index) + " out of bounds for length " + std::to_string(length),
              msg::arrayIndex(index, length));
}

// The array in `ref` after Java's checks for an access at `index`.
template <class S> inline JArrayOf<S>& checkedArray(const Ref& ref, std::int32_t index)
{
    auto* array = static_cast<JArrayOf<S>*>(ref.get());
    if (!array || index < 0 || index >= array->length()) [[unlikely]]
        throwBadAccess(ref, index);
    return *array;
}

// The C++ representation R of an element stored as S, and back.
template <class R, class S> R fromStorage(const S& s)
{
    if constexpr (std::is_same_v<R, bool>)
        return s != 0;
    else if constexpr (std::is_same_v<R, Ref>)
        return s;
    else
        return static_cast<R>(s);
}

template <class S, class R> S toStorage(const R& v)
{
    if constexpr (std::is_same_v<R, bool>)
        return static_cast<S>(v ? 1 : 0);
    else if constexpr (std::is_same_v<R, Ref>)
        return v;
    else
        return static_cast<S>(v);
}

// An int index that is a local variable is read from its slot without a call.
class IndexOf
{
public:
    explicit IndexOf(const Expr& index) : m_index(index), m_slot(index.readsSlot()) {}
    std::int32_t read(Machine& m) const
    {
        return m_slot >= 0 ? m.prims[static_cast<std::size_t>(m_slot)].i : m_index.evalInt(m);
    }

private:
    const Expr& m_index;
    int m_slot;
};

template <class S, class R> class ArrayLoad final : public Typed<R, ArrayLoad<S, R>>
{
public:
    ArrayLoad(Type t, ExprPtr a, ExprPtr i)
        : Typed<R, ArrayLoad<S, R>>(t), m_a(std::move(a)), m_i(std::move(i)), m_index(*m_i),
          m_slot(m_i->changesNothing() ? m_a->readsSlot() : -1)
    {
    }
    R value(Machine& m) const
    {
        if (m_slot >= 0) {
            // A local array with an index that changes nothing: the slot keeps the array alive while the
            // element is read, so no reference is taken.
            const Ref& array = m.refs[static_cast<std::size_t>(m_slot)];
            const std::int32_t index = m_index.read(m);
            return fromStorage<R>(checkedArray<S>(array, index).data()[index]);
        }
        const Ref array = m_a->evalRef(m);
        const std::int32_t index = m_i->evalInt(m);
        return fromStorage<R>(checkedArray<S>(array, index).data()[index]);
    }
    // Read in place, the element of a local array changes nothing (a failed check ends the step).
    bool changesNothing() const override { return m_slot >= 0; }

private:
    ExprPtr m_a;
    ExprPtr m_i;
    IndexOf m_index;
    int m_slot; // the local array's slot when it can be read in place; else -1
};

template <class S, class R> class ArrayStore final : public Typed<R, ArrayStore<S, R>>
{
public:
    ArrayStore(Type t, ExprPtr a, ExprPtr i, ExprPtr v)
        : Typed<R, ArrayStore<S, R>>(t), m_a(std::move(a)), m_i(std::move(i)), m_v(std::move(v)),
          m_index(*m_i), m_slot(m_i->changesNothing() && m_v->changesNothing() ? m_a->readsSlot() : -1)
    {
        if constexpr (!std::is_same_v<R, Ref>) {
            if (const auto* constant = dynamic_cast<const Constant<R>*>(m_v.get())) {
                m_constant = true;
                m_value = constant->constant();
            }
        }
    }
    R value(Machine& m) const
    {
        if constexpr (!std::is_same_v<R, Ref>) {
            if (m_slot >= 0) {
                // A local array, and index and value that change nothing: the array is the same before
                // and after them, and its slot keeps it alive, so no reference is taken.
                const std::int32_t index = m_index.read(m);
                const R v = m_constant ? m_value : evalAs<R>(*m_v, m);
                checkedArray<S>(m.refs[static_cast<std::size_t>(m_slot)], index).data()[index] =
                    toStorage<S>(v);
                return v;
            }
        }
        // Array, index and value are evaluated before the array is checked.
        const Ref array = m_a->evalRef(m);
        const std::int32_t index = m_i->evalInt(m);
        R v = evalAs<R>(*m_v, m);
        checkedArray<S>(array, index).data()[index] = toStorage<S>(v);
        return v;
    }

private:
    ExprPtr m_a;
    ExprPtr m_i;
    ExprPtr m_v;
    IndexOf m_index;
    int m_slot; // the local array's slot when it can be written in place; else -1
    bool m_constant = false;
    R m_value{}; // the value when it is a constant
};

template <class S, class R> class ArrayUpdate final : public Typed<R, ArrayUpdate<S, R>>
{
public:
    ArrayUpdate(Type t, ExprPtr a, ExprPtr i, int temp, ExprPtr v, bool returnOld)
        : Typed<R, ArrayUpdate<S, R>>(t), m_a(std::move(a)), m_i(std::move(i)),
          m_temp(static_cast<std::size_t>(temp)), m_v(std::move(v)), m_returnOld(returnOld)
    {
    }
    R value(Machine& m) const
    {
        // For a compound assignment the array is checked before the right-hand side is evaluated.
        const Ref array = m_a->evalRef(m);
        const std::int32_t index = m_i->evalInt(m);
        S& element = checkedArray<S>(array, index).data()[index];
        const R old = fromStorage<R>(element);
        if constexpr (std::is_same_v<R, Ref>)
            m.refs[m_temp] = old;
        else
            store(m.prims[m_temp], old);
        R v = evalAs<R>(*m_v, m);
        // The right-hand side cannot replace the array object, so `element` is still valid.
        element = toStorage<S>(v);
        return m_returnOld ? old : v;
    }

private:
    ExprPtr m_a;
    ExprPtr m_i;
    std::size_t m_temp;
    ExprPtr m_v;
    bool m_returnOld;
};

// An element of a local array at the index in a local int, read or given a constant: the node calls
// nothing (a failed check throws out of line), so it runs without saving registers. Sieves and tables
// filled with a constant spend most of their steps here.
template <class S, class R> class SlotArrayLoad final : public Typed<R, SlotArrayLoad<S, R>>
{
public:
    SlotArrayLoad(Type t, int array, int index)
        : Typed<R, SlotArrayLoad<S, R>>(t), m_array(static_cast<std::size_t>(array)),
          m_index(static_cast<std::size_t>(index))
    {
    }
    R value(Machine& m) const
    {
        const std::int32_t index = m.prims[m_index].i;
        return fromStorage<R>(checkedArray<S>(m.refs[m_array], index).data()[index]);
    }
    bool changesNothing() const override { return true; }

private:
    std::size_t m_array;
    std::size_t m_index;
};

template <class S, class R> class SlotArrayStoreConstant final : public Typed<R, SlotArrayStoreConstant<S, R>>
{
public:
    SlotArrayStoreConstant(Type t, int array, int index, R constant)
        : Typed<R, SlotArrayStoreConstant<S, R>>(t), m_array(static_cast<std::size_t>(array)),
          m_index(static_cast<std::size_t>(index)), m_value(constant), m_stored(toStorage<S>(constant))
    {
    }
    R value(Machine& m) const
    {
        const std::int32_t index = m.prims[m_index].i;
        checkedArray<S>(m.refs[m_array], index).data()[index] = m_stored;
        return m_value;
    }

private:
    std::size_t m_array;
    std::size_t m_index;
    R m_value;
    S m_stored;
};

class ArrayLength final : public Typed<std::int32_t, ArrayLength>
{
public:
    explicit ArrayLength(ExprPtr a) : Typed<std::int32_t, ArrayLength>(kInt), m_a(std::move(a)) {}
    std::int32_t value(Machine& m) const
    {
        const Ref array = m_a->evalRef(m);
        if (!array)
            throwJava(JavaError::NullPointer);
        return static_cast<const JArray*>(array.get())->length();
    }

private:
    ExprPtr m_a;
};

class NewArray final : public Typed<Ref, NewArray>
{
public:
    NewArray(Type element, ExprPtr length)
        : Typed<Ref, NewArray>(element.arrayOf()), m_length(std::move(length))
    {
    }
    Ref value(Machine& m) const { return makeArray(type().element(), m_length->evalInt(m)); }

private:
    ExprPtr m_length;
};

template <class S, class R> class ArrayInit final : public Typed<Ref, ArrayInit<S, R>>
{
public:
    ArrayInit(Type element, std::vector<ExprPtr> elements)
        : Typed<Ref, ArrayInit<S, R>>(element.arrayOf()), m_elements(std::move(elements))
    {
    }
    Ref value(Machine& m) const
    {
        Ref array = makeArray(this->type().element(), static_cast<std::int32_t>(m_elements.size()));
        S* data = static_cast<JArrayOf<S>*>(array.get())->data();
        for (std::size_t i = 0; i < m_elements.size(); ++i)
            data[i] = toStorage<S>(evalAs<R>(*m_elements[i], m));
        return array;
    }

private:
    std::vector<ExprPtr> m_elements;
};

// --- Calls ---
//
// A library call evaluates its arguments left to right into untyped Vals (receiver first) and hands
// them to the library function, which writes its result into a Val; the node reads it back in its own
// representation. The checker has converted each argument to the parameter's type already.

template <class R> class Call final : public Typed<R, Call<R>>
{
public:
    Call(Type t, BuiltinFn fn, std::vector<ExprPtr> args)
        : Typed<R, Call<R>>(t), m_fn(fn), m_args(std::move(args))
    {
    }
    R value(Machine& m) const
    {
        Val args[kMaxArgs];
        for (std::size_t i = 0; i < m_args.size(); ++i)
            evalInto(*m_args[i], m, args[i]);
        Val result;
        m_fn(m, args, result);
        if constexpr (std::is_same_v<R, Ref>)
            return std::move(result.r);
        else
            return load<R>(result.p);
    }

private:
    BuiltinFn m_fn;
    std::vector<ExprPtr> m_args;
};

class VoidCall final : public Expr
{
public:
    VoidCall(BuiltinFn fn, std::vector<ExprPtr> args) : Expr(kVoid), m_fn(fn), m_args(std::move(args)) {}
    void evalVoid(Machine& m) const override
    {
        Val args[kMaxArgs];
        for (std::size_t i = 0; i < m_args.size(); ++i)
            evalInto(*m_args[i], m, args[i]);
        Val result;
        m_fn(m, args, result);
    }

private:
    BuiltinFn m_fn;
    std::vector<ExprPtr> m_args;
};

// String.format (gives the string) and printf (writes to the console as the formatter goes, so that
// what comes before a bad specifier is written before the exception, as in Java).
class Format final : public Typed<Ref, Format>
{
public:
    Format(std::vector<ExprPtr> args, bool printf)
        : Typed<Ref, Format>(printf ? kVoid : kString), m_args(std::move(args)), m_printf(printf)
    {
    }
    Ref value(Machine& m) const
    {
        const Ref format = m_args[0]->evalRef(m);
        std::vector<FormatArg> values;
        values.reserve(m_args.size() - 1);
        for (std::size_t i = 1; i < m_args.size(); ++i) {
            Val v;
            evalInto(*m_args[i], m, v);
            values.push_back({m_args[i]->type(), v.p, std::move(v.r)});
        }
        if (!format)
            throwJava(JavaError::NullPointer);
        std::u16string text;
        javaFormat(m_printf ? m.output : text, textOf(format), values, m.symbols);
        return text.empty() ? emptyString() : makeString(std::move(text));
    }

private:
    std::vector<ExprPtr> m_args;
    bool m_printf;
};

class Print final : public Expr
{
public:
    Print(ExprPtr arg, bool newline) : Expr(kVoid), m_arg(std::move(arg)), m_newline(newline) {}
    void evalVoid(Machine& m) const override
    {
        if (m_arg) {
            const Type t = m_arg->type();
            Val v;
            evalInto(*m_arg, m, v);
            if (t == Type{Base::Char, true}) {
                // print(char[]) writes the characters.
                if (!v.r)
                    throwJava(JavaError::NullPointer);
                const auto& chars = static_cast<const CharArray&>(*v.r.get());
                m.output.append(chars.data(), chars.data() + chars.length());
            } else {
                appendValue(m.output, t, v.p, v.r);
            }
        }
        if (m_newline)
            m.output.push_back(u'\n');
    }

private:
    ExprPtr m_arg;
    bool m_newline;
};

// --- Statements ---
//
// A statement returns how it completed; a jump (break, continue, return) ends the statement lists
// around it up to the element, and the step loop follows the node's exit for it.

class ExpressionStatement final : public Stmt
{
public:
    explicit ExpressionStatement(ExprPtr e) : m_e(std::move(e)) {}
    Completion exec(Machine& m) const override
    {
        m_e->evalVoid(m);
        return Completion::Normal;
    }
    const Expr* expression() const override { return m_e.get(); }

private:
    ExprPtr m_e;
};

// A declaration without a value: the variable shows no value again (it may be declared again each time
// round a loop).
class Declare final : public Stmt
{
public:
    explicit Declare(int id) : m_id(static_cast<std::size_t>(id)) {}
    Completion exec(Machine& m) const override
    {
        m.assigned[m_id] = 0;
        return Completion::Normal;
    }

private:
    std::size_t m_id;
};

class If final : public Stmt
{
public:
    If(ExprPtr c, StmtList t, StmtList e) : m_c(std::move(c)), m_then(std::move(t)), m_else(std::move(e)) {}
    Completion exec(Machine& m) const override { return execAll(m_c->evalBool(m) ? m_then : m_else, m); }

private:
    ExprPtr m_c;
    StmtList m_then;
    StmtList m_else;
};

class Block final : public Stmt
{
public:
    explicit Block(StmtList body) : m_body(std::move(body)) {}
    Completion exec(Machine& m) const override { return execAll(m_body, m); }

private:
    StmtList m_body;
};

class Jump final : public Stmt
{
public:
    explicit Jump(Completion c) : m_c(c) {}
    Completion exec(Machine&) const override { return m_c; }

private:
    Completion m_c;
};

// Picks the node template for the representation of `t`.
template <template <class> class N, class... A> ExprPtr byRepresentation(Type t, A&&... args)
{
    if (t.array || t.isReference())
        return std::make_unique<N<Ref>>(t, std::forward<A>(args)...);
    switch (t.base) {
    case Base::Boolean:
        return std::make_unique<N<bool>>(t, std::forward<A>(args)...);
    case Base::Char:
    case Base::Int:
        return std::make_unique<N<std::int32_t>>(t, std::forward<A>(args)...);
    case Base::Long:
        return std::make_unique<N<std::int64_t>>(t, std::forward<A>(args)...);
    default:
        return std::make_unique<N<double>>(t, std::forward<A>(args)...);
    }
}

template <class T, class Op> ExprPtr arith(Type t, ExprPtr a, ExprPtr b)
{
    // The bitwise operations are rare in a loop: their nodes call their operands.
    if constexpr (std::is_same_v<Op, AndOp> || std::is_same_v<Op, OrOp> || std::is_same_v<Op, XorOp>)
        return std::make_unique<Binary<T, T, Op>>(t, std::move(a), std::move(b));
    else
        return binaryNode<T, T, Op>(t, std::move(a), std::move(b));
}

// & | ^ on booleans: both operands are evaluated.
ExprPtr logical(Op op, ExprPtr a, ExprPtr b)
{
    switch (op) {
    case Op::And:
        return arith<bool, AndOp>(kBoolean, std::move(a), std::move(b));
    case Op::Or:
        return arith<bool, OrOp>(kBoolean, std::move(a), std::move(b));
    case Op::Xor:
        return arith<bool, XorOp>(kBoolean, std::move(a), std::move(b));
    default:
        throw std::logic_error("operator not defined for boolean");
    }
}

template <class T> ExprPtr arithmetic(Op op, Type t, ExprPtr a, ExprPtr b)
{
    switch (op) {
    case Op::Add:
        return arith<T, AddOp>(t, std::move(a), std::move(b));
    case Op::Sub:
        return arith<T, SubOp>(t, std::move(a), std::move(b));
    case Op::Mul:
        return arith<T, MulOp>(t, std::move(a), std::move(b));
    case Op::Div:
        return arith<T, DivOp>(t, std::move(a), std::move(b));
    case Op::Rem:
        return arith<T, RemOp>(t, std::move(a), std::move(b));
    default:
        break;
    }
    if constexpr (std::is_integral_v<T>) {
        switch (op) {
        case Op::And:
            return arith<T, AndOp>(t, std::move(a), std::move(b));
        case Op::Or:
            return arith<T, OrOp>(t, std::move(a), std::move(b));
        case Op::Xor:
            return arith<T, XorOp>(t, std::move(a), std::move(b));
        case Op::Shl:
            return std::make_unique<Shift<T, ShlOp>>(t, std::move(a), std::move(b));
        case Op::Shr:
            return std::make_unique<Shift<T, ShrOp>>(t, std::move(a), std::move(b));
        case Op::Ushr:
            return std::make_unique<Shift<T, UshrOp>>(t, std::move(a), std::move(b));
        default:
            break;
        }
    }
    throw std::logic_error("operator not defined for this type");
}

template <class T> ExprPtr comparison(Op op, ExprPtr a, ExprPtr b)
{
    switch (op) {
    case Op::Eq:
        return binaryNode<T, bool, EqOp>(kBoolean, std::move(a), std::move(b));
    case Op::Ne:
        return binaryNode<T, bool, NeOp>(kBoolean, std::move(a), std::move(b));
    default:
        break;
    }
    if constexpr (!std::is_same_v<T, Ref> && !std::is_same_v<T, bool>) {
        switch (op) {
        case Op::Lt:
            return binaryNode<T, bool, LtOp>(kBoolean, std::move(a), std::move(b));
        case Op::Le:
            return binaryNode<T, bool, LeOp>(kBoolean, std::move(a), std::move(b));
        case Op::Gt:
            return binaryNode<T, bool, GtOp>(kBoolean, std::move(a), std::move(b));
        case Op::Ge:
            return binaryNode<T, bool, GeOp>(kBoolean, std::move(a), std::move(b));
        default:
            break;
        }
    }
    throw std::logic_error("comparison not defined for this type");
}

// The store of `value` into the local array at the local index when `value` is a constant; else null.
template <class S, class R>
ExprPtr slotStoreOfConstant(Type element, int arraySlot, int indexSlot, const Expr& value)
{
    if (const auto* constant = dynamic_cast<const Constant<R>*>(&value))
        return std::make_unique<SlotArrayStoreConstant<S, R>>(element, arraySlot, indexSlot,
                                                              constant->constant());
    return nullptr;
}

// The node N<S, R> for an array element of type `element`: S how the array stores it, R how the program
// holds it.
template <template <class, class> class N, class... A> ExprPtr byPrimitiveElement(Type element, A&&... args)
{
    switch (element.base) {
    case Base::Boolean:
        return std::make_unique<N<std::uint8_t, bool>>(std::forward<A>(args)...);
    case Base::Char:
        return std::make_unique<N<std::uint16_t, std::int32_t>>(std::forward<A>(args)...);
    case Base::Int:
        return std::make_unique<N<std::int32_t, std::int32_t>>(std::forward<A>(args)...);
    case Base::Long:
        return std::make_unique<N<std::int64_t, std::int64_t>>(std::forward<A>(args)...);
    default:
        return std::make_unique<N<double, double>>(std::forward<A>(args)...);
    }
}

template <template <class, class> class N, class... A> ExprPtr byElement(Type element, A&&... args)
{
    if (element.isPrimitive())
        return byPrimitiveElement<N>(element, std::forward<A>(args)...);
    return std::make_unique<N<Ref, Ref>>(std::forward<A>(args)...);
}

} // namespace

// --- Factories ---

ExprPtr makeConstant(Type type, Prim value, Ref ref)
{
    if (type.array || type.isReference())
        return std::make_unique<Constant<Ref>>(type, std::move(ref));
    switch (type.base) {
    case Base::Boolean:
        return std::make_unique<Constant<bool>>(type, value.i != 0);
    case Base::Char:
    case Base::Int:
        return std::make_unique<Constant<std::int32_t>>(type, value.i);
    case Base::Long:
        return std::make_unique<Constant<std::int64_t>>(type, value.l);
    default:
        return std::make_unique<Constant<double>>(type, value.d);
    }
}

ExprPtr makeLocal(Type type, int slot)
{
    return byRepresentation<Local>(type, slot);
}

namespace {

// The value stored in the same node when the operation reads its operands itself and has the variable's
// representation.
ExprPtr storedDirectly(Type type, int slot, int id, const Expr& value, bool returnOld)
{
    const Type t = value.type();
    if (type.array || type.isReference() || t.array || t.isReference() || t.base != type.base)
        return {};
    return value.storedInto(slot, id, returnOld);
}

} // namespace

ExprPtr makeAssignLocal(Type type, int slot, int id, ExprPtr value)
{
    if (ExprPtr direct = storedDirectly(type, slot, id, *value, false))
        return direct;
    return byRepresentation<AssignLocal>(type, slot, id, std::move(value));
}

ExprPtr makeUpdateLocal(Type type, int slot, int id, ExprPtr value, bool returnOld)
{
    if (ExprPtr direct = storedDirectly(type, slot, id, *value, returnOld))
        return direct;
    return byRepresentation<UpdateLocal>(type, slot, id, std::move(value), returnOld);
}

ExprPtr makeConvert(Type to, ExprPtr e)
{
    const Base from = e->type().base;
    const Base target = to.base;
    if (from == target)
        return e;
    if (from == Base::Char && target == Base::Int)
        return std::make_unique<Convert<std::int32_t, std::int32_t, CharToInt>>(to, std::move(e));
    if (target == Base::Long && (from == Base::Int || from == Base::Char))
        return std::make_unique<Convert<std::int64_t, std::int32_t, IntToLong>>(to, std::move(e));
    if (target == Base::Double && (from == Base::Int || from == Base::Char))
        return std::make_unique<Convert<double, std::int32_t, IntToDouble>>(to, std::move(e));
    if (target == Base::Double && from == Base::Long)
        return std::make_unique<Convert<double, std::int64_t, LongToDouble>>(to, std::move(e));
    if (target == Base::Int && from == Base::Long)
        return std::make_unique<Convert<std::int32_t, std::int64_t, LongToInt>>(to, std::move(e));
    if (target == Base::Int && from == Base::Double)
        return std::make_unique<Convert<std::int32_t, double, DoubleToInt>>(to, std::move(e));
    if (target == Base::Long && from == Base::Double)
        return std::make_unique<Convert<std::int64_t, double, DoubleToLong>>(to, std::move(e));
    if (target == Base::Char && from == Base::Int)
        return std::make_unique<Convert<std::int32_t, std::int32_t, IntToChar>>(to, std::move(e));
    if (target == Base::Char && from == Base::Long)
        return std::make_unique<Convert<std::int32_t, std::int64_t, LongToChar>>(to, std::move(e));
    if (target == Base::Char && from == Base::Double)
        return std::make_unique<Convert<std::int32_t, double, DoubleToChar>>(to, std::move(e));
    throw std::logic_error("no such conversion");
}

ExprPtr makeBinary(Op op, Type operands, ExprPtr a, ExprPtr b)
{
    const bool compare = op >= Op::Lt;
    if (operands.array || operands.isReference())
        return comparison<Ref>(op, std::move(a), std::move(b));
    switch (operands.base) {
    case Base::Boolean:
        if (compare)
            return comparison<bool>(op, std::move(a), std::move(b));
        return logical(op, std::move(a), std::move(b));
    case Base::Char:
    case Base::Int:
        if (compare)
            return comparison<std::int32_t>(op, std::move(a), std::move(b));
        return arithmetic<std::int32_t>(op, kInt, std::move(a), std::move(b));
    case Base::Long:
        if (compare)
            return comparison<std::int64_t>(op, std::move(a), std::move(b));
        return arithmetic<std::int64_t>(op, kLong, std::move(a), std::move(b));
    default:
        if (compare)
            return comparison<double>(op, std::move(a), std::move(b));
        return arithmetic<double>(op, kDouble, std::move(a), std::move(b));
    }
}

ExprPtr makeNegate(ExprPtr e)
{
    const Type t = e->type();
    if (t.base == Base::Long)
        return std::make_unique<Negate<std::int64_t>>(t, std::move(e));
    if (t.base == Base::Double)
        return std::make_unique<Negate<double>>(t, std::move(e));
    return std::make_unique<Negate<std::int32_t>>(kInt, std::move(e));
}

ExprPtr makeBitNot(ExprPtr e)
{
    const Type t = e->type();
    if (t.base == Base::Long)
        return std::make_unique<BitNot<std::int64_t>>(t, std::move(e));
    return std::make_unique<BitNot<std::int32_t>>(kInt, std::move(e));
}

ExprPtr makeNot(ExprPtr e)
{
    return std::make_unique<Not>(std::move(e));
}

ExprPtr makeAndAnd(ExprPtr a, ExprPtr b)
{
    return std::make_unique<AndAnd>(std::move(a), std::move(b));
}

ExprPtr makeOrOr(ExprPtr a, ExprPtr b)
{
    return std::make_unique<OrOr>(std::move(a), std::move(b));
}

ExprPtr makeConditional(Type type, ExprPtr c, ExprPtr a, ExprPtr b)
{
    return byRepresentation<Conditional>(type, std::move(c), std::move(a), std::move(b));
}

ExprPtr makeConcat(std::vector<ExprPtr> parts)
{
    return std::make_unique<Concat>(std::move(parts));
}

ExprPtr makeArrayLoad(Type element, ExprPtr array, ExprPtr index)
{
    const int arraySlot = array->readsSlot();
    const int indexSlot = index->readsSlot();
    if (arraySlot >= 0 && indexSlot >= 0 && element.isPrimitive())
        return byPrimitiveElement<SlotArrayLoad>(element, element, arraySlot, indexSlot);
    return byElement<ArrayLoad>(element, element, std::move(array), std::move(index));
}

ExprPtr makeArrayStore(Type element, ExprPtr array, ExprPtr index, ExprPtr value)
{
    const int arraySlot = array->readsSlot();
    const int indexSlot = index->readsSlot();
    if (arraySlot >= 0 && indexSlot >= 0 && element.isPrimitive()) {
        ExprPtr made;
        switch (element.base) {
        case Base::Boolean:
            made = slotStoreOfConstant<std::uint8_t, bool>(element, arraySlot, indexSlot, *value);
            break;
        case Base::Char:
            made = slotStoreOfConstant<std::uint16_t, std::int32_t>(element, arraySlot, indexSlot, *value);
            break;
        case Base::Int:
            made = slotStoreOfConstant<std::int32_t, std::int32_t>(element, arraySlot, indexSlot, *value);
            break;
        case Base::Long:
            made = slotStoreOfConstant<std::int64_t, std::int64_t>(element, arraySlot, indexSlot, *value);
            break;
        case Base::Double:
            made = slotStoreOfConstant<double, double>(element, arraySlot, indexSlot, *value);
            break;
        default:
            break;
        }
        if (made)
            return made;
    }
    return byElement<ArrayStore>(element, element, std::move(array), std::move(index), std::move(value));
}

ExprPtr makeArrayUpdate(Type element, ExprPtr array, ExprPtr index, int temp, ExprPtr value, bool returnOld)
{
    return byElement<ArrayUpdate>(element, element, std::move(array), std::move(index), temp,
                                  std::move(value), returnOld);
}

ExprPtr makeArrayLength(ExprPtr array)
{
    return std::make_unique<ArrayLength>(std::move(array));
}

ExprPtr makeNewArray(Type element, ExprPtr length)
{
    return std::make_unique<NewArray>(element, std::move(length));
}

ExprPtr makeArrayInit(Type element, std::vector<ExprPtr> elements)
{
    switch (element.base) {
    case Base::Boolean:
        return std::make_unique<ArrayInit<std::uint8_t, bool>>(element, std::move(elements));
    case Base::Char:
        return std::make_unique<ArrayInit<std::uint16_t, std::int32_t>>(element, std::move(elements));
    case Base::Int:
        return std::make_unique<ArrayInit<std::int32_t, std::int32_t>>(element, std::move(elements));
    case Base::Long:
        return std::make_unique<ArrayInit<std::int64_t, std::int64_t>>(element, std::move(elements));
    case Base::Double:
        return std::make_unique<ArrayInit<double, double>>(element, std::move(elements));
    default:
        return std::make_unique<ArrayInit<Ref, Ref>>(element, std::move(elements));
    }
}

ExprPtr makeCall(Type result, BuiltinFn fn, std::vector<ExprPtr> args)
{
    if (result == kVoid)
        return std::make_unique<VoidCall>(fn, std::move(args));
    return byRepresentation<Call>(result, fn, std::move(args));
}

ExprPtr makeFormat(std::vector<ExprPtr> args, bool printf)
{
    return std::make_unique<Format>(std::move(args), printf);
}

ExprPtr makePrint(ExprPtr arg, bool newline)
{
    return std::make_unique<Print>(std::move(arg), newline);
}

StmtPtr makeExpressionStatement(ExprPtr e)
{
    return std::make_unique<ExpressionStatement>(std::move(e));
}

StmtPtr makeDeclare(int id)
{
    return std::make_unique<Declare>(id);
}

StmtPtr makeIf(ExprPtr condition, StmtList thenPart, StmtList elsePart)
{
    return std::make_unique<If>(std::move(condition), std::move(thenPart), std::move(elsePart));
}

StmtPtr makeBlock(StmtList body)
{
    return std::make_unique<Block>(std::move(body));
}

StmtPtr makeJump(Completion completion)
{
    return std::make_unique<Jump>(completion);
}

} // namespace runtime
