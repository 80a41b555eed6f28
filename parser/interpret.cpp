// The source text parser: normalisation, tokens and the recursive-descent parse functions.
#include "parser/interpret.h"

#include "parser/interpreter.h"

#include "model/texts.h"
#include "parser/sourcetext.h"
#include "parser/statementtext.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>

namespace {

constexpr std::size_t npos = std::string::npos;

// For-loop headers parsed inside for-loop headers: such a header nests the parse, not the result.
constexpr int kMaxHeaderNesting = 200;
// ParseStatement calls that may be active at once: every block level of the result costs at most two,
// every header one. The nesting checks keep below this; it stands guard over the stack as a whole.
constexpr int kMaxFrames = 2 * (kMaxNesting + 1) + kMaxHeaderNesting;
// The depth given to statements whose results are dropped: so low that no nesting inside them reaches
// the limit, since they never become part of the result. The frame guard still bounds their recursion.
constexpr int kDroppedDepth = INT_MIN / 2;

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

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string upperText(std::string text)
{
    for (char& c : text)
        c = upper(c);
    return text;
}

// One normalisation pass: replaces `pattern` (one or two characters) by `replacement` wherever it
// begins outside a quoted string, and examines the same position again after each replacement. Works
// in place: [0, w) is the finished text, [r, n) the part not yet examined, and a replacement is written
// back in front of that part. The position examined is w, so the pattern can begin there while
// n - r >= its length.
void normalisePass(std::string& s, std::string_view pattern, char replacement)
{
    const std::size_t m = pattern.size();
    const char first = pattern[0];
    const char second = m > 1 ? pattern[1] : '\0';
    const std::size_t n = s.size();
    char* const data = s.data();
    std::size_t r = 0;
    std::size_t w = 0;
    while (r + m <= n) {
        const char c = data[r];
        if (isQuote(c)) {
            const std::size_t after = literalEnd(std::string_view(data, n), r, n);
            if (after == npos)
                break; // a quote without a partner ends the pass
            std::memmove(data + w, data + r, after - r);
            w += after - r;
            r = after;
            continue;
        }
        if (c == first && (m == 1 || data[r + 1] == second)) {
            r += m - 1;
            data[r] = replacement;
            continue;
        }
        data[w++] = data[r++];
    }
    std::memmove(data + w, data + r, n - r);
    s.resize(w + (n - r));
}

// The condition of a do-while loop from the text of the statement that ended it: from its eighth
// character on, trimmed, after its first "(" and up to the ")" that closes that (nesting counted).
std::string doWhileCondition(const std::string& closing)
{
    std::string s = TrimSpace(closing.size() > 7 ? std::string_view(closing).substr(7) : std::string_view());
    const std::size_t open = s.find('(');
    if (open != npos)
        s.erase(0, open + 1);
    int depth = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '(') {
            ++depth;
        } else if (s[i] == ')') {
            if (depth <= 0) {
                s.resize(i);
                break;
            }
            --depth;
        }
    }
    return s;
}

bool beginsWithDoWhile(const std::string& text)
{
    return text.size() >= 7 && upperText(text.substr(0, 7)) == "DOWHILE";
}

// The position of the first entry of `positions` in [from, end), or npos.
std::size_t firstIn(const std::vector<std::size_t>& positions, std::size_t from, std::size_t end)
{
    const auto it = std::lower_bound(positions.begin(), positions.end(), from);
    return it != positions.end() && *it < end ? *it : npos;
}

// Links `chain` at `*link` and moves `link` to the last element's Next.
void linkChain(std::unique_ptr<TElement>*& link, std::unique_ptr<TElement> chain)
{
    *link = std::move(chain);
    while (*link)
        link = &(*link)->Next;
}

} // namespace

std::string NormaliseText(std::string_view text)
{
    std::string s(text);
    normalisePass(s, "\r\n", ' ');
    normalisePass(s, "\t", ' ');
    normalisePass(s, "  ", ' ');
    normalisePass(s, " ;", ';');
    return s;
}

std::string TrimSpace(std::string_view s)
{
    std::size_t end = s.size();
    while (end > 0 && isSpace(s[end - 1]))
        --end;
    std::size_t start = 0;
    while (start < end && isSpace(s[start]))
        ++start;
    return std::string(s.substr(start, end - start));
}

