// Check(): the design's texts to a program, with the compile-time rules of Java for the subset.
//
// First every element's text is parsed as the Java fragment the export makes of it. Texts that are not
// Java are reported from this pass alone, as the compiler reports only syntax errors when there are any:
// syntax errors, expressions standing as statements, and names no program can declare (unknown types,
// methods of the program's own), which is what pseudo-code such as "Eingabe x" becomes. Then the
// elements are walked in the order of the Java text: names are resolved against the scopes (a branch or
// loop body is a block, a named block is not, since it becomes comments), types are checked with Java's
// conversions, definite assignment and reachability follow the rules of the language, and each element
// becomes a node of the program graph.
#include "runtime/runtime.h"

#include "model/looptext.h"
#include "runtime/javatext.h"
#include "runtime/library.h"
#include "runtime/messages.h"
#include "runtime/program.h"
#include "runtime/pseudocode.h"
#include "runtime/syntax.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>

namespace runtime {

namespace {

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

struct Var
{
    std::u16string name;
    Type type;
    int slot = 0;
    int id = 0;
    bool isFinal = false;
    std::optional<Constant> constant;
    int da = -1; // definite-assignment index; -1 for variables that always have a value
    int depth = 0;
};

struct LoopContext
{
    Bits breakDA = Bits::all();
    Bits continueDA = Bits::all();
    bool breaks = false;
    bool continues = false;
    std::vector<int> breakNodes;
    std::vector<int> continueNodes;
};

enum class Slot { Next, Alt, Break };

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

bool isTypeName(const TypeRef& t, std::u16string_view name)
{
    return t.name == name;
}

// Whether `text` is one Java identifier (not a keyword).
bool isIdentifierText(const std::u16string& text)
{
    if (text.empty() || !isIdentifierStart(text[0]) || isKeyword(text))
        return false;
    for (char16_t c : text)
        if (!isIdentifierPart(c))
            return false;
    return true;
}

std::string cp(const std::u16string& s)
{
    return toCp1252(s);
}

bool widens(Base from, Base to)
{
    switch (from) {
    case Base::Char:
        return to == Base::Int || to == Base::Long || to == Base::Double;
    case Base::Int:
        return to == Base::Long || to == Base::Double;
    case Base::Long:
        return to == Base::Double;
    default:
        return false;
    }
}

class Checker
{
public:
    explicit Checker(Program& program) : m_p(program), m_scratch(nullptr, nullptr, NumberSymbols{}) {}

    std::vector<Problem> check(const TBlock& root)
    {
        parseAll(root);
        // The elements whose texts did not parse or name what no program declares were reported once;
        // the rest of the check passes over them in silence (their variables are declared with the
        // error type, which no use complains about), so that it reports the problems of the others.
        m_quiet = m_failed;
        declareArgs();
        m_depth = 0;
        sequence(root.FirstChild.get());
        patch(m_pending, -1);
        m_p.endScope = m_head;
        m_p.entry = m_p.nodes.empty() ? -1 : 0;
        // In the order of the design: an element's problems from parsing and from the rest together.
        std::stable_sort(m_problems.begin(), m_problems.end(), [this](const Problem& a, const Problem& b) {
            return m_elementIndex.at(a.element.element) < m_elementIndex.at(b.element.element);
        });
        return std::move(m_problems);
    }

    // The counting loops whose variable no enclosing scope declares, so that the loop declares it.
    std::vector<ElementId> declaringLoops() const { return m_declaringLoops; }

private:
    // --- Problems ---

    void problem(const std::string& message)
    {
        if (m_silent || m_quiet.count(m_element))
            return;
        const ProgramElement& e = m_p.elements[static_cast<std::size_t>(m_element)];
        std::string text = message + " in \x84" + e.text + "\x93";
        if (!m_reported.insert({m_element, text}).second)
            return;
        m_problems.push_back({e.id, std::move(text)});
    }

    Value bad() { return Value{makeConstant(kError, Prim{}), kError, std::nullopt}; }

    Value failed(const std::string& message)
    {
        problem(message);
        return bad();
    }

    // --- Parsing every element first ---

    int elementIndex(const TElement* e)
    {
        auto [it, added] = m_elementIndex.try_emplace(e, static_cast<int>(m_p.elements.size()));
        if (added)
            m_p.elements.push_back({{e, e->serial()}, e->Text});
        return it->second;
    }

    // Parses the fragments of every element, in the order of the design.
    void parseAll(const TBlock& root) { parseSequence(root.FirstChild.get()); }

    void parseSequence(const TElement* first)
    {
        for (const TElement* e = first; e; e = e->Next.get()) {
            if (const TBlock* b = asBlock(e)) {
                parseSequence(b->FirstChild.get());
                continue;
            }
            parse(*e);
            const TBedingung* c = asCondition(e);
            if (!c)
                continue;
            for (int i = 1; i <= c->BranchCount; ++i)
                if (const TBlock* branch = c->branch(i))
                    parseSequence(branch->FirstChild.get());
        }
    }

    void parse(const TElement& e)
    {
        const std::size_t problemsBefore = m_problems.size();
        Parsed p;
        const std::u16string text = fromCp1252(e.Text);
        try {
            switch (e.kind()) {
            case Kind::Anweisung: {
                std::u16string fragment = text;
                if (fragment.empty() || fragment.back() != u';')
                    fragment.push_back(u';');
                p.statements = parseStatements(fragment);
                break;
            }
            case Kind::Block:
                break;
            case Kind::For: {
                const LoopParts parts = splitLoopText(e.Text);
                const std::u16string v = fromCp1252(parts.variable);
                p.header = parseForHeader(v + u"=" + fromCp1252(parts.start) + u";" + v + u"<=" +
                                          fromCp1252(parts.end) + u";" + v + u"=" + v + u"+1)");
                break;
            }
            default:
                p.condition = parseCondition(text);
                break;
            }
            m_element = elementIndex(&e);
            for (const SyntaxStmtPtr& s : p.statements)
                scanNames(*s);
            scanNames(p.condition.get());
            for (const SyntaxExprPtr& x : p.header.init) {
                if (!isStatementExpression(*x))
                    problem(msg::kNotAStatement);
                scanNames(x.get());
            }
            scanNames(p.header.test.get());
        } catch (const SyntaxError& error) {
            p.error = error.what();
            m_element = elementIndex(&e);
            problem(msg::syntaxError(p.error));
            // A condition that stands for the one that did not parse: of no known value, and silent.
            auto unknown = std::make_unique<SyntaxExpr>();
            unknown->kind = SyntaxExprKind::Name;
            if (e.kind() == Kind::For) {
                // The counting variable still gets a value, so that its uses in the body raise nothing.
                const std::u16string v = fromCp1252(splitLoopText(e.Text).variable);
                if (isIdentifierText(v)) {
                    try {
                        p.header = parseForHeader(v + u"=0;" + v + u"<=0;" + v + u"=" + v + u"+1)");
                    } catch (const SyntaxError&) {
                        p.header = {}; // a keyword: no variable
                    }
                }
                p.header.test = std::move(unknown);
            } else if (e.kind() != Kind::Anweisung)
                p.condition = std::move(unknown);
        }
        m_element = elementIndex(&e);
        if (m_problems.size() > problemsBefore) {
            m_failed.insert(m_element);
            // Pseudo-code gets one message that says what to write in Java instead.
            if (std::optional<std::string> advice = pseudoCodeAdvice(e.Text, e.kind() != Kind::Anweisung)) {
                m_problems.resize(problemsBefore);
                m_problems.push_back(
                    {m_p.elements[static_cast<std::size_t>(m_element)].id, std::move(*advice)});
            }
        }
        m_parsed.emplace(&e, std::move(p));
    }

