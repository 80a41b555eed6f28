#pragma once

// The parser's own machinery behind parser/interpret.h: for the parser and its tests only.

#include "parser/interpret.h"
#include "parser/sourcetext.h"
#include "parser/statementtext.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

// TInterpreter: the recursive-descent parser over one normalised text.
//
// The remaining text of an operation is a stretch of that text (a position and an end), so reading from
// the front costs nothing and a stretch inside it (a for-loop header) can be parsed on its own. Putting
// a token back moves the position back over it. ParseDoWhile makes the closing "while" of a do-while
// body read as "dowhile" without changing the text: it records an insertion point, a position that a "do"
// counts as standing before. Such a "do" changes no brace, parenthesis, quote, semicolon or blank, only
// the text of the token or stretch it falls in, so every scan runs on the text itself and only texts
// taken out of it (text(), appendText()) include the insertions. Scans that the algorithm repeats from nested
// positions (matching parentheses and braces, the next ";" or "w") are answered from tables built once.
class TInterpreter
{
public:
    // A stretch [pos, end) of the text: what an operation has left to read.
    struct TRemaining
    {
        std::size_t pos = 0;
        std::size_t end = 0;
        bool empty() const { return pos >= end; }
    };

    // A token: the characters [start, end) of the text, with any insertions among them. The empty
    // token has start == end.
    struct TToken
    {
        std::size_t start = 0;
        std::size_t end = 0;
        bool empty() const { return start == end; }
    };

    // `normalisedText` may hold the named-block markers of stripComments; `blockNames` names them.
    explicit TInterpreter(std::string normalisedText, std::vector<std::string> blockNames = {});

    // The whole text as the remaining text.
    TRemaining whole() const { return {0, m_text.size()}; }

    // Removes one token from the front of `rest`: a quoted string up to and including its partner (or
    // the whole rest), a run of word characters (ASCII letters, digits, "_"), or any other single
    // character; a line feed or carriage return gives the empty token, a blank gives " " only before a
    // character that is no blank, and the empty token otherwise.
    TToken NextToken(TRemaining& rest);

    // The text of a token or of a stretch, insertions included.
    std::string text(TToken token) const { return text(token.start, token.end); }
    std::string text(std::size_t from, std::size_t to) const;
    void appendText(std::string& out, std::size_t from, std::size_t to) const;

    // Removes everything up to and including the first "(" (nothing, if there is none) and returns the
    // position of the ")" that closes it (the first ")" at depth 0), or nothing when there is none in
    // `rest`; the removal is not undone then.
    std::optional<std::size_t> CutCondition(TRemaining& rest);
    // CutCondition, then the text before the ")" trimmed; the remaining text continues after it.
    std::optional<TRemaining> cutTrimmedCondition(TRemaining& rest);

    // The parsed statements of the whole text, in a new block with the empty name.
    std::unique_ptr<TBlock> ParseText();

private:
    // Where a parsed element will stand: `depth` is the level that a block standing in that sequence,
    // or a branch block of an element in it, would have (the root is level 1). `dissolved`: a braced
    // block parsed here becomes a branch's own sequence, so its children stand at `depth` too.
    struct TPlace
    {
        int depth = 2;
        bool dissolved = false;
    };

    // What ParseStatement gives: an element (possibly the head of a chain), or nothing; `endMarker` for
    // the "}" that ends a braced block; `named` for a named block, which a body keeps as it is.
    struct TParsed
    {
        std::unique_ptr<TElement> element;
        bool endMarker = false;
        bool named = false;
    };

    // A variable declared in the design's scopes: a branch or loop body, or the whole design. Named blocks
    // share the scope they stand in, as they do in the exported text. `leaked`: declared by the initial
    // statement that a for loop in while form puts before the loop, where Java would have ended its scope.
    struct TVariable
    {
        std::string type;
        bool leaked = false;
    };
    using TScope = std::unordered_map<std::string, TVariable>;
    class TScopeGuard;

    TParsed ParseStatement(TRemaining& rest, TPlace place);
    std::unique_ptr<TBlock> ParseBlock(TRemaining& rest, TPlace children);
    TParsed ParseIf(TRemaining& rest, TPlace place);
    TParsed ParseWhile(TRemaining& rest, TPlace place);
    TParsed ParseDoWhile(TRemaining& rest, TPlace place);
    TParsed ParseFor(TRemaining& rest, TPlace place);

    std::unique_ptr<TElement> endMarker(TRemaining& rest);
    TParsed namedBlock(TRemaining& rest, TPlace place);
    std::unique_ptr<TElement> simpleStatement(TRemaining& rest, TToken head);
    void parseBody(TRemaining& rest, TBlock& branch, int depth);
    void insertDoBeforeClosingWhile(const TRemaining& rest);

    // For loops: the header's parts, the counting loop, the while form and its initial statements.
    struct THeader
    {
        TRemaining init;
        TRemaining test;
        TRemaining step;
        bool complete = false; // both ";" were there
    };
    THeader splitHeader(TRemaining header) const;
    TParsed countingLoop(TRemaining& rest, TPlace place, const THeader& header, std::string loopText);
    TParsed legacyWhileForm(TRemaining& rest, TPlace place, TRemaining header);
    std::unique_ptr<TElement> initialStatements(TRemaining init);
    std::unique_ptr<TElement> stepStatements(TRemaining step, TPlace place);
    std::string partText(TRemaining part);

    // Declarations, looked up from the innermost scope out.
    const TVariable* lookup(const std::string& name) const;
    void declare(const TDeclaration& declaration, bool leaked);
    std::string declaredStatement(std::string statement);

    std::size_t firstInsertion(std::size_t from) const;
    void putBack(TRemaining& rest, TToken token) const;
    void putBackElse(TRemaining& rest, TToken token);
    bool isWord(TToken token, std::string_view upperWord) const;
    bool isChar(TToken token, char c) const;
    std::string readText(TRemaining& rest) { return text(NextToken(rest)); }
    void trim(TRemaining& rest) const;
    static void checkLevel(int level);

    class TFrameGuard;

    std::string m_text;
    // Positions of the characters that an inserted "do" stands before, ascending; a position appears
    // once for each "do" before it.
    std::multiset<std::size_t> m_insertions;
    std::vector<std::size_t> m_openParens;  // positions of "(", ascending
    std::vector<std::size_t> m_parenMatch;  // for each, the ")" that closes it, or npos
    std::vector<std::size_t> m_closeParens; // positions of ")"
    std::vector<std::size_t> m_braces;      // positions of "{" and "}"
    std::vector<std::size_t> m_braceMatch;  // for each "{", the "}" that closes it, or npos
    std::vector<std::size_t> m_lowerW;      // positions of "w"
    std::vector<std::size_t> m_semicolons;  // positions of ";"
    std::vector<std::string> m_blockNames;  // the names of the named-block markers, by their number
    std::vector<TScope> m_scopes;           // the scopes open where the parse stands, innermost last
    int m_frames = 0;                       // ParseStatement calls active on the stack
    int m_headers = 0;                      // for-loop headers being parsed inside each other

    // The last token read, so that reading it again after putting it back costs nothing.
    struct TTokenCache
    {
        std::size_t from = std::string::npos;
        std::size_t end = 0;
        std::size_t next = 0;
        TToken token;
    } m_cache;
};