TParsedSource parseSource(std::string_view text)
{
    TStrippedText stripped = stripComments(text);
    TParsedSource parsed;
    parsed.commentsLeftOut = stripped.commentsLeftOut;
    parsed.root = TInterpreter(NormaliseText(stripped.text), std::move(stripped.blockNames)).ParseText();
    return parsed;
}

std::unique_ptr<TBlock> ParseText(std::string_view text)
{
    return parseSource(text).root;
}

TImportedText importJava(std::string_view bytes)
{
    TDecodedText decoded = decodeSourceText(bytes);
    TParsedSource parsed = parseSource(decoded.text);
    return {std::move(parsed.root), parsed.commentsLeftOut, decoded.replaced};
}

// Counts nested calls and refuses the text when they would exceed `limit`.
class TInterpreter::TFrameGuard
{
public:
    TFrameGuard(int& frames, int limit) : m_frames(frames)
    {
        if (++m_frames > limit) {
            --m_frames;
            throw DesignError(ErrorReason::TooDeeplyNested);
        }
    }
    ~TFrameGuard() { --m_frames; }
    TFrameGuard(const TFrameGuard&) = delete;
    TFrameGuard& operator=(const TFrameGuard&) = delete;

private:
    int& m_frames;
};

// Opens a scope for the time of a body's parse.
class TInterpreter::TScopeGuard
{
public:
    explicit TScopeGuard(std::vector<TScope>& scopes) : m_scopes(scopes) { m_scopes.emplace_back(); }
    ~TScopeGuard() { m_scopes.pop_back(); }
    TScopeGuard(const TScopeGuard&) = delete;
    TScopeGuard& operator=(const TScopeGuard&) = delete;

private:
    std::vector<TScope>& m_scopes;
};

TInterpreter::TInterpreter(std::string normalisedText, std::vector<std::string> blockNames)
    : m_text(std::move(normalisedText)), m_blockNames(std::move(blockNames)), m_scopes(1)
{
    // Parentheses and braces are matched as the scans of CutCondition and ParseDoWhile count them: a
    // closing one belongs to the nearest opening one still open, and is ignored when none is open.
    std::vector<std::size_t> openParens;
    std::vector<std::size_t> openBraces;
    for (std::size_t i = 0; i < m_text.size(); ++i) {
        switch (m_text[i]) {
        case '(':
            openParens.push_back(m_openParens.size());
            m_openParens.push_back(i);
            m_parenMatch.push_back(npos);
            break;
        case ')':
            m_closeParens.push_back(i);
            if (!openParens.empty()) {
                m_parenMatch[openParens.back()] = i;
                openParens.pop_back();
            }
            break;
        case '{':
            openBraces.push_back(m_braces.size());
            m_braces.push_back(i);
            m_braceMatch.push_back(npos);
            break;
        case '}':
            if (!openBraces.empty()) {
                m_braceMatch[openBraces.back()] = i;
                openBraces.pop_back();
            }
            m_braces.push_back(i);
            m_braceMatch.push_back(npos);
            break;
        case 'w':
            m_lowerW.push_back(i);
            break;
        case ';':
            m_semicolons.push_back(i);
            break;
        default:
            break;
        }
    }
}

std::size_t TInterpreter::firstInsertion(std::size_t from) const
{
    // Most of the text lies after every insertion made so far: no search there.
    if (m_insertions.empty() || from > *m_insertions.rbegin())
        return npos;
    return *m_insertions.lower_bound(from);
}

void TInterpreter::appendText(std::string& out, std::size_t from, std::size_t to) const
{
    if (from >= to)
        return;
    if (firstInsertion(from) >= to) {
        out.append(m_text, from, to - from);
        return;
    }
    std::size_t at = from;
    for (auto it = m_insertions.lower_bound(from); it != m_insertions.end() && *it < to; ++it) {
        out.append(m_text, at, *it - at);
        out += "do";
        at = *it;
    }
    out.append(m_text, at, to - at);
}

std::string TInterpreter::text(std::size_t from, std::size_t to) const
{
    std::string out;
    appendText(out, from, to);
    return out;
}

