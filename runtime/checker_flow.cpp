// The checker's flow rules: definite assignment through conditions (&&, ||, !, ?: assign differently
// when true and when false), loops and jumps, and statements that cannot be reached.
//
// m_da is the set of variables definitely assigned where the check stands; after a jump or return it
// holds every variable ("vacuously assigned"), so that the join with the other paths (intersect) keeps
// what those assign. m_reachable says whether the next statement can be reached; a loop's break and
// continue statements record the sets at the jump in its LoopContext, which the code after the loop and
// the loop's test join in.
#include "runtime/checker.h"

#include "runtime/conversions.h"
#include "runtime/javatext.h"
#include "runtime/messages.h"

namespace runtime::checking {

// A statement that cannot be reached is an error; it is reported once, then taken as reachable.
void Checker::reach()
{
    if (!m_reachable) {
        problem(msg::kUnreachable);
        m_reachable = true;
    }
}

std::optional<bool> Checker::constantBool(const Value& v) const
{
    if (v.constant && v.type == kBoolean)
        return v.constant->prim.i != 0;
    return std::nullopt;
}

ExprPtr Checker::conditionNode(Cond& c)
{
    if (!c.value.bad() && c.value.type != kBoolean)
        problem(msg::conditionNotBoolean(typeName(c.value.type)));
    return std::move(c.value.node);
}

// A loop's continue statements go to `continueTarget`; after the loop the run goes on from its
// `exits` and its break statements, and what is definitely assigned there is what its end assigns
// (`exitDA`) and what every break assigns.
void Checker::leaveLoop(const LoopContext& loop, int continueTarget, std::vector<Exit> exits,
                        const Bits& exitDA)
{
    for (int b : loop.continueNodes)
        node(b).continueTarget = continueTarget;
    m_pending = std::move(exits);
    for (int b : loop.breakNodes)
        m_pending.push_back({b, Slot::Break});
    m_da = exitDA;
    m_da.intersect(loop.breakDA);
}

void Checker::jump(bool isBreak, StmtList& out)
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

// The boolean condition `c` negated: true and false trade their values and what they assign.
Cond Checker::negated(Cond c)
{
    const bool constant = c.value.constant.has_value();
    c.value = make(makeNot(std::move(c.value.node)));
    if (constant)
        c.value = fold(std::move(c.value));
    std::swap(c.whenTrue, c.whenFalse);
    return c;
}

// Conditions and the operators whose definite assignment depends on truth: &&, ||, !, ?:.
Cond Checker::condition(const SyntaxExpr& e)
{
    if (e.kind == SyntaxExprKind::Paren)
        return condition(*e.args[0]);
    if (e.kind == SyntaxExprKind::Unary && e.op == Punct::Not)
        return notCondition(e);
    if (e.kind == SyntaxExprKind::Binary && (e.op == Punct::AndAnd || e.op == Punct::OrOr))
        return andOrCondition(e);
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

// !c: what c assigns when true, it assigns when false.
Cond Checker::notCondition(const SyntaxExpr& e)
{
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

// a && b, a || b: b is checked with what a assigns when it lets b run (true for &&, false for ||).
Cond Checker::andOrCondition(const SyntaxExpr& e)
{
    const bool isAnd = e.op == Punct::AndAnd;
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
        problem(msg::badOperands(opText(e.op), typeName(a.value.type), typeName(b.value.type)));
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

Cond Checker::conditional(const SyntaxExpr& e)
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
    const std::optional<Type> type = conditionalType(x, y);
    if (!type) {
        problem(msg::conditionalTypes(typeName(x.type), typeName(y.type)));
        out.value = bad();
        return out;
    }
    const Type t = *type;
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

} // namespace runtime::checking