    // Names that no program can declare (a type, a method of its own, a class) mark a text as pseudo-code
    // ("Eingabe x", "ausgeben(summe)"); they are reported with the syntax errors.
    void scanType(const std::u16string& name, bool primitive)
    {
        static const std::set<std::u16string> kKnown = {u"int",
                                                        u"long",
                                                        u"double",
                                                        u"boolean",
                                                        u"char",
                                                        u"String",
                                                        u"java.lang.String",
                                                        u"Scanner",
                                                        u"java.util.Scanner",
                                                        u"var"};
        if (kKnown.count(name))
            return;
        problem(primitive ? msg::typeUnsupported(cp(name)) : msg::unknownType(cp(name)));
    }

    void scanNames(const SyntaxStmt& s)
    {
        if (s.kind == SyntaxStmtKind::Expression && !isStatementExpression(*s.expr))
            problem(msg::kNotAStatement);
        if (s.kind == SyntaxStmtKind::Declaration) {
            scanType(s.type.name, s.type.primitive);
            for (const Declarator& d : s.declarators)
                scanNames(d.init.get());
        }
        scanNames(s.expr.get());
        for (const SyntaxStmtPtr& inner : s.body)
            scanNames(*inner);
    }

    void scanNames(const SyntaxExpr* e)
    {
        if (!e)
            return;
        if (e->kind == SyntaxExprKind::Call && !e->args[0])
            problem(msg::unknownMethod(cp(e->name)));
        if (e->kind == SyntaxExprKind::Cast || e->kind == SyntaxExprKind::NewArray ||
            e->kind == SyntaxExprKind::NewObject)
            scanType(e->type.name, e->type.primitive);
        for (const SyntaxExprPtr& x : e->args)
            scanNames(x.get());
    }

    // --- Scopes and variables ---

    void declareArgs()
    {
        Var v;
        v.name = u"args";
        v.type = Type{Base::String, true};
        v.slot = m_p.refSlots++;
        v.id = static_cast<int>(m_vars.size());
        m_p.argsSlot = v.slot;
        addVariable(std::move(v));
    }

    int addVariable(Var v)
    {
        v.depth = m_depth;
        m_p.variables.push_back({cp(v.name), v.type, v.slot, m_depth});
        m_p.links.push_back({v.id, m_head});
        m_head = static_cast<int>(m_p.links.size()) - 1;
        m_visible.push_back(v.id);
        m_vars.push_back(std::move(v));
        return m_vars.back().id;
    }

    const Var* lookup(const std::u16string& name) const
    {
        for (auto it = m_visible.rbegin(); it != m_visible.rend(); ++it)
            if (m_vars[static_cast<std::size_t>(*it)].name == name)
                return &m_vars[static_cast<std::size_t>(*it)];
        return nullptr;
    }

    struct ScopeMark
    {
        std::size_t visible;
        int head;
    };

    ScopeMark enterScope()
    {
        ++m_depth;
        return {m_visible.size(), m_head};
    }

    void exitScope(ScopeMark mark)
    {
        --m_depth;
        m_visible.resize(mark.visible);
        m_head = mark.head;
    }

    // Declares a local variable of `type`; `blank` when it has no value yet.
    const Var& declare(const std::u16string& name, Type type, bool isFinal, bool blank)
    {
        if (lookup(name))
            problem(msg::alreadyDeclared(cp(name)));
        Var v;
        v.name = name;
        v.type = type;
        v.isFinal = isFinal;
        v.slot = type.isPrimitive() ? m_p.primSlots++ : m_p.refSlots++;
        v.id = static_cast<int>(m_vars.size());
        v.da = m_nextDA++;
        m_da.set(v.da, !blank);
        addVariable(std::move(v));
        return m_vars.back();
    }

    int hiddenSlot(Type type) { return type.isPrimitive() ? m_p.primSlots++ : m_p.refSlots++; }

    // --- Program graph ---

    int emit()
    {
        ProgramNode node;
        node.element = m_element;
        node.scopeBefore = m_head;
        node.scopeAfter = m_head;
        m_p.nodes.push_back(std::move(node));
        const int index = static_cast<int>(m_p.nodes.size()) - 1;
        patch(m_pending, index);
        m_pending.clear();
        return index;
    }

    ProgramNode& node(int index) { return m_p.nodes[static_cast<std::size_t>(index)]; }

    void patch(const std::vector<Exit>& exits, int target)
    {
        for (const Exit& e : exits) {
            ProgramNode& n = node(e.node);
            (e.slot == Slot::Next ? n.next : e.slot == Slot::Alt ? n.alt : n.breakTarget) = target;
        }
    }

    // --- Elements ---

    // Each element in a sequence, in order; named blocks stand for their children.
    void sequence(const TElement* first)
    {
        for (const TElement* e = first; e; e = e->Next.get())
            element(*e);
    }

    void element(const TElement& e)
    {
        if (const TBlock* b = asBlock(&e)) {
            sequence(b->FirstChild.get());
            return;
        }
        m_element = elementIndex(&e);
        const Parsed& p = m_parsed.at(&e);
        switch (e.kind()) {
        case Kind::Anweisung:
            statementElement(p);
            break;
        case Kind::If:
            ifElement(static_cast<const TIf&>(e), p);
            break;
        case Kind::While:
            whileElement(static_cast<const TWhile&>(e), p);
            break;
        case Kind::DoWhile:
        case Kind::Repeat:
            doElement(static_cast<const TDoWhile&>(e), p);
            break;
        case Kind::For:
            forElement(static_cast<const TFor&>(e), p);
            break;
        default:
            break;
        }
    }

    // A statement that cannot be reached is an error; it is reported once, then taken as reachable.
    void reach()
    {
        if (!m_reachable) {
            problem(msg::kUnreachable);
            m_reachable = true;
        }
    }

    void statementElement(const Parsed& p)
    {
        const int n = emit();
        m_node = n;
        StmtList list;
        for (const SyntaxStmtPtr& s : p.statements)
            statement(*s, list);
        node(n).statements = std::move(list);
        node(n).scopeAfter = m_head;
        if (m_reachable)
            m_pending.push_back({n, Slot::Next});
    }

    // The children of a branch or loop body, as a block of their own.
    void body(const TBlock* block)
    {
        const ScopeMark mark = enterScope();
        if (block)
            sequence(block->FirstChild.get());
        exitScope(mark);
    }

    std::optional<bool> constantBool(const Value& v) const
    {
        if (v.constant && v.type == kBoolean)
            return v.constant->prim.i != 0;
        return std::nullopt;
    }

    ExprPtr conditionNode(Cond& c)
    {
        if (!c.value.bad() && c.value.type != kBoolean)
            problem(msg::conditionNotBoolean(typeName(c.value.type)));
        return std::move(c.value.node);
    }

    void ifElement(const TIf& e, const Parsed& p)
    {
        reach();
        const int n = emit();
        Cond c = condition(*p.condition);
        node(n).condition = conditionNode(c);
        m_pending = {{n, Slot::Next}};
        m_da = c.whenTrue;
        body(e.branch(1));
        std::vector<Exit> yesExits = std::move(m_pending);
        const Bits yesDA = m_da;
        const bool yesCompletes = m_reachable;
        m_pending = {{n, Slot::Alt}};
        m_da = c.whenFalse;
        m_reachable = true;
        const TBlock* no = e.branch(2);
        if (no && no->FirstChild) {
            body(no);
            m_reachable = m_reachable || yesCompletes;
        } else {
            m_reachable = true;
        }
        m_da.intersect(yesDA);
        m_pending.insert(m_pending.end(), yesExits.begin(), yesExits.end());
    }