TInterpreter::TToken TInterpreter::NextToken(TRemaining& rest)
{
    if (rest.empty())
        return {rest.pos, rest.pos};
    if (rest.pos == m_cache.from && rest.end == m_cache.end) {
        rest.pos = m_cache.next;
        return m_cache.token;
    }
    const std::size_t p = rest.pos;
    const char c = m_text[p];
    TToken token{p, p + 1};
    std::size_t next = p + 1;
    if (isQuote(c)) {
        const std::size_t after = literalEnd(m_text, p, rest.end);
        next = after != npos ? after : rest.end;
        token.end = next;
    } else if (isWordChar(c)) {
        while (next < rest.end && isWordChar(m_text[next]))
            ++next;
        token.end = next;
    } else if (c == '\r' || c == '\n' || (c == ' ' && (next >= rest.end || m_text[next] == ' '))) {
        token = {next, next};
    }
    m_cache = {p, rest.end, next, token};
    rest.pos = next;
    return token;
}

void TInterpreter::putBack(TRemaining& rest, TToken token) const
{
    if (!token.empty())
        rest.pos = token.start;
}

// An "else" that ended a statement goes back as "else", whatever its case was.
void TInterpreter::putBackElse(TRemaining& rest, TToken token)
{
    m_text.replace(token.start, 4, "else");
    rest.pos = token.start;
}

bool TInterpreter::isWord(TToken token, std::string_view upperWord) const
{
    if (token.end - token.start != upperWord.size())
        return false;
    for (std::size_t i = 0; i < upperWord.size(); ++i) {
        if (upper(m_text[token.start + i]) != upperWord[i])
            return false;
    }
    // A word that holds an inserted "do" besides its own characters is longer than it looks.
    const std::size_t insertion = firstInsertion(token.start);
    return insertion == npos || insertion >= token.end;
}

bool TInterpreter::isChar(TToken token, char c) const
{
    return token.end == token.start + 1 && m_text[token.start] == c;
}

void TInterpreter::trim(TRemaining& rest) const
{
    while (rest.end > rest.pos && isSpace(m_text[rest.end - 1]))
        --rest.end;
    while (rest.pos < rest.end && isSpace(m_text[rest.pos]))
        ++rest.pos;
}

void TInterpreter::checkLevel(int level)
{
    if (level > kMaxNesting)
        throw DesignError(ErrorReason::TooDeeplyNested);
}

std::optional<std::size_t> TInterpreter::CutCondition(TRemaining& rest)
{
    const auto open = std::lower_bound(m_openParens.begin(), m_openParens.end(), rest.pos);
    if (open != m_openParens.end() && *open < rest.end) {
        rest.pos = *open + 1;
        const std::size_t close = m_parenMatch[static_cast<std::size_t>(open - m_openParens.begin())];
        if (close == npos || close >= rest.end)
            return std::nullopt;
        return close;
    }
    const std::size_t close = firstIn(m_closeParens, rest.pos, rest.end);
    if (close == npos)
        return std::nullopt;
    return close;
}

std::optional<TInterpreter::TRemaining> TInterpreter::cutTrimmedCondition(TRemaining& rest)
{
    const std::optional<std::size_t> close = CutCondition(rest);
    if (!close)
        return std::nullopt;
    TRemaining condition{rest.pos, *close};
    trim(condition);
    rest.pos = *close + 1;
    return condition;
}

// Text := { Statement }
std::unique_ptr<TBlock> TInterpreter::ParseText()
{
    auto block = TBlock::Create("");
    TRemaining rest = whole();
    std::unique_ptr<TElement>* link = &block->FirstChild;
    while (!rest.empty())
        linkChain(link, ParseStatement(rest, TPlace{2, false}).element);
    adoptTree(*block);
    return block;
}

// Statement := "do" DoWhile | "while" While | "for" For | "if" If | "{" Block | "}"
//            | SimpleStatement
// Keywords are whole tokens in any case; blanks and line ends before the head are skipped.
TInterpreter::TParsed TInterpreter::ParseStatement(TRemaining& rest, TPlace place)
{
    const TFrameGuard guard(m_frames, kMaxFrames);
    TToken head;
    for (;;) {
        if (rest.empty())
            return {};
        head = NextToken(rest);
        if (!head.empty() && !isChar(head, ' '))
            break;
    }
    if (isWord(head, "DO"))
        return ParseDoWhile(rest, place);
    if (isWord(head, "WHILE"))
        return ParseWhile(rest, place);
    if (isWord(head, "FOR"))
        return ParseFor(rest, place);
    if (isWord(head, "IF"))
        return ParseIf(rest, place);
    if (isChar(head, '{')) {
        if (place.dissolved)
            return {ParseBlock(rest, TPlace{place.depth, false}), false};
        checkLevel(place.depth);
        return {ParseBlock(rest, TPlace{place.depth + 1, false}), false};
    }
    if (isChar(head, '}'))
        return {endMarker(rest), true};
    if (isChar(head, kBlockMarker))
        return namedBlock(rest, place);
    return {simpleStatement(rest, head), false};
}

