#include "runtime/conversions.h"

#include <stdexcept>

namespace runtime::checking {

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

Type binaryPromotion(Type a, Type b)
{
    if (a.base == Base::Double || b.base == Base::Double)
        return kDouble;
    if (a.base == Base::Long || b.base == Base::Long)
        return kLong;
    return kInt;
}

Type unaryPromotion(Type a)
{
    return a.base == Base::Char ? kInt : a;
}

Op binaryOp(Punct op)
{
    switch (op) {
    case Punct::Plus:
        return Op::Add;
    case Punct::Minus:
        return Op::Sub;
    case Punct::Star:
        return Op::Mul;
    case Punct::Slash:
        return Op::Div;
    case Punct::Percent:
        return Op::Rem;
    case Punct::Amp:
        return Op::And;
    case Punct::Bar:
        return Op::Or;
    case Punct::Caret:
        return Op::Xor;
    case Punct::Shl:
        return Op::Shl;
    case Punct::Shr:
        return Op::Shr;
    case Punct::Ushr:
        return Op::Ushr;
    case Punct::Lt:
        return Op::Lt;
    case Punct::Le:
        return Op::Le;
    case Punct::Gt:
        return Op::Gt;
    case Punct::Ge:
        return Op::Ge;
    case Punct::Eq:
        return Op::Eq;
    case Punct::Ne:
        return Op::Ne;
    default:
        throw std::logic_error("not a binary operator");
    }
}

bool invocable(Type from, Type to, bool boxing)
{
    if (from == to)
        return true;
    if (from.isNumeric() && to.isNumeric())
        return widens(from.base, to.base);
    if (to == kObject)
        return from.isReference() || (boxing && from.isPrimitive());
    return from == kNull && to.isReference();
}

} // namespace runtime::checking