    // A loop's continue statements go to `continueTarget`; after the loop the run goes on from its
    // `exits` and its break statements, and what is definitely assigned there is what its end assigns
    // (`exitDA`) and what every break assigns.
    void leaveLoop(const LoopContext& loop, int continueTarget, std::vector<Exit> exits, const Bits& exitDA)
    {
        for (int b : loop.continueNodes)
            node(b).continueTarget = continueTarget;
        m_pending = std::move(exits);
        for (int b : loop.breakNodes)
            m_pending.push_back({b, Slot::Break});
        m_da = exitDA;
        m_da.intersect(loop.breakDA);
    }

    void whileElement(const TWhile& e, const Parsed& p)
    {
        reach();
        const int n = emit();
        Cond c = condition(*p.condition);
        node(n).condition = conditionNode(c);
        const std::optional<bool> constant = constantBool(c.value);
        m_loops.emplace_back();
        m_pending = {{n, Slot::Next}};
        m_da = c.whenTrue;
        if (constant == false) {
            m_reachable = false;
            reach(); // the body of while (false) cannot be reached
        }
        body(e.branch(1));
        patch(m_pending, n);
        LoopContext loop = std::move(m_loops.back());
        m_loops.pop_back();
        leaveLoop(loop, n, {{n, Slot::Alt}}, c.whenFalse);
        m_reachable = constant != true || loop.breaks;
    }

    // do-while and repeat-until: the body, then the condition. A repeat-until loop repeats until its
    // condition holds: its Java text is "do {...} while (!(c));".
    void doElement(const TDoWhile& e, const Parsed& p)
    {
        reach();
        const std::size_t bodyStart = m_p.nodes.size();
        m_loops.emplace_back();
        body(e.branch(1));
        m_element = elementIndex(&e);
        LoopContext loop = std::move(m_loops.back());
        m_loops.pop_back();
        const bool bodyCompletes = m_reachable || loop.continues;
        m_da.intersect(loop.continueDA);
        m_reachable = true;
        const int n = emit();
        Cond c = condition(*p.condition);
        if (e.kind() == Kind::Repeat && c.value.type == kBoolean)
            c = negated(std::move(c));
        node(n).condition = conditionNode(c);
        const std::optional<bool> constant = constantBool(c.value);
        node(n).next = bodyStart < static_cast<std::size_t>(n) ? static_cast<int>(bodyStart) : n;
        leaveLoop(loop, n, {{n, Slot::Alt}}, c.whenFalse);
        m_reachable = (bodyCompletes && constant != true) || loop.breaks;
    }

    // for (V=S;V<=E;V=V+1): one node sets V and tests, one advances V and tests.
    void forElement(const TFor& e, const Parsed& p)
    {
        reach();
        const ScopeMark loopScope = enterScope();
        const std::u16string variable = fromCp1252(splitLoopText(e.Text).variable);
        if (isIdentifierText(variable) && !lookup(variable)) {
            declare(variable, kInt, false, true);
            m_declaringLoops.push_back(m_p.elements[static_cast<std::size_t>(elementIndex(&e))].id);
        }
        const int first = emit();
        StmtList init;
        for (const SyntaxExprPtr& x : p.header.init)
            init.push_back(statementExpression(*x));
        node(first).statements = std::move(init);
        node(first).scopeAfter = m_head;
        Cond c = condition(*p.header.test);
        node(first).condition = conditionNode(c);
        const Bits exitDA = c.whenFalse;
        m_loops.emplace_back();
        m_pending = {{first, Slot::Next}};
        m_da = c.whenTrue;
        const std::size_t bodyStart = m_p.nodes.size();
        body(e.branch(1));
        m_element = elementIndex(&e);
        LoopContext loop = std::move(m_loops.back());
        m_loops.pop_back();
        m_da.intersect(loop.continueDA);
        m_reachable = true;
        const int advance = emit();
        StmtList update;
        for (const SyntaxExprPtr& x : p.header.update)
            update.push_back(statementExpression(*x));
        node(advance).statements = std::move(update);
        {
            // The same test again; its problems were reported with the first one.
            const bool silent = m_silent;
            m_silent = true;
            Cond again = condition(*p.header.test);
            node(advance).condition = std::move(again.value.node);
            m_silent = silent;
        }
        node(advance).next =
            bodyStart < static_cast<std::size_t>(advance) ? static_cast<int>(bodyStart) : advance;
        leaveLoop(loop, advance, {{first, Slot::Alt}, {advance, Slot::Alt}}, exitDA);
        exitScope(loopScope);
        m_reachable = true;
    }

    // --- Statements inside a text ---

    void statement(const SyntaxStmt& s, StmtList& out)
    {
        reach();
        switch (s.kind) {
        case SyntaxStmtKind::Empty:
            break;
        case SyntaxStmtKind::Declaration:
            declaration(s, out);
            break;
        case SyntaxStmtKind::Expression:
            out.push_back(statementExpression(*s.expr));
            break;
        case SyntaxStmtKind::Block: {
            const ScopeMark mark = enterScope();
            StmtList body;
            for (const SyntaxStmtPtr& inner : s.body)
                statement(*inner, body);
            exitScope(mark);
            out.push_back(makeBlock(std::move(body)));
            break;
        }
        case SyntaxStmtKind::If:
            ifStatement(s, out);
            break;
        case SyntaxStmtKind::Break:
        case SyntaxStmtKind::Continue:
            jump(s.kind == SyntaxStmtKind::Break, out);
            break;
        case SyntaxStmtKind::Return:
            out.push_back(makeJump(Completion::Return));
            m_da = Bits::all();
            m_reachable = false;
            break;
        }
    }

    void ifStatement(const SyntaxStmt& s, StmtList& out)
    {
        Cond c = condition(*s.expr);
        ExprPtr test = conditionNode(c);
        StmtList thenPart;
        StmtList elsePart;
        m_da = c.whenTrue;
        embedded(*s.body[0], thenPart);
        const Bits thenDA = m_da;
        const bool thenCompletes = m_reachable;
        m_da = c.whenFalse;
        m_reachable = true;
        if (s.body.size() > 1) {
            embedded(*s.body[1], elsePart);
            m_reachable = m_reachable || thenCompletes;
        }
        m_da.intersect(thenDA);
        out.push_back(makeIf(std::move(test), std::move(thenPart), std::move(elsePart)));
    }

    // The statement of an if or else: a scope of its own.
    void embedded(const SyntaxStmt& s, StmtList& out)
    {
        const ScopeMark mark = enterScope();
        statement(s, out);
        exitScope(mark);
    }

    void jump(bool isBreak, StmtList& out)
    {
        if (m_loops.empty()) {
            problem(isBreak ? msg::kBreakOutsideLoop : msg::kContinueOutsideLoop);
        } else {
            LoopContext& loop = m_loops.back();
            std::vector<int>& nodes = isBreak ? loop.breakNodes : loop.continueNodes;
            if (nodes.empty() || nodes.back() != m_node)
                nodes.push_back(m_node);
            (isBreak ? loop.breakDA : loop.continueDA).intersect(m_da);
            (isBreak ? loop.breaks : loop.continues) = true;
        }
        out.push_back(makeJump(isBreak ? Completion::Break : Completion::Continue));
        m_da = Bits::all();
        m_reachable = false;
    }

    // A declared type: int, long, double, boolean, char, String, Scanner, and arrays of the first six.
    std::optional<Type> resolveType(const TypeRef& t, int extraDims)
    {
        const int dims = t.dims + extraDims;
        Type type;
        if (t.name == u"int")
            type = kInt;
        else if (t.name == u"long")
            type = kLong;
        else if (t.name == u"double")
            type = kDouble;
        else if (t.name == u"boolean")
            type = kBoolean;
        else if (t.name == u"char")
            type = kChar;
        else if (t.name == u"String" || t.name == u"java.lang.String")
            type = kString;
        else if (t.name == u"Scanner" || t.name == u"java.util.Scanner")
            type = kScanner;
        else if (t.primitive) {
            problem(msg::typeUnsupported(cp(t.name)));
            return std::nullopt;
        } else {
            problem(msg::unknownType(cp(t.name)));
            return std::nullopt;
        }
        if (dims > 1 || (dims == 1 && type == kScanner)) {
            problem(msg::typeUnsupported(cp(t.name) + "[][]"));
            return std::nullopt;
        }
        type.array = dims == 1;
        return type;
    }