// After a named-block marker: "N{" begins the named block with the name N, "}" ends it.
TInterpreter::TParsed TInterpreter::namedBlock(TRemaining& rest, TPlace place)
{
    const TToken number = NextToken(rest);
    if (isChar(number, '}'))
        return {nullptr, true};
    // A marker that a stretch cuts off (a for-loop header that reaches across one) is no block.
    const std::string digits = text(number);
    std::size_t index = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (error != std::errc() || end != digits.data() + digits.size() || index >= m_blockNames.size() ||
        !isChar(NextToken(rest), '{'))
        return {};
    checkLevel(place.depth);
    auto block = ParseBlock(rest, TPlace{place.depth + 1, false});
    block->Text = m_blockNames.at(index);
    return {std::move(block), false, true};
}

// The end marker "}": a ";" right after it is consumed with it.
std::unique_ptr<TElement> TInterpreter::endMarker(TRemaining& rest)
{
    const TToken after = NextToken(rest);
    if (!isChar(after, ';'))
        putBack(rest, after);
    return TAnweisung::Create("}");
}

// SimpleStatement := head { token } [ ";" | <before> "else" ]
std::unique_ptr<TElement> TInterpreter::simpleStatement(TRemaining& rest, TToken head)
{
    std::string statement = text(head);
    // Nothing is inserted while a statement is read, so the next insertion point is looked up only
    // when a token reaches it.
    std::size_t insertion = firstInsertion(rest.pos);
    while (!rest.empty()) {
        const TToken token = NextToken(rest);
        if (isChar(token, ';'))
            break;
        if (isWord(token, "ELSE")) {
            putBackElse(rest, token);
            break;
        }
        if (isChar(token, kBlockMarker)) { // a named block begins or ends: the statement lacked its ";"
            putBack(rest, token);
            break;
        }
        if (insertion == npos || token.end <= insertion) {
            statement.append(m_text, token.start, token.end - token.start);
        } else {
            appendText(statement, token.start, token.end);
            insertion = firstInsertion(token.end);
        }
    }
    return TAnweisung::Create(declaredStatement(std::move(statement)));
}

const TInterpreter::TVariable* TInterpreter::lookup(const std::string& name) const
{
    for (auto scope = m_scopes.rbegin(); scope != m_scopes.rend(); ++scope) {
        const auto found = scope->find(name);
        if (found != scope->end())
            return &found->second;
    }
    return nullptr;
}

void TInterpreter::declare(const TDeclaration& declaration, bool leaked)
{
    for (const TDeclarator& declarator : declaration.declarators)
        m_scopes.back()[declarator.name] = TVariable{declaration.type, leaked};
}

// Records a declaration. A declaration of a variable that the initial statement of an earlier for loop
// (while form) declared with the same type is written as an assignment: in Java that variable's scope
// ended with its loop, in the design it goes on, and a second declaration would be refused.
std::string TInterpreter::declaredStatement(std::string statement)
{
    const std::optional<TDeclaration> declaration = parseDeclaration(statement);
    if (!declaration)
        return statement;
    if (declaration->declarators.size() == 1 && declaration->declarators[0].initialised) {
        const TDeclarator& only = declaration->declarators[0];
        const TVariable* earlier = lookup(only.name);
        if (earlier && earlier->leaked && earlier->type == declaration->type)
            return std::string(only.text);
    }
    declare(*declaration, false);
    return statement;
}

// Block := { Statement } "}"      (after "{"; a missing "}" ends the block at the end of the text)
std::unique_ptr<TBlock> TInterpreter::ParseBlock(TRemaining& rest, TPlace children)
{
    auto block = TBlock::Create("");
    std::unique_ptr<TElement>* link = &block->FirstChild;
    while (!rest.empty()) {
        TParsed parsed = ParseStatement(rest, children);
        if (parsed.endMarker)
            break;
        linkChain(link, std::move(parsed.element));
    }
    return block;
}

