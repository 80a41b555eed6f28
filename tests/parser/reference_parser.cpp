// The literal parser model: every operation works on one std::string of remaining text.
#include "tests/parser/reference_parser.h"

#include "model/designerror.h"
#include "model/texts.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace reference {

namespace {

constexpr std::size_t npos = std::string::npos;
constexpr int kMaxHeaderNesting = 200;

bool isQuote(char c)
{
    return c == '\'' || c == '"';
}

bool isWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string upper(std::string s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

std::string trimSpace(std::string s)
{
    while (!s.empty() && isSpace(s.back()))
        s.pop_back();
    while (!s.empty() && isSpace(s.front()))
        s.erase(0, 1);
    return s;
}

// One pass: the position examined is `i` in the string as it is now; a replacement is examined again.
void pass(std::string& s, const std::string& pattern, const std::string& replacement)
{
    std::size_t i = 0;
    while (s.size() >= pattern.size() && i <= s.size() - pattern.size()) {
        const char c = s[i];
        if (isQuote(c)) {
            const std::size_t partner = s.find(c, i + 1);
            if (partner == npos)
                return;
            i = partner + 1;
            continue;
        }
        if (s.compare(i, pattern.size(), pattern) == 0) {
            s.replace(i, pattern.size(), replacement);
            continue;
        }
        ++i;
    }
}

std::optional<long long> integerLiteral(const std::string& t)
{
    long long value = 0;
    if (t.size() >= 3 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        for (std::size_t i = 2; i < t.size(); ++i) {
            const std::string digits = "0123456789abcdef";
            char c = t[i];
            if (c >= 'A' && c <= 'F')
                c = static_cast<char>(c - 'A' + 'a');
            const std::size_t d = digits.find(c);
            if (d == npos)
                return std::nullopt;
            value = value * 16 + static_cast<long long>(d);
            if (value > INT_MAX)
                return std::nullopt;
        }
        return value;
    }
    if (t.empty())
        return std::nullopt;
    for (char c : t) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > INT_MAX)
            return std::nullopt;
    }
    return value;
}

struct Result
{
    std::unique_ptr<TElement> element;
    bool endMarker = false;
};

class Parser
{
public:
    Result ParseStatement(std::string& rest);

private:
    std::string NextToken(std::string& rest);
    std::size_t CutCondition(std::string& rest);
    Result ParseBlock(std::string& rest);
    Result ParseIf(std::string& rest);
    Result ParseWhile(std::string& rest);
    Result ParseDoWhile(std::string& rest);
    Result ParseFor(std::string& rest);
    void body(std::string& rest, TBlock& target);
    std::optional<std::string> countingText(std::string init, std::string test, std::string step);

    int m_headers = 0;
};

std::string Parser::NextToken(std::string& rest)
{
    if (rest.empty())
        return "";
    const char c = rest[0];
    if (isQuote(c)) {
        const std::size_t partner = rest.find(c, 1);
        const std::size_t length = partner == npos ? rest.size() : partner + 1;
        std::string token = rest.substr(0, length);
        rest.erase(0, length);
        return token;
    }
    if (isWordChar(c)) {
        std::size_t length = 0;
        while (length < rest.size() && isWordChar(rest[length]))
            ++length;
        std::string token = rest.substr(0, length);
        rest.erase(0, length);
        return token;
    }
    rest.erase(0, 1);
    if (c == '\r' || c == '\n')
        return "";
    if (c == ' ')
        return !rest.empty() && rest[0] != ' ' ? " " : "";
    return std::string(1, c);
}

std::size_t Parser::CutCondition(std::string& rest)
{
    const std::size_t open = rest.find('(');
    if (open != npos)
        rest.erase(0, open + 1);
    int depth = 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '(') {
            ++depth;
        } else if (rest[i] == ')') {
            if (depth <= 0)
                return i + 1;
            --depth;
        }
    }
    return 0;
}

Result Parser::ParseStatement(std::string& rest)
{
    std::string head;
    for (;;) {
        if (rest.empty())
            return {};
        head = NextToken(rest);
        if (!head.empty() && head != " ")
            break;
    }
    const std::string word = upper(head);
    if (word == "DO")
        return ParseDoWhile(rest);
    if (word == "WHILE")
        return ParseWhile(rest);
    if (word == "FOR")
        return ParseFor(rest);
    if (word == "IF")
        return ParseIf(rest);
    if (head == "{")
        return ParseBlock(rest);
    if (head == "}") {
        const std::string next = NextToken(rest);
        if (next != ";")
            rest.insert(0, next);
        return {TAnweisung::Create("}"), true};
    }
    std::string text = head;
    while (!rest.empty()) {
        const std::string token = NextToken(rest);
        if (token == ";")
            break;
        if (upper(token) == "ELSE") {
            rest.insert(0, "else");
            break;
        }
        text += token;
    }
    return {TAnweisung::Create(text), false};
}