    void declaration(const SyntaxStmt& s, StmtList& out)
    {
        const bool isVar = isTypeName(s.type, u"var");
        for (const Declarator& d : s.declarators) {
            std::optional<Type> type;
            if (isVar) {
                if (s.type.dims > 0 || d.dims > 0 || !d.init || d.init->kind == SyntaxExprKind::ArrayInit ||
                    s.declarators.size() > 1) {
                    problem(msg::kVarNeedsValue);
                    type = kError;
                }
            } else {
                type = resolveType(s.type, d.dims);
            }
            if (s.isFinal && !d.init)
                problem(msg::kBlankFinal);
            if (!d.init) {
                const Var& v = declare(d.name, type.value_or(kError), s.isFinal, true);
                out.push_back(makeDeclare(v.id));
                continue;
            }
            if (isVar && !type) {
                // The type is the initializer's; the name is in scope only after it.
                Value init = expression(*d.init);
                if (init.type == kNull || init.type == kVoid) {
                    problem(msg::kVarNeedsValue);
                    init = bad();
                }
                const Var& v = declare(d.name, init.type, s.isFinal, false);
                assignDeclared(v, std::move(init), out);
                continue;
            }
            const Type t = type.value_or(kError);
            const Var& declared = declare(d.name, t, s.isFinal, true);
            const int id = declared.id;
            Value init = d.init->kind == SyntaxExprKind::ArrayInit ? arrayInitializer(*d.init, t)
                                                                   : expression(*d.init);
            init = assignTo(std::move(init), t);
            Var& v = m_vars[static_cast<std::size_t>(id)];
            m_da.set(v.da, true);
            assignDeclared(v, std::move(init), out);
        }
    }

    void assignDeclared(const Var& declared, Value init, StmtList& out)
    {
        Var& v = m_vars[static_cast<std::size_t>(declared.id)];
        if (v.isFinal && init.constant && (v.type.isPrimitive() || v.type == kString))
            v.constant = init.constant;
        if (v.type.isError() || init.bad()) {
            out.push_back(makeDeclare(v.id));
            return;
        }
        out.push_back(makeExpressionStatement(makeAssignLocal(v.type, v.slot, v.id, std::move(init.node))));
    }

    // Only assignments, ++, --, calls and new objects can stand as statements; the compiler refuses the
    // rest while parsing.
    static bool isStatementExpression(const SyntaxExpr& e)
    {
        switch (e.kind) {
        case SyntaxExprKind::Assign:
        case SyntaxExprKind::PreIncDec:
        case SyntaxExprKind::PostIncDec:
        case SyntaxExprKind::Call:
        case SyntaxExprKind::NewObject:
            return true;
        default:
            return false;
        }
    }

    StmtPtr statementExpression(const SyntaxExpr& e)
    {
        Value v = expression(e);
        return makeExpressionStatement(std::move(v.node));
    }

    // --- Expressions ---

    // A constant of `type`: strings are interned, so that equal constants are one object.
    Value constantValue(Type type, Constant c)
    {
        if (type == kString && c.text.empty())
            return Value{makeConstant(kString, Prim{}, emptyString()), kString, std::move(c)};
        if (type == kString) {
            auto [it, added] = m_interned.try_emplace(c.text);
            if (added) {
                it->second = makeString(c.text);
                m_p.interned.push_back(it->second);
            }
            return Value{makeConstant(kString, Prim{}, it->second), kString, std::move(c)};
        }
        return Value{makeConstant(type, c.prim), type, std::move(c)};
    }

    Value make(ExprPtr node)
    {
        Value v;
        v.type = node->type();
        v.node = std::move(node);
        return v;
    }

    // Replaces `v` by its value when all its operands were constants (and it does not throw).
    Value fold(Value v)
    {
        if (v.bad())
            return v;
        try {
            Val result;
            evalInto(*v.node, m_scratch, result);
            Constant c;
            if (v.type == kString)
                c.text = textOf(result.r);
            else
                c.prim = result.p;
            return constantValue(v.type, std::move(c));
        } catch (const JavaException&) {
            return v;
        }
    }

    Value expression(const SyntaxExpr& e)
    {
        switch (e.kind) {
        case SyntaxExprKind::Literal:
            return literal(e);
        case SyntaxExprKind::Name:
            return name(e);
        case SyntaxExprKind::Field:
            return field(e);
        case SyntaxExprKind::Call:
            return call(e);
        case SyntaxExprKind::Index:
            return index(e);
        case SyntaxExprKind::Unary:
            if (e.name == u"!")
                return condition(e).value;
            return unary(e);
        case SyntaxExprKind::PreIncDec:
        case SyntaxExprKind::PostIncDec:
            return increment(e);
        case SyntaxExprKind::Binary:
            if (e.name == u"&&" || e.name == u"||")
                return condition(e).value;
            return binary(e);
        case SyntaxExprKind::Assign:
            return assignment(e);
        case SyntaxExprKind::Conditional:
            return condition(e).value;
        case SyntaxExprKind::Cast:
            return cast(e);
        case SyntaxExprKind::NewArray:
            return newArray(e);
        case SyntaxExprKind::NewObject:
            return newObject(e);
        case SyntaxExprKind::ArrayInit:
            return failed(msg::kArrayInitHere);
        case SyntaxExprKind::Paren:
            return expression(*e.args[0]);
        }
        return bad();
    }

    Value literal(const SyntaxExpr& e)
    {
        const Token& t = e.token;
        Constant c;
        switch (t.kind) {
        case Tok::IntLiteral:
            c.prim.i = static_cast<std::int32_t>(t.integer);
            return constantValue(kInt, c);
        case Tok::LongLiteral:
            c.prim.l = t.integer;
            return constantValue(kLong, c);
        case Tok::DoubleLiteral:
            c.prim.d = t.number;
            return constantValue(kDouble, c);
        case Tok::CharLiteral:
            c.prim.i = static_cast<std::int32_t>(t.integer);
            return constantValue(kChar, c);
        case Tok::StringLiteral:
            c.text = t.text;
            return constantValue(kString, c);
        default:
            break;
        }
        if (t.text == u"null")
            return Value{makeConstant(kNull, Prim{}), kNull, std::nullopt};
        c.prim.i = t.text == u"true" ? 1 : 0;
        return constantValue(kBoolean, c);
    }

    // A variable read: it must be definitely assigned.
    Value readVariable(const Var& v)
    {
        // A variable of unknown type comes from a declaration already reported (pseudo-code such as
        // "Eingabe x"): nothing more is said about it.
        if (v.type.isError())
            return bad();
        if (v.da >= 0 && !m_da.test(v.da))
            problem(msg::notInitialized(cp(v.name)));
        if (v.constant)
            return constantValue(v.type, *v.constant);
        return make(makeLocal(v.type, v.slot));
    }

    Value name(const SyntaxExpr& e)
    {
        if (const Var* v = lookup(e.name))
            return readVariable(*v);
        if (isLibraryClass(e.name) || e.name == u"Scanner")
            return failed(msg::notAVariable(cp(e.name)));
        return failed(msg::unknownVariable(cp(e.name)));
    }

    // The class a name stands for when it is not a variable: "Math", "Integer", ...
    std::optional<std::u16string> className(const SyntaxExpr& e) const
    {
        if (e.kind == SyntaxExprKind::Name && !lookup(e.name))
            return e.name;
        return std::nullopt;
    }

