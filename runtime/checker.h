#pragma once

// The checker: one class whose members are implemented by concern in the files checker.cpp (the entry,
// problems and the parse pass), checker_scopes.cpp, checker_flow.cpp, checker_graph.cpp,
// checker_types.cpp and checker_calls.cpp. Only Check() (runtime.h) is seen outside the runtime.

#include "runtime/lexer.h"
#include "runtime/library.h"
#include "runtime/program.h"
#include "runtime/runtime.h"
#include "runtime/syntax.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace runtime::checking {

// A set of variables by their definite-assignment index. `m_fill` stands for every index beyond the
// stored words: the set after a jump holds every variable ("vacuously assigned").
class Bits
{
public:
    static Bits all()
    {
        Bits b;
        b.m_fill = true;
        return b;
    }
    bool test(int i) const
    {
        const auto w = static_cast<std::size_t>(i) / 64;
        return w < m_words.size() ? ((m_words[w] >> (i % 64)) & 1u) != 0 : m_fill;
    }
    void set(int i, bool value)
    {
        const auto w = static_cast<std::size_t>(i) / 64;
        if (w >= m_words.size())
            m_words.resize(w + 1, m_fill ? ~std::uint64_t{0} : 0);
        const std::uint64_t bit = std::uint64_t{1} << (i % 64);
        m_words[w] = value ? (m_words[w] | bit) : (m_words[w] & ~bit);
    }
    void intersect(const Bits& o)
    {
        const std::size_t n = std::max(m_words.size(), o.m_words.size());
        m_words.resize(n, m_fill ? ~std::uint64_t{0} : 0);
        for (std::size_t i = 0; i < n; ++i)
            m_words[i] &= i < o.m_words.size() ? o.m_words[i] : (o.m_fill ? ~std::uint64_t{0} : 0);
        m_fill = m_fill && o.m_fill;
    }

private:
    std::vector<std::uint64_t> m_words;
    bool m_fill = false;
};

// The value of a compile-time constant: primitives in `prim`, strings in `text`.
struct Constant
{
    Prim prim{};
    std::u16string text;
};

// A compiled expression.
struct Value
{
    ExprPtr node;
    Type type = kError;
    std::optional<Constant> constant;

    bool bad() const { return type.isError(); }
};

// A compiled condition with the variables definitely assigned when it is true and when it is false.
struct Cond
{
    Value value;
    Bits whenTrue;
    Bits whenFalse;
};

// A declared variable. Every declaration gets a slot of its own for the whole program (prims or refs by
// its type), so a run allocates nothing per step; `id` indexes the program's variables (the variables
// view, the assigned marks).
struct Var
{
    std::u16string name;
    Type type;
    int slot = 0;
    int id = 0;
    bool isFinal = false;
    std::optional<Constant> constant; // a final variable with a constant initializer is a constant
    int da = -1;                      // definite-assignment index; -1 for variables that always have a value
    int depth = 0;
};

// What the break and continue statements of one loop leave: the variables definitely assigned at every
// break (and continue), whether there is one, and the nodes that hold them (patched when the loop ends).
struct LoopContext
{
    Bits breakDA = Bits::all();
    Bits continueDA = Bits::all();
    bool breaks = false;
    bool continues = false;
    std::vector<int> breakNodes;
    std::vector<int> continueNodes;
};

// Which successor of a node an exit sets: next, alt or breakTarget.
enum class Slot { Next, Alt, Break };

// A way out of a node that is still open: patched to the node emitted next (or -1 at the end).
struct Exit
{
    int node;
    Slot slot;
};

// What a statement text holds once parsed; `statements` is empty when `error` is set.
struct Parsed
{
    std::vector<SyntaxStmtPtr> statements;
    SyntaxExprPtr condition;
    ForHeader header;
    std::string error;
};

