// The checker's calls: methods of the library chosen by Java's overload rules, the calls the compiler
// treats on their own (System.out, String.format, String.valueOf, System.exit) and constructors.
#include "runtime/checker.h"

#include "runtime/conversions.h"
#include "runtime/javatext.h"
#include "runtime/messages.h"

namespace runtime::checking {

namespace {

// The overloads among `candidates` that take arguments of `args` types: those that take them without
// boxing, or where there are none, those that take them with boxing (Java's first two phases).
std::vector<const Builtin*> applicableOverloads(const std::vector<const Builtin*>& candidates,
                                                const std::vector<Type>& args)
{
    std::vector<const Builtin*> applicable;
    for (bool boxing : {false, true}) {
        for (const Builtin* b : candidates) {
            if (b->params.size() != args.size())
                continue;
            bool ok = true;
            for (std::size_t i = 0; ok && i < args.size(); ++i)
                ok = invocable(args[i], b->params[i], boxing);
            if (ok)
                applicable.push_back(b);
        }
        if (!applicable.empty())
            break;
    }
    return applicable;
}

// The one overload whose every parameter converts to the parameter of each other one; null when none is.
const Builtin* mostSpecific(const std::vector<const Builtin*>& applicable)
{
    for (const Builtin* m : applicable) {
        bool specific = true;
        for (const Builtin* other : applicable)
            for (std::size_t i = 0; specific && i < m->params.size(); ++i)
                specific = invocable(m->params[i], other->params[i], false);
        if (specific)
            return m;
    }
    return nullptr;
}

} // namespace

Value Checker::newObject(const SyntaxExpr& e)
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

Value Checker::call(const SyntaxExpr& e)
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
    return libraryCall(e.name, owner, std::move(receiver), argExprs);
}

// A method of the library: static on `owner`, or an instance method of `receiver` (a String or a
// Scanner), chosen among its overloads by the types of the arguments.
Value Checker::libraryCall(const std::u16string& name, const std::optional<std::u16string>& owner,
                           Value receiver, const std::vector<const SyntaxExpr*>& argExprs)
{
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
        return failed(msg::unknownMethod(cp(name)));
    if ((ownerName == u"Math" || ownerName == u"StrictMath") && name == u"round" && args.size() == 1 &&
        args[0].type.isIntegral()) {
        // Math.round(float) is the closest overload for an int, long or char: it gives an int.
        std::vector<ExprPtr> nodes;
        nodes.push_back(promote(std::move(args[0]), kLong).node);
        return make(makeCall(kInt, roundAsFloat, std::move(nodes)));
    }
    const Builtin* chosen = resolve(ownerName, name, !owner, args);
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

Value Checker::unknownMethod(const std::u16string& name, const std::vector<const SyntaxExpr*>& args)
{
    for (const SyntaxExpr* x : args)
        expression(*x);
    return failed(msg::unknownMethod(cp(name)));
}

// The most specific applicable overload, by Java's rules; null (with a problem) when there is none or
// no single one.
const Builtin* Checker::resolve(std::u16string_view owner, const std::u16string& name, bool instance,
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
    std::vector<Type> argTypes;
    for (const Value& v : args)
        argTypes.push_back(v.type);
    const std::vector<const Builtin*> applicable = applicableOverloads(candidates, argTypes);
    std::string typeNames;
    for (const Value& v : args)
        typeNames += (typeNames.empty() ? "" : ", ") + typeName(v.type);
    if (applicable.empty()) {
        problem(msg::noMatchingMethod(cp(name), typeNames));
        return nullptr;
    }
    if (const Builtin* chosen = mostSpecific(applicable))
        return chosen;
    problem(msg::ambiguousCall(cp(name), typeNames));
    return nullptr;
}

Value Checker::printCall(const std::u16string& name, const std::vector<const SyntaxExpr*>& argExprs)
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
Value Checker::formatCall(const std::u16string& name, const std::vector<const SyntaxExpr*>& argExprs,
                          bool printf)
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

Value Checker::exitCall(const std::vector<const SyntaxExpr*>& argExprs)
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
Value Checker::valueOfCall(const std::vector<const SyntaxExpr*>& argExprs)
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

} // namespace runtime::checking