    bool isSystemField(const SyntaxExpr& e, std::u16string_view field) const
    {
        return e.kind == SyntaxExprKind::Field && e.name == field && className(*e.args[0]) == u"System";
    }

    Value field(const SyntaxExpr& e)
    {
        if (std::optional<std::u16string> owner = className(*e.args[0])) {
            for (const StaticField& f : staticFields())
                if (f.owner == *owner && f.name == e.name)
                    return constantValue(f.type, Constant{f.value, {}});
            if (*owner == u"System")
                return failed(msg::systemStreamHere(cp(e.name)));
            if (!isLibraryClass(*owner))
                return failed(msg::unknownVariable(cp(*owner)));
            return failed(msg::unknownField(cp(*owner + u"." + e.name)));
        }
        Value target = expression(*e.args[0]);
        if (target.bad())
            return target;
        if (target.type.array && e.name == u"length")
            return make(makeArrayLength(std::move(target.node)));
        return failed(msg::unknownField(cp(e.name)));
    }

    Value index(const SyntaxExpr& e)
    {
        Value array = expression(*e.args[0]);
        Value i = intIndex(*e.args[1]);
        if (array.bad() || i.bad())
            return bad();
        if (!array.type.array)
            return failed(msg::notAnArray(typeName(array.type)));
        return make(makeArrayLoad(array.type.element(), std::move(array.node), std::move(i.node)));
    }

    // An index or array length: promoted to int; a long is refused as Java refuses it.
    Value intIndex(const SyntaxExpr& e)
    {
        Value v = expression(e);
        if (v.bad())
            return v;
        if (!v.type.isIntegral() || v.type == kLong)
            return failed(v.type.isNumeric() ? msg::lossy(typeName(v.type), "int")
                                             : msg::incompatible(typeName(v.type), "int"));
        return promote(std::move(v), kInt);
    }

    // Widening to `to` (numeric), keeping constants constant.
    Value promote(Value v, Type to)
    {
        if (v.type == to)
            return v;
        std::optional<Constant> c = v.constant;
        Value out = make(makeConvert(to, std::move(v.node)));
        if (c)
            return fold(std::move(out));
        return out;
    }

    static Type binaryPromotion(Type a, Type b)
    {
        if (a.base == Base::Double || b.base == Base::Double)
            return kDouble;
        if (a.base == Base::Long || b.base == Base::Long)
            return kLong;
        return kInt;
    }

    static Type unaryPromotion(Type a) { return a.base == Base::Char ? kInt : a; }

    Value unary(const SyntaxExpr& e)
    {
        Value v = expression(*e.args[0]);
        if (v.bad())
            return v;
        const bool constant = v.constant.has_value();
        if (e.name == u"~" ? !v.type.isIntegral() : !v.type.isNumeric())
            return failed(msg::badOperand(cp(e.name), typeName(v.type)));
        v = promote(std::move(v), unaryPromotion(v.type));
        if (e.name == u"+")
            return v;
        Value out = make(e.name == u"-" ? makeNegate(std::move(v.node)) : makeBitNot(std::move(v.node)));
        if (constant)
            return fold(std::move(out));
        return out;
    }

    static Op binaryOp(const std::u16string& op)
    {
        static const std::map<std::u16string, Op> kOps = {
            {u"+", Op::Add},    {u"-", Op::Sub}, {u"*", Op::Mul}, {u"/", Op::Div},  {u"%", Op::Rem},
            {u"&", Op::And},    {u"|", Op::Or},  {u"^", Op::Xor}, {u"<<", Op::Shl}, {u">>", Op::Shr},
            {u">>>", Op::Ushr}, {u"<", Op::Lt},  {u"<=", Op::Le}, {u">", Op::Gt},   {u">=", Op::Ge},
            {u"==", Op::Eq},    {u"!=", Op::Ne},
        };
        return kOps.at(op);
    }

    Value binary(const SyntaxExpr& e)
    {
        Value a = expression(*e.args[0]);
        Value b = expression(*e.args[1]);
        return combine(e.name, std::move(a), std::move(b));
    }

    // a op b for every binary operator but && and ||.
    Value combine(const std::u16string& opText, Value a, Value b)
    {
        if (a.bad() || b.bad())
            return bad();
        const Op op = binaryOp(opText);
        const bool constant = a.constant && b.constant;
        auto badOperands = [&] {
            return failed(msg::badOperands(cp(opText), typeName(a.type), typeName(b.type)));
        };
        if (op == Op::Add && (a.type == kString || b.type == kString)) {
            if (a.type == kVoid || b.type == kVoid)
                return badOperands();
            std::vector<ExprPtr> parts;
            parts.push_back(std::move(a.node));
            parts.push_back(std::move(b.node));
            Value out = make(makeConcat(std::move(parts)));
            if (constant)
                return fold(std::move(out));
            return out;
        }
        Value out;
        switch (op) {
        case Op::Add:
        case Op::Sub:
        case Op::Mul:
        case Op::Div:
        case Op::Rem:
        case Op::Lt:
        case Op::Le:
        case Op::Gt:
        case Op::Ge: {
            if (!a.type.isNumeric() || !b.type.isNumeric())
                return badOperands();
            const Type t = binaryPromotion(a.type, b.type);
            out = make(makeBinary(op, t, promote(std::move(a), t).node, promote(std::move(b), t).node));
            break;
        }
        case Op::Shl:
        case Op::Shr:
        case Op::Ushr: {
            if (!a.type.isIntegral() || !b.type.isIntegral())
                return badOperands();
            const Type t = unaryPromotion(a.type);
            Value count =
                b.type == kLong ? make(makeConvert(kInt, std::move(b.node))) : promote(std::move(b), kInt);
            out = make(makeBinary(op, t, promote(std::move(a), t).node, std::move(count.node)));
            break;
        }
        case Op::And:
        case Op::Or:
        case Op::Xor:
            if (a.type == kBoolean && b.type == kBoolean) {
                out = make(makeBinary(op, kBoolean, std::move(a.node), std::move(b.node)));
            } else if (a.type.isIntegral() && b.type.isIntegral()) {
                const Type t = binaryPromotion(a.type, b.type);
                out = make(makeBinary(op, t, promote(std::move(a), t).node, promote(std::move(b), t).node));
            } else {
                return badOperands();
            }
            break;
        case Op::Eq:
        case Op::Ne:
            if (a.type.isNumeric() && b.type.isNumeric()) {
                const Type t = binaryPromotion(a.type, b.type);
                out = make(makeBinary(op, t, promote(std::move(a), t).node, promote(std::move(b), t).node));
            } else if (a.type == kBoolean && b.type == kBoolean) {
                out = make(makeBinary(op, kBoolean, std::move(a.node), std::move(b.node)));
            } else if (a.type.isReference() && b.type.isReference() &&
                       (a.type == b.type || a.type == kNull || b.type == kNull)) {
                // Identity, as Java compares references; never a constant expression here.
                return make(makeBinary(op, kString, std::move(a.node), std::move(b.node)));
            } else {
                return failed(msg::incomparable(typeName(a.type), typeName(b.type)));
            }
            break;
        }
        if (constant)
            return fold(std::move(out));
        return out;
    }

    // Assignment conversion (declarations, =, array initializers): widening, and a constant int
    // narrowed to char when it fits.
    Value assignTo(Value v, Type to)
    {
        if (v.bad())
            return v;
        if (to.isError())
            return bad();
        if (v.type == to)
            return v;
        if (v.type.isNumeric() && to.isNumeric()) {
            if (widens(v.type.base, to.base))
                return promote(std::move(v), to);
            if (to == kChar && v.type == kInt && v.constant && v.constant->prim.i >= 0 &&
                v.constant->prim.i <= 0xFFFF) {
                Constant c = *v.constant;
                return constantValue(kChar, c);
            }
            return failed(msg::lossy(typeName(v.type), typeName(to)));
        }
        if (v.type == kNull && to.isReference()) {
            v.type = to;
            v.node = makeConstant(to, Prim{});
            return v;
        }
        if (to == kObject && v.type.isReference())
            return v;
        return failed(msg::incompatible(typeName(v.type), typeName(to)));
    }