bool isTypeName(const TypeRef& t, std::u16string_view name);
// Whether `text` is one Java identifier (not a keyword).
bool isIdentifierText(const std::u16string& text);
// A text of the program (UTF-16) as messages quote it (code page 1252).
std::string cp(const std::u16string& s);
// An operator as the messages quote it.
std::string opText(Punct op);

// Checks one design and builds its program: check() runs both passes once.
class Checker
{
public:
    explicit Checker(Program& program) : m_p(program), m_scratch(nullptr, nullptr, NumberSymbols{}) {}

    std::vector<Problem> check(const TBlock& root);

    // The counting loops whose variable no enclosing scope declares, so that the loop declares it.
    std::vector<ElementId> declaringLoops() const { return m_declaringLoops; }

private:
    struct ScopeMark
    {
        std::size_t visible;
        int head;
    };

    // The target of an assignment or of ++ / --.
    struct Target
    {
        const Var* variable = nullptr; // a local variable
        Value array;                   // or an array element: the array and the index
        Value index;
        Type type = kError;
        bool ok = false;
    };

    // Problems and the first pass: parsing every element (checker.cpp)

    Value bad() { return Value{makeConstant(kError, Prim{}), kError, std::nullopt}; }
    void parseAll(const TBlock& root) { parseSequence(root.FirstChild.get()); }
    void problem(const std::string& message);
    Value failed(const std::string& message);
    int elementIndex(const TElement* e);
    void parseSequence(const TElement* first);
    void parse(const TElement& e);
    static Parsed parseText(const TElement& e);
    void scanParsed(const Parsed& p);
    static void standInForFailed(const TElement& e, Parsed& p);
    void scanType(const std::u16string& name, bool primitive);
    void scanNames(const SyntaxStmt& s);
    void scanNames(const SyntaxExpr* e);

    // Scopes, names and declarations (checker_scopes.cpp)

    int hiddenSlot(Type type) { return type.isPrimitive() ? m_p.primSlots++ : m_p.refSlots++; }
    void declareArgs();
    int addVariable(Var v);
    const Var* lookup(const std::u16string& name) const;
    ScopeMark enterScope();
    void exitScope(ScopeMark mark);
    const Var& declare(const std::u16string& name, Type type, bool isFinal, bool blank);
    std::optional<Type> resolveType(const TypeRef& t, int extraDims);
    void declaration(const SyntaxStmt& s, StmtList& out);
    void assignDeclared(const Var& declared, Value init, StmtList& out);
    Value readVariable(const Var& v);
    Value name(const SyntaxExpr& e);
    std::optional<std::u16string> className(const SyntaxExpr& e) const;
    bool isSystemField(const SyntaxExpr& e, std::u16string_view field) const;
    Target target(const SyntaxExpr& e);

    // Flow: definite assignment through conditions, jumps and reachability (checker_flow.cpp)

    void reach();
    std::optional<bool> constantBool(const Value& v) const;
    ExprPtr conditionNode(Cond& c);
    void leaveLoop(const LoopContext& loop, int continueTarget, std::vector<Exit> exits, const Bits& exitDA);
    void jump(bool isBreak, StmtList& out);
    Cond negated(Cond c);
    Cond condition(const SyntaxExpr& e);
    Cond notCondition(const SyntaxExpr& e);
    Cond andOrCondition(const SyntaxExpr& e);
    Cond conditional(const SyntaxExpr& e);

    // Building the step graph from the elements and their statements (checker_graph.cpp)

    ProgramNode& node(int index) { return m_p.nodes[static_cast<std::size_t>(index)]; }
    int emit();
    void patch(const std::vector<Exit>& exits, int target);
    void sequence(const TElement* first);
    void element(const TElement& e);
    void statementElement(const Parsed& p);
    void body(const TBlock* block);
    void ifElement(const TIf& e, const Parsed& p);
    void whileElement(const TWhile& e, const Parsed& p);
    void doElement(const TDoWhile& e, const Parsed& p);
    void forElement(const TFor& e, const Parsed& p);
    void statement(const SyntaxStmt& s, StmtList& out);
    void ifStatement(const SyntaxStmt& s, StmtList& out);
    void embedded(const SyntaxStmt& s, StmtList& out);
    static bool isStatementExpression(const SyntaxExpr& e);
    StmtPtr statementExpression(const SyntaxExpr& e);