// Body := Statement           (a braced block gives its own sequence to the branch)
// A body is a scope of its own; a named block standing as the body stays a named block.
void TInterpreter::parseBody(TRemaining& rest, TBlock& branch, int depth)
{
    const TScopeGuard scope(m_scopes);
    TParsed parsed = ParseStatement(rest, TPlace{depth, true});
    if (!parsed.element)
        return;
    TBlock* block = asBlock(parsed.element.get());
    if (block && !parsed.named) {
        branch.FirstChild = block->takeChildren();
        // Elements behind the block (a for loop whose header was a braced block) are kept after it.
        branch.appendChain(std::move(block->Next));
        return;
    }
    branch.FirstChild = std::move(parsed.element);
}

// If := "(" condition ")" Body [ "else" Body ]      (after "if")
TInterpreter::TParsed TInterpreter::ParseIf(TRemaining& rest, TPlace place)
{
    const std::optional<TRemaining> conditionPart = cutTrimmedCondition(rest);
    if (!conditionPart)
        return {};
    const TRemaining condition = *conditionPart;
    checkLevel(place.depth);
    auto decision = TIf::Create(text(condition.pos, condition.end));
    parseBody(rest, *decision->branch(1), place.depth + 1);
    TToken token;
    while (!rest.empty()) {
        token = NextToken(rest);
        if (!token.empty() && !isChar(token, ' '))
            break;
    }
    if (isWord(token, "ELSE"))
        parseBody(rest, *decision->branch(2), place.depth + 1);
    else
        putBack(rest, token);
    return {std::move(decision), false};
}

// While := "(" condition ")" Body      (after "while")
TInterpreter::TParsed TInterpreter::ParseWhile(TRemaining& rest, TPlace place)
{
    const std::optional<TRemaining> conditionPart = cutTrimmedCondition(rest);
    if (!conditionPart)
        return {};
    const TRemaining condition = *conditionPart;
    checkLevel(place.depth);
    auto loop = TWhile::Create(text(condition.pos, condition.end));
    parseBody(rest, *loop->branch(1), place.depth + 1);
    return {std::move(loop), false};
}

// Finds the end of a do-while body (the first "}" met while at most one brace is open) and records an
// insertion point at the first "w" after it, so that the closing "while" reads as "dowhile (...)".
void TInterpreter::insertDoBeforeClosingWhile(const TRemaining& rest)
{
    const auto brace = std::lower_bound(m_braces.begin(), m_braces.end(), rest.pos);
    if (brace == m_braces.end() || *brace >= rest.end)
        return;
    std::size_t bodyEnd = *brace;
    if (m_text[bodyEnd] == '{') {
        bodyEnd = m_braceMatch[static_cast<std::size_t>(brace - m_braces.begin())];
        if (bodyEnd == npos || bodyEnd >= rest.end)
            return;
    }
    const std::size_t w = firstIn(m_lowerW, bodyEnd, rest.end);
    if (w != npos)
        m_insertions.insert(w);
}

// DoWhile := Statement { Statement } "dowhile" ... "(" condition ")"      (after "do")
// The body must be braced and its closing keyword begin with a lower-case "w" for the end to be found.
TInterpreter::TParsed TInterpreter::ParseDoWhile(TRemaining& rest, TPlace place)
{
    insertDoBeforeClosingWhile(rest);
    checkLevel(place.depth);
    std::unique_ptr<TElement> collected;
    std::unique_ptr<TElement>* link = &collected;
    // The text of the last result; before the first one, that of the placeholder head of the sequence.
    std::string closingStatement = "Dummy";
    const std::string* closing = &closingStatement;
    const TScopeGuard scope(m_scopes);
    while (!rest.empty()) {
        // After a leading braced block, what is collected is dropped (see below): not counted as nesting.
        const TPlace next =
            asBlock(collected.get()) ? TPlace{kDroppedDepth, false} : TPlace{place.depth + 1, !collected};
        TParsed parsed = ParseStatement(rest, next);
        if (!parsed.element)
            continue;
        if (beginsWithDoWhile(parsed.element->Text)) {
            closingStatement = std::move(parsed.element->Text);
            closing = &closingStatement;
            break;
        }
        closing = &parsed.element->Text; // stays valid: the element lives on in the collected chain
        linkChain(link, std::move(parsed.element));
    }
    auto loop = TDoWhile::Create(doWhileCondition(*closing));
    if (TBlock* block = asBlock(collected.get()))
        loop->branch(1)->FirstChild = block->takeChildren(); // what follows the block is dropped
    else
        loop->branch(1)->FirstChild = std::move(collected);
    return {std::move(loop), false};
}