    // A cast to `to` (any numeric conversion is allowed).
    Value castTo(Value v, Type to)
    {
        if (v.bad())
            return v;
        if (v.type.isNumeric() && to.isNumeric()) {
            if (v.type == to)
                return v;
            std::optional<Constant> c = v.constant;
            Value out = make(makeConvert(to, std::move(v.node)));
            if (c)
                return fold(std::move(out));
            return out;
        }
        return assignTo(std::move(v), to);
    }

    Value cast(const SyntaxExpr& e)
    {
        const std::optional<Type> to = resolveType(e.type, 0);
        Value v = expression(*e.args[0]);
        if (!to || v.bad())
            return bad();
        if (v.type == *to)
            return v;
        if (v.type.isNumeric() != to->isNumeric() && !(v.type == kNull && to->isReference()))
            return failed(msg::incompatible(typeName(v.type), typeName(*to)));
        return castTo(std::move(v), *to);
    }

    // The boolean condition `c` negated: true and false trade their values and what they assign.
    Cond negated(Cond c)
    {
        const bool constant = c.value.constant.has_value();
        c.value = make(makeNot(std::move(c.value.node)));
        if (constant)
            c.value = fold(std::move(c.value));
        std::swap(c.whenTrue, c.whenFalse);
        return c;
    }

    // Conditions and the operators whose definite assignment depends on truth: &&, ||, !, ?:.
    Cond condition(const SyntaxExpr& e)
    {
        if (e.kind == SyntaxExprKind::Paren)
            return condition(*e.args[0]);
        if (e.kind == SyntaxExprKind::Unary && e.name == u"!") {
            Cond c = condition(*e.args[0]);
            if (c.value.bad())
                return c;
            if (c.value.type != kBoolean) {
                problem(msg::badOperand("!", typeName(c.value.type)));
                c.value = bad();
                return c;
            }
            return negated(std::move(c));
        }
        if (e.kind == SyntaxExprKind::Binary && (e.name == u"&&" || e.name == u"||")) {
            const bool isAnd = e.name == u"&&";
            Cond a = condition(*e.args[0]);
            m_da = isAnd ? a.whenTrue : a.whenFalse;
            Cond b = condition(*e.args[1]);
            Cond out;
            if (isAnd) {
                out.whenTrue = b.whenTrue;
                out.whenFalse = a.whenFalse;
                out.whenFalse.intersect(b.whenFalse);
            } else {
                out.whenTrue = a.whenTrue;
                out.whenTrue.intersect(b.whenTrue);
                out.whenFalse = b.whenFalse;
            }
            m_da = out.whenTrue;
            m_da.intersect(out.whenFalse);
            if (a.value.bad() || b.value.bad()) {
                out.value = bad();
                return out;
            }
            if (a.value.type != kBoolean || b.value.type != kBoolean) {
                problem(msg::badOperands(cp(e.name), typeName(a.value.type), typeName(b.value.type)));
                out.value = bad();
                return out;
            }
            const bool constant = a.value.constant && b.value.constant;
            out.value = make(isAnd ? makeAndAnd(std::move(a.value.node), std::move(b.value.node))
                                   : makeOrOr(std::move(a.value.node), std::move(b.value.node)));
            if (constant)
                out.value = fold(std::move(out.value));
            return out;
        }
        if (e.kind == SyntaxExprKind::Conditional)
            return conditional(e);
        Cond c;
        c.value = expression(e);
        c.whenTrue = m_da;
        c.whenFalse = m_da;
        if (std::optional<bool> constant = constantBool(c.value))
            (*constant ? c.whenFalse : c.whenTrue) = Bits::all();
        return c;
    }

    Cond conditional(const SyntaxExpr& e)
    {
        Cond c = condition(*e.args[0]);
        m_da = c.whenTrue;
        Cond a = condition(*e.args[1]);
        m_da = c.whenFalse;
        Cond b = condition(*e.args[2]);
        Cond out;
        out.whenTrue = a.whenTrue;
        out.whenTrue.intersect(b.whenTrue);
        out.whenFalse = a.whenFalse;
        out.whenFalse.intersect(b.whenFalse);
        m_da = out.whenTrue;
        m_da.intersect(out.whenFalse);
        if (c.value.bad() || a.value.bad() || b.value.bad()) {
            out.value = bad();
            return out;
        }
        if (c.value.type != kBoolean) {
            problem(msg::conditionNotBoolean(typeName(c.value.type)));
            out.value = bad();
            return out;
        }
        Value& x = a.value;
        Value& y = b.value;
        Type t = kError;
        if (x.type == kVoid || y.type == kVoid) {
            problem(msg::conditionalTypes(typeName(x.type), typeName(y.type)));
            out.value = bad();
            return out;
        }
        if (x.type == y.type) {
            t = x.type;
        } else if (x.type.isNumeric() && y.type.isNumeric()) {
            auto fitsChar = [](const Value& v) {
                return v.type == kInt && v.constant && v.constant->prim.i >= 0 &&
                       v.constant->prim.i <= 0xFFFF;
            };
            if ((x.type == kChar && fitsChar(y)) || (y.type == kChar && fitsChar(x)))
                t = kChar;
            else
                t = binaryPromotion(x.type, y.type);
        } else if (x.type == kNull && y.type.isReference()) {
            t = y.type;
        } else if (y.type == kNull && x.type.isReference()) {
            t = x.type;
        } else {
            problem(msg::conditionalTypes(typeName(x.type), typeName(y.type)));
            out.value = bad();
            return out;
        }
        const bool constant = c.value.constant && x.constant && y.constant;
        Value xv = t.isNumeric() ? castTo(std::move(x), t) : assignTo(std::move(x), t);
        Value yv = t.isNumeric() ? castTo(std::move(y), t) : assignTo(std::move(y), t);
        out.value = make(makeConditional(t, std::move(c.value.node), std::move(xv.node), std::move(yv.node)));
        if (constant && t != kNull)
            out.value = fold(std::move(out.value));
        if (std::optional<bool> value = constantBool(out.value))
            (*value ? out.whenFalse : out.whenTrue) = Bits::all();
        return out;
    }

    // The target of an assignment or of ++ / --.
    struct Target
    {
        const Var* variable = nullptr; // a local variable
        Value array;                   // or an array element: the array and the index
        Value index;
        Type type = kError;
        bool ok = false;
    };

    Target target(const SyntaxExpr& e)
    {
        const SyntaxExpr* t = &e;
        while (t->kind == SyntaxExprKind::Paren)
            t = t->args[0].get();
        Target out;
        if (t->kind == SyntaxExprKind::Name) {
            const Var* v = lookup(t->name);
            if (!v) {
                problem(msg::unknownVariable(cp(t->name)));
                return out;
            }
            if (v->isFinal) {
                problem(msg::assignToFinal(cp(v->name)));
                return out;
            }
            out.variable = v;
            out.type = v->type;
            out.ok = !v->type.isError();
            return out;
        }
        if (t->kind == SyntaxExprKind::Index) {
            out.array = expression(*t->args[0]);
            out.index = intIndex(*t->args[1]);
            if (out.array.bad() || out.index.bad())
                return out;
            if (!out.array.type.array) {
                problem(msg::notAnArray(typeName(out.array.type)));
                return out;
            }
            out.type = out.array.type.element();
            out.ok = true;
            return out;
        }
        if (t->kind == SyntaxExprKind::Field && t->name == u"length") {
            Value array = expression(*t->args[0]);
            if (!array.bad())
                problem(msg::assignToFinal("length"));
            return out;
        }
        problem(msg::kNotAssignable);
        return out;
    }