    // Expressions: types, conversions and constant folding (checker_types.cpp)

    Value constantValue(Type type, Constant c);
    Value make(ExprPtr node);
    Value fold(Value v);
    Value expression(const SyntaxExpr& e);
    Value literal(const SyntaxExpr& e);
    Value field(const SyntaxExpr& e);
    Value index(const SyntaxExpr& e);
    Value intIndex(const SyntaxExpr& e);
    Value promote(Value v, Type to);
    Value unary(const SyntaxExpr& e);
    Value binary(const SyntaxExpr& e);
    Value combine(Punct punct, Value a, Value b);
    Value badOperands(Punct punct, const Value& a, const Value& b);
    Value operation(Punct punct, Op op, Value a, Value b);
    Value promoted(Op op, Value a, Value b);
    Value shift(Punct punct, Op op, Value a, Value b);
    Value assignTo(Value v, Type to);
    static std::optional<Type> conditionalType(const Value& x, const Value& y);
    Value castTo(Value v, Type to);
    Value cast(const SyntaxExpr& e);
    Value assignment(const SyntaxExpr& e);
    Value increment(const SyntaxExpr& e);
    Value arrayInitializer(const SyntaxExpr& e, Type arrayType);
    Value newArray(const SyntaxExpr& e);

    // Calls of the library, overload choice and constructors (checker_calls.cpp)

    Value newObject(const SyntaxExpr& e);
    Value call(const SyntaxExpr& e);
    Value libraryCall(const std::u16string& name, const std::optional<std::u16string>& owner, Value receiver,
                      const std::vector<const SyntaxExpr*>& argExprs);
    Value unknownMethod(const std::u16string& name, const std::vector<const SyntaxExpr*>& args);
    const Builtin* resolve(std::u16string_view owner, const std::u16string& name, bool instance,
                           const std::vector<Value>& args);
    Value printCall(const std::u16string& name, const std::vector<const SyntaxExpr*>& argExprs);
    Value formatCall(const std::u16string& name, const std::vector<const SyntaxExpr*>& argExprs, bool printf);
    Value exitCall(const std::vector<const SyntaxExpr*>& argExprs);
    Value valueOfCall(const std::vector<const SyntaxExpr*>& argExprs);

    Program& m_p;
    // The machine constant expressions are folded on: no console, no input.
    Machine m_scratch;
    std::vector<Problem> m_problems;
    std::vector<ElementId> m_declaringLoops;
    std::set<std::pair<int, std::string>> m_reported;
    bool m_silent = false;
    // Elements with problems found while parsing, and those the rest of the check keeps silent about.
    std::set<int> m_failed;
    std::set<int> m_quiet;
    std::unordered_map<const TElement*, int> m_elementIndex;
    std::unordered_map<const TElement*, Parsed> m_parsed;
    std::map<std::u16string, Ref> m_interned;
    int m_element = 0;
    int m_node = -1;
    // Every variable declared so far, by id; the ids of those in scope, in the order of their
    // declarations; and the same ids by name, so that a look-up costs no walk through the scopes.
    std::vector<Var> m_vars;
    std::vector<int> m_visible;
    std::unordered_map<std::u16string, std::vector<int>> m_visibleByName;
    int m_head = -1;
    int m_depth = 0;
    int m_nextDA = 0;

    // Flow: what is definitely assigned here, whether here can be reached, the loops around here, and
    // the exits that go on to the next node emitted.
    Bits m_da;
    bool m_reachable = true;
    std::vector<LoopContext> m_loops;
    std::vector<Exit> m_pending;
};

} // namespace runtime::checking