namespace {

bool isContinue(const TElement& e)
{
    return e.kind() == Kind::Anweisung && TrimSpace(e.Text) == "continue";
}

// Puts a copy of `steps` before every "continue" of the loop whose body holds the sequence at `link`:
// in decisions and named blocks, not in the loops inside, whose "continue" is their own.
void stepBeforeContinue(std::unique_ptr<TElement>* link, const TElement& steps)
{
    while (*link) {
        TElement& e = **link;
        if (isContinue(e)) {
            std::unique_ptr<TElement> rest = std::move(*link);
            linkChain(link, steps.Clone());
            *link = std::move(rest);
        } else if (TBlock* block = asBlock(&e)) {
            stepBeforeContinue(&block->FirstChild, steps);
        } else if (e.kind() == Kind::If) {
            const auto& decision = static_cast<TIf&>(e);
            for (int i = 1; i <= decision.BranchCount; ++i)
                if (TBlock* branch = decision.branch(i))
                    stepBeforeContinue(&branch->FirstChild, steps);
        }
        link = &(*link)->Next;
    }
}

bool startsWithKeyword(const std::string& text)
{
    std::size_t end = 0;
    while (end < text.size() && isWordChar(text[end]))
        ++end;
    const std::string word = upperText(text.substr(0, end));
    return word == "FOR" || word == "WHILE" || word == "IF" || word == "DO" || (end == 0 && !text.empty());
}

} // namespace

// The three parts of a for header, split at its first two ";". A missing ";" leaves the part before it
// empty and all of the text to the part after it.
TInterpreter::THeader TInterpreter::splitHeader(TRemaining header) const
{
    THeader parts;
    parts.init = {header.pos, header.pos};
    TRemaining afterInit = header;
    const std::size_t first = firstIn(m_semicolons, header.pos, header.end);
    if (first != npos) {
        parts.init.end = first;
        afterInit.pos = first + 1;
    }
    parts.test = {afterInit.pos, afterInit.pos};
    parts.step = afterInit;
    if (const std::size_t second = firstIn(m_semicolons, afterInit.pos, afterInit.end); second != npos) {
        parts.test.end = second;
        parts.step.pos = second + 1;
        parts.complete = first != npos;
    }
    return parts;
}

// The text of a part as a statement read from it has it: its tokens one after the other, line ends left
// out, blanks at its ends trimmed.
std::string TInterpreter::partText(TRemaining part)
{
    trim(part);
    std::string out;
    while (!part.empty()) {
        const TToken token = NextToken(part);
        appendText(out, token.start, token.end);
    }
    return out;
}

// For := "(" init ";" test ";" step ")" Body      (after "for")
// A header that a counting loop can hold without losing a character gives a counting loop; any other
// gives the initial statements followed by a while loop whose body ends with the steps.
TInterpreter::TParsed TInterpreter::ParseFor(TRemaining& rest, TPlace place)
{
    const std::optional<TRemaining> headerPart = cutTrimmedCondition(rest);
    if (!headerPart)
        return {};
    const THeader header = splitHeader(*headerPart);

    const auto typeOf = [this](const std::string& name) -> std::optional<std::string> {
        const TVariable* variable = lookup(name);
        return variable ? std::optional<std::string>(variable->type) : std::nullopt;
    };
    if (std::optional<std::string> loopText =
            countingLoopText(text(header.init.pos, header.init.end), text(header.test.pos, header.test.end),
                             text(header.step.pos, header.step.end), typeOf))
        return countingLoop(rest, place, header, std::move(*loopText));

    // An initial part that begins with a keyword or another character than a letter is parsed as a statement
    // of its own, with the rest of the header after it, as it always was. So is a header that lacks a ";".
    TRemaining init = header.init;
    trim(init);
    if (!header.complete || startsWithKeyword(text(init.pos, std::min(init.end, init.pos + 6))))
        return legacyWhileForm(rest, place, *headerPart);

    std::unique_ptr<TElement> initial = initialStatements(header.init);
    // A header with both ";" but no test loops until it is left: Java's empty test is true.
    std::string condition = text(header.test.pos, header.test.end);
    if (header.complete && TrimSpace(condition).empty())
        condition = "true";
    checkLevel(place.depth);
    auto loop = TWhile::Create(std::move(condition));
    TBlock& body = *loop->branch(1);
    parseBody(rest, body, place.depth + 1);
    std::unique_ptr<TElement> steps = stepStatements(header.step, TPlace{place.depth + 1, false});
    if (steps)
        stepBeforeContinue(&body.FirstChild, *steps);
    body.appendChain(std::move(steps));
    if (!initial)
        return {std::move(loop), false};
    std::unique_ptr<TElement>* link = &initial;
    while (*link)
        link = &(*link)->Next;
    *link = std::move(loop);
    return {std::move(initial), false};
}

