#include "runtime/conversions.h"

#include <map>
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

Op binaryOp(const std::u16string& op)
{
    static const std::map<std::u16string, Op> kOps = {
        {u"+", Op::Add},    {u"-", Op::Sub}, {u"*", Op::Mul}, {u"/", Op::Div},  {u"%", Op::Rem},
        {u"&", Op::And},    {u"|", Op::Or},  {u"^", Op::Xor}, {u"<<", Op::Shl}, {u">>", Op::Shr},
        {u">>>", Op::Ushr}, {u"<", Op::Lt},  {u"<=", Op::Le}, {u">", Op::Gt},   {u">=", Op::Ge},
        {u"==", Op::Eq},    {u"!=", Op::Ne},
    };
    return kOps.at(op);
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