void Parser::body(std::string& rest, TBlock& target)
{
    Result r = ParseStatement(rest);
    if (!r.element)
        return;
    if (r.element->isBlock()) {
        auto* block = static_cast<TBlock*>(r.element.get());
        target.FirstChild = block->takeChildren();
        // Kept: the elements linked behind the block (a for loop whose header began with a block).
        target.appendChain(std::move(block->Next));
        return;
    }
    target.FirstChild = std::move(r.element);
}

Result Parser::ParseBlock(std::string& rest)
{
    auto block = TBlock::Create("");
    bool ended = false;
    while (!rest.empty() && !ended) {
        Result r = ParseStatement(rest);
        if (r.endMarker) {
            ended = true;
            continue;
        }
        if (r.element)
            block->appendChain(std::move(r.element));
    }
    return {std::move(block), false};
}

Result Parser::ParseIf(std::string& rest)
{
    const std::size_t close = CutCondition(rest);
    if (close == 0)
        return {};
    const std::string condition = trimSpace(rest.substr(0, close - 1));
    rest.erase(0, close);
    auto decision = TIf::Create(condition);
    body(rest, *decision->branch(1));
    std::string token;
    while (!rest.empty() && (token.empty() || token == " "))
        token = NextToken(rest);
    if (upper(token) == "ELSE")
        body(rest, *decision->branch(2));
    else
        rest.insert(0, token);
    return {std::move(decision), false};
}

Result Parser::ParseWhile(std::string& rest)
{
    const std::size_t close = CutCondition(rest);
    if (close == 0)
        return {};
    const std::string condition = trimSpace(rest.substr(0, close - 1));
    rest.erase(0, close);
    auto loop = TWhile::Create(condition);
    body(rest, *loop->branch(1));
    return {std::move(loop), false};
}

Result Parser::ParseDoWhile(std::string& rest)
{
    int count = 0;
    std::size_t bodyEnd = npos;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '}') {
            if (count <= 1) {
                bodyEnd = i;
                break;
            }
            --count;
        } else if (rest[i] == '{') {
            ++count;
        }
    }
    if (bodyEnd != npos) {
        const std::size_t w = rest.find('w', bodyEnd);
        if (w != npos)
            rest.insert(w, "do");
    }

    auto beginsWithDoWhile = [](const std::string& t) { return upper(t.substr(0, 7)) == "DOWHILE"; };
    auto head = TAnweisung::Create("Dummy");
    std::string last = head->Text;
    while (!rest.empty() && !beginsWithDoWhile(last)) {
        Result r = ParseStatement(rest);
        if (!r.element)
            continue;
        last = r.element->Text;
        if (!beginsWithDoWhile(last)) {
            TElement* tail = head.get();
            while (tail->Next)
                tail = tail->Next.get();
            tail->Next = std::move(r.element);
        }
    }

    std::string condition = trimSpace(last.size() > 7 ? last.substr(7) : "");
    const std::size_t open = condition.find('(');
    if (open != npos)
        condition.erase(0, open + 1);
    int depth = 0;
    for (std::size_t i = 0; i < condition.size(); ++i) {
        if (condition[i] == '(') {
            ++depth;
        } else if (condition[i] == ')') {
            if (depth == 0) {
                condition.erase(i);
                break;
            }
            --depth;
        }
    }

    auto loop = TDoWhile::Create(condition);
    std::unique_ptr<TElement> first = std::move(head->Next);
    if (first && first->isBlock())
        loop->branch(1)->FirstChild = static_cast<TBlock*>(first.get())->takeChildren();
    else
        loop->branch(1)->FirstChild = std::move(first);
    return {std::move(loop), false};
}

