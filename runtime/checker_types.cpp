// The checker's expressions: Java's typing rules and conversions for the subset, and constant folding
// (a constant expression is evaluated once here, as the compiler does).
//
// Each expression becomes a Value: its compiled node, its Java type and, for a constant expression, its
// constant. Operands are converted by explicit conversion nodes, so the compiled tree never converts on
// its own. A Value of the error type stands for an expression whose problem was reported already:
// whatever uses it reports nothing more, so that one fault gives one message.
#include "runtime/checker.h"

#include "runtime/conversions.h"
#include "runtime/javatext.h"
#include "runtime/messages.h"

namespace runtime::checking {

// A constant of `type`: strings are interned, so that equal constants are one object.
Value Checker::constantValue(Type type, Constant c)
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

Value Checker::make(ExprPtr node)
{
    Value v;
    v.type = node->type();
    v.node = std::move(node);
    return v;
}

// Replaces `v` by its value when all its operands were constants (and it does not throw).
Value Checker::fold(Value v)
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

Value Checker::expression(const SyntaxExpr& e)
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
        if (e.op == Punct::Not)
            return condition(e).value;
        return unary(e);
    case SyntaxExprKind::PreIncDec:
    case SyntaxExprKind::PostIncDec:
        return increment(e);
    case SyntaxExprKind::Binary:
        if (e.op == Punct::AndAnd || e.op == Punct::OrOr)
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

Value Checker::literal(const SyntaxExpr& e)
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

Value Checker::field(const SyntaxExpr& e)
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

Value Checker::index(const SyntaxExpr& e)
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
Value Checker::intIndex(const SyntaxExpr& e)
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
Value Checker::promote(Value v, Type to)
{
    if (v.type == to)
        return v;
    std::optional<Constant> c = v.constant;
    Value out = make(makeConvert(to, std::move(v.node)));
    if (c)
        return fold(std::move(out));
    return out;
}

Value Checker::unary(const SyntaxExpr& e)
{
    Value v = expression(*e.args[0]);
    if (v.bad())
        return v;
    const bool constant = v.constant.has_value();
    if (e.op == Punct::Tilde ? !v.type.isIntegral() : !v.type.isNumeric())
        return failed(msg::badOperand(opText(e.op), typeName(v.type)));
    v = promote(std::move(v), unaryPromotion(v.type));
    if (e.op == Punct::Plus)
        return v;
    Value out = make(e.op == Punct::Minus ? makeNegate(std::move(v.node)) : makeBitNot(std::move(v.node)));
    if (constant)
        return fold(std::move(out));
    return out;
}

Value Checker::binary(const SyntaxExpr& e)
{
    Value a = expression(*e.args[0]);
    Value b = expression(*e.args[1]);
    return combine(e.op, std::move(a), std::move(b));
}

// a op b for every binary operator but && and ||: the operands converted as Java converts them, the
// result folded when both are constants (a comparison of references never is a constant expression).
Value Checker::combine(Punct punct, Value a, Value b)
{
    if (a.bad() || b.bad())
        return bad();
    const Op op = binaryOp(punct);
    if ((op == Op::Eq || op == Op::Ne) && a.type.isReference() && b.type.isReference()) {
        if (a.type == b.type || a.type == kNull || b.type == kNull)
            return make(makeBinary(op, kString, std::move(a.node), std::move(b.node))); // identity
        return failed(msg::incomparable(typeName(a.type), typeName(b.type)));
    }
    const bool constant = a.constant && b.constant;
    Value out = operation(punct, op, std::move(a), std::move(b));
    if (constant)
        return fold(std::move(out));
    return out;
}

Value Checker::badOperands(Punct punct, const Value& a, const Value& b)
{
    return failed(msg::badOperands(opText(punct), typeName(a.type), typeName(b.type)));
}

// The node of a op b with its operands promoted; `bad()` when the operator does not take their types.
Value Checker::operation(Punct punct, Op op, Value a, Value b)
{
    if (op == Op::Add && (a.type == kString || b.type == kString)) {
        if (a.type == kVoid || b.type == kVoid)
            return badOperands(punct, a, b);
        std::vector<ExprPtr> parts;
        parts.push_back(std::move(a.node));
        parts.push_back(std::move(b.node));
        return make(makeConcat(std::move(parts)));
    }
    switch (op) {
    case Op::Shl:
    case Op::Shr:
    case Op::Ushr:
        return shift(punct, op, std::move(a), std::move(b));
    case Op::And:
    case Op::Or:
    case Op::Xor:
        // Logical on booleans, bitwise on integers.
        if (a.type == kBoolean && b.type == kBoolean)
            return make(makeBinary(op, kBoolean, std::move(a.node), std::move(b.node)));
        if (!a.type.isIntegral() || !b.type.isIntegral())
            return badOperands(punct, a, b);
        return promoted(op, std::move(a), std::move(b));
    case Op::Eq:
    case Op::Ne:
        if (a.type == kBoolean && b.type == kBoolean)
            return make(makeBinary(op, kBoolean, std::move(a.node), std::move(b.node)));
        if (!a.type.isNumeric() || !b.type.isNumeric())
            return failed(msg::incomparable(typeName(a.type), typeName(b.type)));
        return promoted(op, std::move(a), std::move(b));
    default: // arithmetic and the comparisons < <= > >=
        if (!a.type.isNumeric() || !b.type.isNumeric())
            return badOperands(punct, a, b);
        return promoted(op, std::move(a), std::move(b));
    }
}

// a op b on numbers, both converted by binary numeric promotion.
Value Checker::promoted(Op op, Value a, Value b)
{
    const Type t = binaryPromotion(a.type, b.type);
    return make(makeBinary(op, t, promote(std::move(a), t).node, promote(std::move(b), t).node));
}

// a << b, a >> b, a >>> b: each operand promoted on its own; the count is an int (a long count is cut).
Value Checker::shift(Punct punct, Op op, Value a, Value b)
{
    if (!a.type.isIntegral() || !b.type.isIntegral())
        return badOperands(punct, a, b);
    const Type t = unaryPromotion(a.type);
    Value count = b.type == kLong ? make(makeConvert(kInt, std::move(b.node))) : promote(std::move(b), kInt);
    return make(makeBinary(op, t, promote(std::move(a), t).node, std::move(count.node)));
}

// Assignment conversion (declarations, =, array initializers): widening, and a constant int
// narrowed to char when it fits.
Value Checker::assignTo(Value v, Type to)
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

// The type of c ? x : y by Java's rules for the subset; nothing when Java has none (void, or types
// that do not meet).
std::optional<Type> Checker::conditionalType(const Value& x, const Value& y)
{
    if (x.type == kVoid || y.type == kVoid)
        return std::nullopt;
    if (x.type == y.type)
        return x.type;
    if (x.type.isNumeric() && y.type.isNumeric()) {
        // A char and an int constant that fits a char give a char.
        auto fitsChar = [](const Value& v) {
            return v.type == kInt && v.constant && v.constant->prim.i >= 0 && v.constant->prim.i <= 0xFFFF;
        };
        if ((x.type == kChar && fitsChar(y)) || (y.type == kChar && fitsChar(x)))
            return kChar;
        return binaryPromotion(x.type, y.type);
    }
    if (x.type == kNull && y.type.isReference())
        return y.type;
    if (y.type == kNull && x.type.isReference())
        return x.type;
    return std::nullopt;
}

// A cast to `to` (any numeric conversion is allowed).
Value Checker::castTo(Value v, Type to)
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

Value Checker::cast(const SyntaxExpr& e)
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

Value Checker::assignment(const SyntaxExpr& e)
{
    Target t = target(*e.args[0]);
    const bool compound = e.op != Punct::Assign;
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
        return make(
            makeArrayStore(t.type, std::move(t.array.node), std::move(t.index.node), std::move(rhs.node)));
    }
    const Punct op = compoundOperator(e.op);
    if (!t.ok) {
        expression(*e.args[1]);
        return bad();
    }
    const int temp = t.variable ? -1 : hiddenSlot(t.type);
    Value current = make(makeLocal(t.type, t.variable ? t.variable->slot : temp));
    Value rhs = expression(*e.args[1]);
    if (rhs.bad())
        return rhs;
    if (t.type == kString && op != Punct::Plus)
        return failed(msg::badOperands(opText(op), typeName(t.type), typeName(rhs.type)));
    if (t.type != kString && rhs.type == kString)
        return failed(msg::incompatible(typeName(rhs.type), typeName(t.type)));
    Value combined = combine(op, std::move(current), std::move(rhs));
    if (combined.bad())
        return combined;
    Value value =
        t.type == kBoolean || t.type == kString ? std::move(combined) : castTo(std::move(combined), t.type);
    if (value.bad())
        return value;
    if (t.variable)
        return make(makeUpdateLocal(t.type, t.variable->slot, t.variable->id, std::move(value.node), false));
    return make(makeArrayUpdate(t.type, std::move(t.array.node), std::move(t.index.node), temp,
                                std::move(value.node), false));
}

Value Checker::increment(const SyntaxExpr& e)
{
    Target t = target(*e.args[0]);
    if (!t.ok)
        return bad();
    if (t.variable)
        readVariable(*t.variable);
    if (!t.type.isNumeric())
        return failed(msg::badOperand(opText(e.op), typeName(t.type)));
    const bool post = e.kind == SyntaxExprKind::PostIncDec;
    const int temp = t.variable ? -1 : hiddenSlot(t.type);
    Value current = make(makeLocal(t.type, t.variable ? t.variable->slot : temp));
    Constant one;
    one.prim.i = 1;
    Value step = combine(e.op == Punct::Inc ? Punct::Plus : Punct::Minus, std::move(current),
                         constantValue(kInt, one));
    Value value = castTo(std::move(step), t.type);
    if (t.variable)
        return make(makeUpdateLocal(t.type, t.variable->slot, t.variable->id, std::move(value.node), post));
    return make(makeArrayUpdate(t.type, std::move(t.array.node), std::move(t.index.node), temp,
                                std::move(value.node), post));
}

Value Checker::arrayInitializer(const SyntaxExpr& e, Type arrayType)
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

Value Checker::newArray(const SyntaxExpr& e)
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

} // namespace runtime::checking
