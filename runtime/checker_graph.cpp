// The checker's graph building: each element becomes one or two nodes of the step graph (program.h),
// linked by the exits that are still open where the next element starts.
//
// The nodes are emitted in the order of the Java text. What an element leaves open (the next of a
// statement, the alt of a loop's test, the exits of both branches of a decision) is kept in m_pending and
// patched to the next node emitted; what is still open at the end goes to -1, the end of the program.
//   statement      one node with its statements; next goes on
//   if             one node testing the condition; next enters the yes branch, alt the no branch
//   while          one node testing; next enters the body, whose end comes back to it; alt leaves
//   do-while       the body, then one node testing; next goes back to the body's first node
//   counting loop  one node that sets the variable and tests, the body, one that advances and tests
// A break or continue inside a text ends its node's statements; the step loop then follows the node's
// breakTarget (patched to what follows the loop) or continueTarget (the loop's test; for a counting
// loop the node that advances its variable).
#include "runtime/checker.h"

#include "model/looptext.h"
#include "runtime/conversions.h"
#include "runtime/javatext.h"
#include "runtime/messages.h"

namespace runtime::checking {

// A new node for the current element, where every open exit leads.
int Checker::emit()
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

// Points each exit in `exits` at `target`.
void Checker::patch(const std::vector<Exit>& exits, int target)
{
    for (const Exit& e : exits) {
        ProgramNode& n = node(e.node);
        (e.slot == Slot::Next ? n.next : e.slot == Slot::Alt ? n.alt : n.breakTarget) = target;
    }
}

// Each element in a sequence, in order; named blocks stand for their children.
void Checker::sequence(const TElement* first)
{
    for (const TElement* e = first; e; e = e->Next.get())
        element(*e);
}

void Checker::element(const TElement& e)
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

void Checker::statementElement(const Parsed& p)
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
void Checker::body(const TBlock* block)
{
    const ScopeMark mark = enterScope();
    if (block)
        sequence(block->FirstChild.get());
    exitScope(mark);
}

void Checker::ifElement(const TIf& e, const Parsed& p)
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

void Checker::whileElement(const TWhile& e, const Parsed& p)
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
void Checker::doElement(const TDoWhile& e, const Parsed& p)
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
void Checker::forElement(const TFor& e, const Parsed& p)
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

void Checker::statement(const SyntaxStmt& s, StmtList& out)
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

void Checker::ifStatement(const SyntaxStmt& s, StmtList& out)
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
void Checker::embedded(const SyntaxStmt& s, StmtList& out)
{
    const ScopeMark mark = enterScope();
    statement(s, out);
    exitScope(mark);
}

// Only assignments, ++, --, calls and new objects can stand as statements; the compiler refuses the
// rest while parsing.
bool Checker::isStatementExpression(const SyntaxExpr& e)
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

StmtPtr Checker::statementExpression(const SyntaxExpr& e)
{
    Value v = expression(e);
    return makeExpressionStatement(std::move(v.node));
}

} // namespace runtime::checking