    Value assignment(const SyntaxExpr& e)
    {
        Target t = target(*e.args[0]);
        const bool compound = e.name != u"=";
        if (compound && t.variable)
            readVariable(*t.variable);
        if (!compound) {
            Value rhs = expression(*e.args[1]);
            if (!t.ok)
                return bad();
            rhs = assignTo(std::move(rhs), t.type);
            if (rhs.bad())
                return rhs;
            if (t.variable) {
                m_da.set(t.variable->da, true);
                return make(makeAssignLocal(t.type, t.variable->slot, t.variable->id, std::move(rhs.node)));
            }
            return make(makeArrayStore(t.type, std::move(t.array.node), std::move(t.index.node),
                                       std::move(rhs.node)));
        }
        const std::u16string op = e.name.substr(0, e.name.size() - 1);
        if (!t.ok) {
            expression(*e.args[1]);
            return bad();
        }
        const int temp = t.variable ? -1 : hiddenSlot(t.type);
        Value current = make(makeLocal(t.type, t.variable ? t.variable->slot : temp));
        Value rhs = expression(*e.args[1]);
        if (rhs.bad())
            return rhs;
        if (t.type == kString && op != u"+")
            return failed(msg::badOperands(cp(op), typeName(t.type), typeName(rhs.type)));
        if (t.type != kString && rhs.type == kString)
            return failed(msg::incompatible(typeName(rhs.type), typeName(t.type)));
        Value combined = combine(op, std::move(current), std::move(rhs));
        if (combined.bad())
            return combined;
        Value value = t.type == kBoolean || t.type == kString ? std::move(combined)
                                                              : castTo(std::move(combined), t.type);
        if (value.bad())
            return value;
        if (t.variable)
            return make(
                makeUpdateLocal(t.type, t.variable->slot, t.variable->id, std::move(value.node), false));
        return make(makeArrayUpdate(t.type, std::move(t.array.node), std::move(t.index.node), temp,
                                    std::move(value.node), false));
    }

    Value increment(const SyntaxExpr& e)
    {
        Target t = target(*e.args[0]);
        if (!t.ok)
            return bad();
        if (t.variable)
            readVariable(*t.variable);
        if (!t.type.isNumeric())
            return failed(msg::badOperand(cp(e.name), typeName(t.type)));
        const bool post = e.kind == SyntaxExprKind::PostIncDec;
        const int temp = t.variable ? -1 : hiddenSlot(t.type);
        Value current = make(makeLocal(t.type, t.variable ? t.variable->slot : temp));
        Constant one;
        one.prim.i = 1;
        Value step = combine(e.name == u"++" ? u"+" : u"-", std::move(current), constantValue(kInt, one));
        Value value = castTo(std::move(step), t.type);
        if (t.variable)
            return make(
                makeUpdateLocal(t.type, t.variable->slot, t.variable->id, std::move(value.node), post));
        return make(makeArrayUpdate(t.type, std::move(t.array.node), std::move(t.index.node), temp,
                                    std::move(value.node), post));
    }

    Value arrayInitializer(const SyntaxExpr& e, Type arrayType)
    {
        if (arrayType.isError())
            return bad();
        if (!arrayType.array)
            return failed(msg::kArrayInitHere);
        std::vector<ExprPtr> elements;
        bool ok = true;
        for (const SyntaxExprPtr& x : e.args) {
            if (x->kind == SyntaxExprKind::ArrayInit) {
                problem(msg::typeUnsupported(typeName(arrayType) + "[]"));
                ok = false;
                continue;
            }
            Value v = assignTo(expression(*x), arrayType.element());
            ok = ok && !v.bad();
            elements.push_back(std::move(v.node));
        }
        if (!ok)
            return bad();
        return make(makeArrayInit(arrayType.element(), std::move(elements)));
    }

    Value newArray(const SyntaxExpr& e)
    {
        const std::optional<Type> element = resolveType(TypeRef{e.type.name, 0, e.type.primitive}, 0);
        if (!element)
            return bad();
        if (e.type.dims > 1 || *element == kScanner) {
            for (const SyntaxExprPtr& x : e.args)
                expression(*x);
            return failed(msg::typeUnsupported(typeName(*element) + "[][]"));
        }
        if (e.args[0]->kind == SyntaxExprKind::ArrayInit)
            return arrayInitializer(*e.args[0], element->arrayOf());
        Value length = intIndex(*e.args[0]);
        if (length.bad())
            return length;
        return make(makeNewArray(*element, std::move(length.node)));
    }

    Value newObject(const SyntaxExpr& e)
    {
        const std::u16string& cls = e.type.name;
        std::vector<Value> args;
        const bool stdinArg = e.args.size() == 1 && isSystemField(*e.args[0], u"in");
        if (!stdinArg)
            for (const SyntaxExprPtr& x : e.args)
                args.push_back(expression(*x));
        for (const Value& v : args)
            if (v.bad())
                return bad();
        if (cls == u"Scanner" || cls == u"java.util.Scanner") {
            if (stdinArg)
                return make(makeCall(kScanner, newStdinScanner, {}));
            if (args.size() == 1 && (args[0].type == kString || args[0].type == kNull)) {
                std::vector<ExprPtr> nodes;
                nodes.push_back(std::move(args[0].node));
                return make(makeCall(kScanner, newStringScanner, std::move(nodes)));
            }
            return failed(msg::noConstructor("Scanner"));
        }
        if (cls == u"String" || cls == u"java.lang.String") {
            if (args.empty())
                return make(makeCall(kString, newEmptyString, {}));
            if (args.size() == 1 && (args[0].type == kString || args[0].type == Type{Base::Char, true})) {
                const bool chars = args[0].type.array;
                std::vector<ExprPtr> nodes;
                nodes.push_back(std::move(args[0].node));
                return make(makeCall(kString, chars ? newStringOfChars : newStringCopy, std::move(nodes)));
            }
            return failed(msg::noConstructor("String"));
        }
        return failed(msg::unknownType(cp(cls)));
    }

    // --- Calls ---

    // Method invocation conversion: widening, null and any reference to Object; with `boxing`, a
    // primitive to Object too.
    static bool invocable(Type from, Type to, bool boxing)
    {
        if (from == to)
            return true;
        if (from.isNumeric() && to.isNumeric())
            return widens(from.base, to.base);
        if (to == kObject)
            return from.isReference() || (boxing && from.isPrimitive());
        return from == kNull && to.isReference();
    }

