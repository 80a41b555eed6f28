#pragma once

// Java's conversions and promotions between the types of the subset, as the checker applies them.

#include "runtime/lexer.h"
#include "runtime/nodes.h"
#include "runtime/values.h"

namespace runtime::checking {

// Whether widening primitive conversion takes `from` to `to` (char, int, long, double).
bool widens(Base from, Base to);
// Binary numeric promotion: the type both operands of + - * / % < ... are converted to.
Type binaryPromotion(Type a, Type b);
// Unary numeric promotion: char becomes int.
Type unaryPromotion(Type a);
// The compiled operation of a binary operator other than && and ||.
Op binaryOp(Punct op);
// Method invocation conversion: widening, null and any reference to Object; with `boxing`, a primitive
// to Object too.
bool invocable(Type from, Type to, bool boxing);

} // namespace runtime::checking