// A counting loop; a variable the header declares lives in the loop.
TInterpreter::TParsed TInterpreter::countingLoop(TRemaining& rest, TPlace place, const THeader& header,
                                                 std::string loopText)
{
    checkLevel(place.depth);
    auto loop = TFor::Create(std::move(loopText));
    const TScopeGuard scope(m_scopes);
    if (const std::optional<TDeclaration> declaration = parseDeclaration(partText(header.init)))
        declare(*declaration, false);
    parseBody(rest, *loop->branch(1), place.depth + 1);
    return {std::move(loop), false};
}

// The initial statements of a while form, one for each declared variable or each expression of a comma
// list. A variable already declared with the same type where the statement lands is assigned instead
// of declared again.
std::unique_ptr<TElement> TInterpreter::initialStatements(TRemaining init)
{
    const std::string whole = partText(init);
    if (whole.empty())
        return nullptr;
    std::vector<std::string> statements;
    if (const std::optional<TDeclaration> declaration = parseDeclaration(whole)) {
        bool rewritten = false;
        for (const TDeclarator& declarator : declaration->declarators) {
            const TVariable* earlier = lookup(declarator.name);
            if (earlier && earlier->type == declaration->type && declarator.initialised) {
                statements.emplace_back(declarator.text);
                rewritten = true;
            } else {
                statements.push_back(declaration->type + " " + std::string(declarator.text));
            }
        }
        if (!rewritten && declaration->declarators.size() == 1)
            statements = {whole};
        declare(*declaration, true);
    } else {
        for (const std::string_view piece : splitAtCommas(whole))
            statements.emplace_back(piece);
    }
    std::unique_ptr<TElement> chain;
    std::unique_ptr<TElement>* link = &chain;
    for (std::string& statement : statements)
        linkChain(link, TAnweisung::Create(std::move(statement)));
    return chain;
}

// The steps of a while form, one statement for each expression of the comma list.
std::unique_ptr<TElement> TInterpreter::stepStatements(TRemaining step, TPlace place)
{
    std::unique_ptr<TElement> chain;
    std::unique_ptr<TElement>* link = &chain;
    // A "do" inserted into the text changes no comma, bracket or quote: the pieces are found in the text.
    const std::string_view part = std::string_view(m_text).substr(step.pos, step.end - step.pos);
    for (const auto& [start, end] : commaRanges(part)) {
        TRemaining piece{step.pos + start, step.pos + end};
        linkChain(link, ParseStatement(piece, place).element);
    }
    return chain;
}

// The while form as the header's text gives it when its initial part is a statement of its own kind:
// that statement, and the while loop whose condition is the text up to the next ";" after it.
TInterpreter::TParsed TInterpreter::legacyWhileForm(TRemaining& rest, TPlace place, TRemaining header)
{
    TParsed initial;
    {
        const TFrameGuard headerGuard(m_headers, kMaxHeaderNesting);
        initial = ParseStatement(header, place);
    }
    std::string condition;
    TRemaining stepText = header;
    if (const std::size_t semicolon = firstIn(m_semicolons, header.pos, header.end); semicolon != npos) {
        condition = text(header.pos, semicolon);
        stepText.pos = semicolon + 1;
    }
    checkLevel(place.depth);
    auto loop = TWhile::Create(std::move(condition));
    TBlock& body = *loop->branch(1);
    parseBody(rest, body, place.depth + 1);
    body.appendChain(ParseStatement(stepText, TPlace{place.depth + 1, false}).element);

    // An empty header gives no initial statement: the while loop stands alone. An initial chain (a for
    // loop in the header) keeps all of its elements before the while loop.
    if (!initial.element)
        return {std::move(loop), false};
    std::unique_ptr<TElement>* link = &initial.element->Next;
    while (*link)
        link = &(*link)->Next;
    *link = std::move(loop);
    return {std::move(initial.element), false};
}
