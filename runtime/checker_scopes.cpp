// The checker's scopes: variables are declared in the block they stand in (a branch or loop body is a
// block, a named block is not, since it becomes comments) and looked up by name, innermost first.
#include "runtime/checker.h"

#include "runtime/conversions.h"
#include "runtime/javatext.h"
#include "runtime/messages.h"

namespace runtime::checking {

void Checker::declareArgs()
{
    Var v;
    v.name = u"args";
    v.type = Type{Base::String, true};
    v.slot = m_p.refSlots++;
    v.id = static_cast<int>(m_vars.size());
    m_p.argsSlot = v.slot;
    addVariable(std::move(v));
}

int Checker::addVariable(Var v)
{
    v.depth = m_depth;
    m_p.variables.push_back({cp(v.name), v.type, v.slot, m_depth});
    m_p.links.push_back({v.id, m_head});
    m_head = static_cast<int>(m_p.links.size()) - 1;
    m_visible.push_back(v.id);
    m_visibleByName[v.name].push_back(v.id);
    m_vars.push_back(std::move(v));
    return m_vars.back().id;
}

const Var* Checker::lookup(const std::u16string& name) const
{
    const auto found = m_visibleByName.find(name);
    if (found == m_visibleByName.end() || found->second.empty())
        return nullptr;
    return &m_vars[static_cast<std::size_t>(found->second.back())];
}

Checker::ScopeMark Checker::enterScope()
{
    ++m_depth;
    return {m_visible.size(), m_head};
}

void Checker::exitScope(ScopeMark mark)
{
    --m_depth;
    while (m_visible.size() > mark.visible) {
        m_visibleByName[m_vars[static_cast<std::size_t>(m_visible.back())].name].pop_back();
        m_visible.pop_back();
    }
    m_head = mark.head;
}

// Declares a local variable of `type`; `blank` when it has no value yet.
const Var& Checker::declare(const std::u16string& name, Type type, bool isFinal, bool blank)
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

// A declared type: int, long, double, boolean, char, String, Scanner, and arrays of the first six.
std::optional<Type> Checker::resolveType(const TypeRef& t, int extraDims)
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

void Checker::declaration(const SyntaxStmt& s, StmtList& out)
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
        Value init =
            d.init->kind == SyntaxExprKind::ArrayInit ? arrayInitializer(*d.init, t) : expression(*d.init);
        init = assignTo(std::move(init), t);
        Var& v = m_vars[static_cast<std::size_t>(id)];
        m_da.set(v.da, true);
        assignDeclared(v, std::move(init), out);
    }
}

void Checker::assignDeclared(const Var& declared, Value init, StmtList& out)
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

// A variable read: it must be definitely assigned.
Value Checker::readVariable(const Var& v)
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

Value Checker::name(const SyntaxExpr& e)
{
    if (const Var* v = lookup(e.name))
        return readVariable(*v);
    if (isLibraryClass(e.name) || e.name == u"Scanner")
        return failed(msg::notAVariable(cp(e.name)));
    return failed(msg::unknownVariable(cp(e.name)));
}

// The class a name stands for when it is not a variable: "Math", "Integer", ...
std::optional<std::u16string> Checker::className(const SyntaxExpr& e) const
{
    if (e.kind == SyntaxExprKind::Name && !lookup(e.name))
        return e.name;
    return std::nullopt;
}

bool Checker::isSystemField(const SyntaxExpr& e, std::u16string_view field) const
{
    return e.kind == SyntaxExprKind::Field && e.name == field && className(*e.args[0]) == u"System";
}

Checker::Target Checker::target(const SyntaxExpr& e)
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

} // namespace runtime::checking