    Value call(const SyntaxExpr& e)
    {
        const SyntaxExpr* targetExpr = e.args[0].get();
        std::vector<const SyntaxExpr*> argExprs;
        for (std::size_t i = 1; i < e.args.size(); ++i)
            argExprs.push_back(e.args[i].get());
        if (!targetExpr)
            return unknownMethod(e.name, argExprs);
        if (isSystemField(*targetExpr, u"out"))
            return printCall(e.name, argExprs);
        std::optional<std::u16string> owner = className(*targetExpr);
        if (owner && *owner == u"System" && e.name == u"exit")
            return exitCall(argExprs);
        if (owner && *owner == u"String" && e.name == u"valueOf")
            return valueOfCall(argExprs);
        if (owner && *owner == u"String" && e.name == u"format")
            return formatCall(u"format", argExprs, false);
        Value receiver;
        if (!owner) {
            receiver = expression(*targetExpr);
            if (receiver.bad()) {
                for (const SyntaxExpr* x : argExprs)
                    expression(*x);
                return bad();
            }
        } else if (!isLibraryClass(*owner)) {
            for (const SyntaxExpr* x : argExprs)
                expression(*x);
            return failed(msg::unknownVariable(cp(*owner)));
        }
        std::vector<Value> args;
        for (const SyntaxExpr* x : argExprs)
            args.push_back(expression(*x));
        for (const Value& v : args)
            if (v.bad())
                return bad();
        const std::u16string_view ownerName = owner                       ? std::u16string_view(*owner)
                                              : receiver.type == kString  ? u"String"
                                              : receiver.type == kScanner ? u"Scanner"
                                                                          : u"";
        if (ownerName.empty())
            return failed(msg::unknownMethod(cp(e.name)));
        if ((ownerName == u"Math" || ownerName == u"StrictMath") && e.name == u"round" && args.size() == 1 &&
            args[0].type.isIntegral()) {
            // Math.round(float) is the closest overload for an int, long or char: it gives an int.
            std::vector<ExprPtr> nodes;
            nodes.push_back(promote(std::move(args[0]), kLong).node);
            return make(makeCall(kInt, roundAsFloat, std::move(nodes)));
        }
        const Builtin* chosen = resolve(ownerName, e.name, !owner, args);
        if (!chosen)
            return bad();
        std::vector<ExprPtr> nodes;
        if (!owner)
            nodes.push_back(std::move(receiver.node));
        for (std::size_t i = 0; i < args.size(); ++i) {
            const Type param = chosen->params[i];
            nodes.push_back(param.isNumeric() ? promote(std::move(args[i]), param).node
                                              : std::move(args[i].node));
        }
        return make(makeCall(chosen->result, chosen->fn, std::move(nodes)));
    }

    Value unknownMethod(const std::u16string& name, const std::vector<const SyntaxExpr*>& args)
    {
        for (const SyntaxExpr* x : args)
            expression(*x);
        return failed(msg::unknownMethod(cp(name)));
    }

    // The most specific applicable overload, by Java's rules; null (with a problem) when there is none or
    // no single one.
    const Builtin* resolve(std::u16string_view owner, const std::u16string& name, bool instance,
                           const std::vector<Value>& args)
    {
        std::vector<const Builtin*> candidates;
        for (const Builtin& b : builtins())
            if (b.owner == owner && b.name == name && b.instance == instance)
                candidates.push_back(&b);
        if (candidates.empty()) {
            problem(msg::unknownMethod(cp(std::u16string(owner) + u"." + name)));
            return nullptr;
        }
        std::vector<const Builtin*> applicable;
        for (bool boxing : {false, true}) {
            for (const Builtin* b : candidates) {
                if (b->params.size() != args.size())
                    continue;
                bool ok = true;
                for (std::size_t i = 0; ok && i < args.size(); ++i)
                    ok = invocable(args[i].type, b->params[i], boxing);
                if (ok)
                    applicable.push_back(b);
            }
            if (!applicable.empty())
                break;
        }
        std::string argTypes;
        for (const Value& v : args)
            argTypes += (argTypes.empty() ? "" : ", ") + typeName(v.type);
        if (applicable.empty()) {
            problem(msg::noMatchingMethod(cp(name), argTypes));
            return nullptr;
        }
        for (const Builtin* m : applicable) {
            bool mostSpecific = true;
            for (const Builtin* other : applicable) {
                for (std::size_t i = 0; mostSpecific && i < args.size(); ++i)
                    mostSpecific = invocable(m->params[i], other->params[i], false);
            }
            if (mostSpecific)
                return m;
        }
        problem(msg::ambiguousCall(cp(name), argTypes));
        return nullptr;
    }

    Value printCall(const std::u16string& name, const std::vector<const SyntaxExpr*>& argExprs)
    {
        if (name == u"printf" || name == u"format")
            return formatCall(name, argExprs, true);
        std::vector<Value> args;
        for (const SyntaxExpr* x : argExprs)
            args.push_back(expression(*x));
        for (const Value& v : args)
            if (v.bad())
                return bad();
        const bool newline = name == u"println";
        if (name != u"print" && name != u"println")
            return failed(msg::unknownMethod(cp(u"System.out." + name)));
        if (args.empty() && newline)
            return make(makePrint(nullptr, true));
        if (args.size() != 1 || args[0].type == kVoid)
            return failed(msg::noMatchingMethod(cp(name), args.empty() ? "" : typeName(args[0].type)));
        if (args[0].type == kNull)
            return failed(msg::ambiguousCall(cp(name), "null"));
        return make(makePrint(std::move(args[0].node), newline));
    }

    // String.format(format, args...) and printf: a String format and values of any type.
    Value formatCall(const std::u16string& name, const std::vector<const SyntaxExpr*>& argExprs, bool printf)
    {
        std::vector<Value> args;
        for (const SyntaxExpr* x : argExprs)
            args.push_back(expression(*x));
        for (const Value& v : args)
            if (v.bad())
                return bad();
        bool fits = !args.empty() && (args[0].type == kString || args[0].type == kNull);
        for (const Value& v : args)
            fits = fits && v.type != kVoid;
        if (!fits) {
            std::string argTypes;
            for (const Value& v : args)
                argTypes += (argTypes.empty() ? "" : ", ") + typeName(v.type);
            return failed(msg::noMatchingMethod(cp(name), argTypes));
        }
        std::vector<ExprPtr> nodes;
        for (Value& v : args)
            nodes.push_back(std::move(v.node));
        return make(makeFormat(std::move(nodes), printf));
    }

    Value exitCall(const std::vector<const SyntaxExpr*>& argExprs)
    {
        std::vector<Value> args;
        for (const SyntaxExpr* x : argExprs)
            args.push_back(expression(*x));
        if (args.size() != 1 || args[0].bad() || !invocable(args[0].type, kInt, false))
            return args.size() == 1 && args[0].bad() ? bad() : failed(msg::noMatchingMethod("exit", ""));
        std::vector<ExprPtr> nodes;
        nodes.push_back(promote(std::move(args[0]), kInt).node);
        return make(makeCall(
            kVoid, [](Machine&, Val* a, Val&) { throw ProgramExit{a[0].p.i}; }, std::move(nodes)));
    }

    // String.valueOf(x): the string Java's conversion gives; a String (or null as char[]) as itself.
    Value valueOfCall(const std::vector<const SyntaxExpr*>& argExprs)
    {
        std::vector<Value> args;
        for (const SyntaxExpr* x : argExprs)
            args.push_back(expression(*x));
        if (args.size() != 1)
            return failed(msg::noMatchingMethod("valueOf", ""));
        Value& v = args[0];
        if (v.bad())
            return bad();
        if (v.type == kVoid)
            return failed(msg::noMatchingMethod("valueOf", "void"));
        std::vector<ExprPtr> nodes;
        if (v.type == Type{Base::Char, true} || v.type == kNull) {
            nodes.push_back(std::move(v.node));
            return make(makeCall(kString, stringOfChars, std::move(nodes)));
        }
        if (v.type.isReference()) {
            nodes.push_back(std::move(v.node));
            return make(makeCall(kString, stringValueOfObject, std::move(nodes)));
        }
        // A primitive: its string conversion, a new string each time (not a constant expression).
        nodes.push_back(std::move(v.node));
        return make(makeConcat(std::move(nodes)));
    }

    Program& m_p;
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

    std::vector<Var> m_vars;
    std::vector<int> m_visible;
    int m_head = -1;
    int m_depth = 0;
    int m_nextDA = 0;

    Bits m_da;
    bool m_reachable = true;
    std::vector<LoopContext> m_loops;
    std::vector<Exit> m_pending;
};

} // namespace

CheckResult Check(const TBlock& root)
{
    auto program = std::make_shared<Program>();
    CheckResult result;
    Checker checker(*program);
    result.problems = checker.check(root);
    result.declaringLoops = checker.declaringLoops();
    if (result.problems.empty())
        result.program = std::move(program);
    return result;
}

} // namespace runtime