std::optional<std::string> Parser::countingText(std::string init, std::string test, std::string step)
{
    std::string v = NextToken(init);
    init = trimSpace(init);
    if (upper(v) == "INT")
        v = NextToken(init);
    init = trimSpace(init);
    if (NextToken(init) != "=" || init.empty())
        return std::nullopt;
    init = trimSpace(init);
    const std::string start = NextToken(init);

    test = trimSpace(test);
    if (NextToken(test) != v || test.empty())
        return std::nullopt;
    test = trimSpace(test);
    if (NextToken(test) != "<" || test.empty())
        return std::nullopt;
    std::string end;
    const std::string relation = NextToken(test);
    if (relation == " " && !test.empty()) {
        test = trimSpace(test);
        const auto bound = integerLiteral(NextToken(test));
        if (!bound)
            return std::nullopt;
        end = std::to_string(*bound - 1);
    } else if (relation == "=" && !test.empty()) {
        test = trimSpace(test);
        end = NextToken(test);
    } else {
        return std::nullopt;
    }

    step = trimSpace(step);
    if (NextToken(step) != v || step.empty())
        return std::nullopt;
    step = trimSpace(step);
    const std::string op = NextToken(step);
    if (op == "=") {
        step = trimSpace(step);
        if (NextToken(step) != v)
            return std::nullopt;
        step = trimSpace(step);
        if (NextToken(step) != "+")
            return std::nullopt;
        step = trimSpace(step);
        if (NextToken(step) != "1")
            return std::nullopt;
    } else {
        if (op != "+")
            return std::nullopt;
        if (NextToken(step) != "+")
            return std::nullopt;
    }
    return v + " von " + start + " bis " + end;
}

Result Parser::ParseFor(std::string& rest)
{
    const std::size_t close = CutCondition(rest);
    if (close == 0)
        return {};
    std::string header = trimSpace(rest.substr(0, close - 1));
    rest.erase(0, close);

    std::string init;
    std::string afterInit = header;
    if (const std::size_t s = header.find(';'); s != npos) {
        init = header.substr(0, s);
        afterInit = header.substr(s + 1);
    }
    std::string test;
    std::string step = afterInit;
    if (const std::size_t s = afterInit.find(';'); s != npos) {
        test = afterInit.substr(0, s);
        step = afterInit.substr(s + 1);
    }

    if (auto text = countingText(init, test, step)) {
        auto loop = TFor::Create(*text);
        body(rest, *loop->branch(1));
        return {std::move(loop), false};
    }

    if (++m_headers > kMaxHeaderNesting) {
        --m_headers;
        throw DesignError(ErrorReason::TooDeeplyNested);
    }
    Result initial;
    try {
        initial = ParseStatement(header);
    } catch (...) {
        --m_headers;
        throw;
    }
    --m_headers;

    std::string condition;
    std::string stepText = header;
    if (const std::size_t s = header.find(';'); s != npos) {
        condition = header.substr(0, s);
        stepText = header.substr(s + 1);
    }
    auto loop = TWhile::Create(condition);
    body(rest, *loop->branch(1));
    Result stepResult = ParseStatement(stepText);
    if (stepResult.element)
        loop->branch(1)->appendChain(std::move(stepResult.element));

    // No initial statement (empty header): the while loop alone. An initial chain keeps all its elements.
    if (!initial.element)
        return {std::move(loop), false};
    TElement* tail = initial.element.get();
    while (tail->Next)
        tail = tail->Next.get();
    tail->Next = std::move(loop);
    return {std::move(initial.element), false};
}

// The deepest block level in the sequence starting at `e`, whose blocks stand at `level`.
int deepest(const TElement* e, int level)
{
    int most = 0;
    for (; e; e = e->Next.get()) {
        if (const TBlock* block = asBlock(e)) {
            most = std::max(most, level);
            most = std::max(most, deepest(block->FirstChild.get(), level + 1));
        } else if (const TBedingung* c = asCondition(e)) {
            for (int i = 1; i <= c->BranchCount; ++i) {
                if (const TBlock* branch = c->branch(i)) {
                    most = std::max(most, level);
                    most = std::max(most, deepest(branch->FirstChild.get(), level + 1));
                }
            }
        }
    }
    return most;
}

} // namespace

std::string NormaliseText(std::string_view text)
{
    std::string s(text);
    pass(s, "\r\n", " ");
    pass(s, "\t", " ");
    pass(s, "  ", " ");
    pass(s, " ;", ";");
    return s;
}

std::unique_ptr<TBlock> ParseText(std::string_view text)
{
    std::string rest = NormaliseText(text);
    auto block = TBlock::Create("");
    Parser parser;
    while (!rest.empty()) {
        Result r = parser.ParseStatement(rest);
        if (r.element)
            block->appendChain(std::move(r.element));
    }
    if (deepest(block->FirstChild.get(), 2) > kMaxNesting)
        throw DesignError(ErrorReason::TooDeeplyNested);
    return block;
}

} // namespace reference
