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
#include "runtime/checker.h"

#include "model/looptext.h"
#include "runtime/javatext.h"
#include "runtime/messages.h"
#include "runtime/pseudocode.h"

#include <algorithm>

namespace runtime {

namespace checking {

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

// An operator as the messages quote it.
std::string opText(Punct op)
{
    return toCp1252(std::u16string(spelling(op)));
}

std::vector<Problem> Checker::check(const TBlock& root)
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
    m_p.finishNodes();
    // In the order of the design: an element's problems from parsing and from the rest together.
    std::stable_sort(m_problems.begin(), m_problems.end(), [this](const Problem& a, const Problem& b) {
        return m_elementIndex.at(a.element.element) < m_elementIndex.at(b.element.element);
    });
    return std::move(m_problems);
}

void Checker::problem(const std::string& message)
{
    if (m_silent || m_quiet.count(m_element))
        return;
    const ProgramElement& e = m_p.elements[static_cast<std::size_t>(m_element)];
    std::string text = message + " in \x84" + e.text + "\x93";
    if (!m_reported.insert({m_element, text}).second)
        return;
    m_problems.push_back({e.id, std::move(text)});
}

Value Checker::failed(const std::string& message)
{
    problem(message);
    return bad();
}

int Checker::elementIndex(const TElement* e)
{
    auto [it, added] = m_elementIndex.try_emplace(e, static_cast<int>(m_p.elements.size()));
    if (added)
        m_p.elements.push_back({{e, e->serial()}, e->Text});
    return it->second;
}

void Checker::parseSequence(const TElement* first)
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

void Checker::parse(const TElement& e)
{
    const std::size_t problemsBefore = m_problems.size();
    Parsed p;
    try {
        p = parseText(e);
        m_element = elementIndex(&e);
        scanParsed(p);
    } catch (const SyntaxError& error) {
        p.error = error.what();
        m_element = elementIndex(&e);
        problem(msg::syntaxError(p.error));
        standInForFailed(e, p);
    }
    m_element = elementIndex(&e);
    if (m_problems.size() > problemsBefore) {
        m_failed.insert(m_element);
        // Pseudo-code gets one message that says what to write in Java instead.
        if (std::optional<std::string> advice = pseudoCodeAdvice(e.Text, e.kind() != Kind::Anweisung)) {
            m_problems.resize(problemsBefore);
            m_problems.push_back({m_p.elements[static_cast<std::size_t>(m_element)].id, std::move(*advice)});
        }
    }
    m_parsed.emplace(&e, std::move(p));
}

// The syntax trees of an element's text, as the export writes it into the Java text: a statement
// element's text with the ';' the export adds, a condition followed by the ')' that closes it, a counting
// loop "V von S bis E" as the header "V=S;V<=E;V=V+1)". Throws SyntaxError.
Parsed Checker::parseText(const TElement& e)
{
    Parsed p;
    const std::u16string text = fromCp1252(e.Text);
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
    return p;
}

// Reports what marks a parsed text as pseudo-code or as no statement.
void Checker::scanParsed(const Parsed& p)
{
    for (const SyntaxStmtPtr& s : p.statements)
        scanNames(*s);
    scanNames(p.condition.get());
    for (const SyntaxExprPtr& x : p.header.init) {
        if (!isStatementExpression(*x))
            problem(msg::kNotAStatement);
        scanNames(x.get());
    }
    scanNames(p.header.test.get());
}

// What stands for a text that did not parse, so that the second pass can go on around it: a condition
// of no known value that raises nothing, and a counting loop's variable that still gets a value, so that
// its uses in the body raise nothing.
void Checker::standInForFailed(const TElement& e, Parsed& p)
{
    auto unknown = std::make_unique<SyntaxExpr>();
    unknown->kind = SyntaxExprKind::Name;
    if (e.kind() == Kind::For) {
        const std::u16string v = fromCp1252(splitLoopText(e.Text).variable);
        if (isIdentifierText(v)) {
            try {
                p.header = parseForHeader(v + u"=0;" + v + u"<=0;" + v + u"=" + v + u"+1)");
            } catch (const SyntaxError&) {
                p.header = {}; // a keyword: no variable
            }
        }
        p.header.test = std::move(unknown);
    } else if (e.kind() != Kind::Anweisung) {
        p.condition = std::move(unknown);
    }
}

// Names that no program can declare (a type, a method of its own, a class) mark a text as pseudo-code
// ("Eingabe x", "ausgeben(summe)"); they are reported with the syntax errors.
void Checker::scanType(const std::u16string& name, bool primitive)
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

void Checker::scanNames(const SyntaxStmt& s)
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

void Checker::scanNames(const SyntaxExpr* e)
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

} // namespace checking

CheckResult Check(const TBlock& root)
{
    auto program = std::make_shared<Program>();
    CheckResult result;
    checking::Checker checker(*program);
    result.problems = checker.check(root);
    result.declaringLoops = checker.declaringLoops();
    if (result.problems.empty())
        result.program = std::move(program);
    return result;
}

} // namespace runtime
