// The source text parser: normalisation, tokens, the parse results of whole texts (as tree dumps, with
// their exact blanks), odd and hostile text, and the nesting limit.

#include "parser/interpret.h"
#include "parser/interpreter.h"

#include "model/dateiformat.h"
#include "model/dump.h"
#include "model/javaexport.h"
#include "model/texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

std::string dumpOf(std::string_view text)
{
    return dumpTree(*ParseText(text));
}

// A dump from lines, each ended by "\n".
std::string tree(std::initializer_list<const char*> list)
{
    std::string out;
    for (const char* line : list) {
        out += line;
        out += '\n';
    }
    return out;
}

bool refusedAsTooDeep(std::string_view text)
{
    try {
        ParseText(text);
    } catch (const DesignError& error) {
        return error.reason() == ErrorReason::TooDeeplyNested;
    }
    return false;
}

// ---- NormaliseText, TrimSpace, NextToken ----

TEST(NormaliseText, PassesOutsideQuotes)
{
    const struct
    {
        std::string in;
        std::string out;
    } cases[] = {
        {"", ""},
        {"a\r\nb", "a b"},
        {"a\tb", "a b"},
        {"a     b", "a b"},
        {"a ;", "a;"},
        {"a    ;", "a;"},                           // runs of blanks collapse before the ";" pass
        {"a \r\n\t ;", "a;"},                       // line end and tab become blanks that then collapse
        {"\r\r\n\n", "\r \n"},                      // only a CR LF pair is replaced; lone ones stay
        {"'a  b' \"c\t;\"  ;", "'a  b' \"c\t;\";"}, // quoted strings are left alone
        {"\"it's\"  x", "\"it's\" x"},              // an apostrophe inside double quotes is plain text
        {"a  'b  c", "a 'b  c"},                    // a quote without partner ends every pass there
        {"a  \"b\r\n ; 'c  ' ;", "a \"b\r\n ; 'c  ' ;"},
        {"x ; ; ;", "x;;;"},
        {" \t ", " "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormaliseText(c.in), c.out) << c.in;
}

TEST(NormaliseText, LongRunsAreLinear)
{
    // Each pass works in one sweep: a megabyte of blanks and line ends collapses at once.
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += " \r\n\t ";
    EXPECT_EQ(NormaliseText("a" + text + ";"), "a;");
}

TEST(TrimSpace, RemovesWhitespaceAtBothEnds)
{
    EXPECT_EQ(TrimSpace(""), "");
    EXPECT_EQ(TrimSpace(" \t\r\n"), "");
    EXPECT_EQ(TrimSpace("\r\n a  b \t"), "a  b");
}

std::vector<std::string> tokensOf(std::string text)
{
    TInterpreter interpreter(std::move(text));
    TInterpreter::TRemaining rest = interpreter.whole();
    std::vector<std::string> tokens;
    while (!rest.empty())
        tokens.push_back(interpreter.text(interpreter.NextToken(rest)));
    return tokens;
}

TEST(NextToken, Kinds)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(tokensOf("ab_1+x"), (V{"ab_1", "+", "x"}));
    EXPECT_EQ(tokensOf("a b"), (V{"a", " ", "b"}));
    EXPECT_EQ(tokensOf("a "), (V{"a", ""}));              // a blank at the end is no gap
    EXPECT_EQ(tokensOf("a  b"), (V{"a", "", " ", "b"}));  // nor is a blank before a blank
    EXPECT_EQ(tokensOf("a\r\nb"), (V{"a", "", "", "b"})); // line ends are dropped
    EXPECT_EQ(tokensOf("'a;b' \"c'd\""), (V{"'a;b'", " ", "\"c'd\""}));
    EXPECT_EQ(tokensOf("x'abc"), (V{"x", "'abc"})); // no partner: the whole rest
    EXPECT_EQ(tokensOf("\xe4\xe4"
                       "a"),
              (V{"\xe4", "\xe4", "a"}));      // letters outside ASCII stand alone
    EXPECT_EQ(tokensOf(" \r"), (V{" ", ""})); // a line end is no blank
}

// ---- whole texts ----

struct ParseCase
{
    const char* name;
    std::string text;
    std::string dump;
};

void checkCases(const std::vector<ParseCase>& cases)
{
    for (const ParseCase& c : cases)
        EXPECT_EQ(dumpOf(c.text), c.dump) << c.name;
}

TEST(ParseText, EmptyTexts)
{
    checkCases({
        {"empty", "", tree({R"~(B s=1 b=1 "")~"})},
        {"blanks", "   \t  \r\n  ", tree({R"~(B s=1 b=1 "")~"})},
        {"lone line ends", "\n\r\n\r", tree({R"~(B s=1 b=1 "")~"})},
    });
}

TEST(ParseText, MixedProgram)
{
    const std::string text = "x = 1;\r\nif (x > 0) {\r\n\ty = 2;\r\n} else\r\n  y = 3 ;\r\n"
                             "for (int i = 0; i < 10; i++) {\r\n  summe = summe + i;\r\n}\r\n";
    EXPECT_EQ(dumpOf(text), tree({
                                R"~(B s=1 b=1 "")~",
                                R"~(  A s=1 "x = 1")~",
                                R"~(  I s=1 "x > 0")~",
                                R"~(    B s=0 b=1 "Ja-Block")~",
                                R"~(      A s=1 "y = 2")~",
                                R"~(    B s=0 b=1 "Nein-Block")~",
                                R"~(      A s=1 "y = 3")~",
                                R"~(  F s=1 "i von 0 bis 9")~",
                                R"~(    B s=0 b=1 "For-Block")~",
                                R"~(      A s=1 "summe = summe + i")~",
                            }));
}

TEST(ParseText, ForLoops)
{
    checkCases({
        {"counting form", "for (i=1;i<=n;i=i+1) a();",
         tree({R"~(B s=1 b=1 "")~", R"~(  F s=1 "i von 1 bis n")~", R"~(    B s=0 b=1 "For-Block")~",
               R"~(      A s=1 "a()")~"})},
        {"strict bound that is no number: the end is the bound minus one", "for (i=0; i<n; i++) a();",
         tree({R"~(B s=1 b=1 "")~", R"~(  F s=1 "i von 0 bis n - 1")~", R"~(    B s=0 b=1 "For-Block")~",
               R"~(      A s=1 "a()")~"})},
        {"other comparison", "for (i=0; i>=5; i++) a();",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "i=0")~", R"~(  W s=1 " i>=5")~",
               R"~(    B s=0 b=1 "While-Block")~", R"~(      A s=1 "a()")~", R"~(      A s=1 "i++")~"})},
        {"no blanks needed", "for (i=0;i<10;i++) a();",
         tree({R"~(B s=1 b=1 "")~", R"~(  F s=1 "i von 0 bis 9")~", R"~(    B s=0 b=1 "For-Block")~",
               R"~(      A s=1 "a()")~"})},
        {"int, hexadecimal bound, blanks", "for ( int k = 0 ; k < 0x10 ; k ++ ) { x; }",
         tree({R"~(B s=1 b=1 "")~", R"~(  F s=1 "k von 0 bis 15")~", R"~(    B s=0 b=1 "For-Block")~",
               R"~(      A s=1 "x")~"})},
        {"bound zero", "for (k = 0; k < 0; k++) x;",
         tree({R"~(B s=1 b=1 "")~", R"~(  F s=1 "k von 0 bis -1")~", R"~(    B s=0 b=1 "For-Block")~",
               R"~(      A s=1 "x")~"})},
        {"bound beyond 32 bits is no int literal", "for (i = 0; i < 2147483648; i++) x;",
         tree({R"~(B s=1 b=1 "")~", R"~(  F s=1 "i von 0 bis 2147483648 - 1")~",
               R"~(    B s=0 b=1 "For-Block")~", R"~(      A s=1 "x")~"})},
        {"largest bound", "for (i = 0; i < 2147483647; i++) x;",
         tree({R"~(B s=1 b=1 "")~", R"~(  F s=1 "i von 0 bis 2147483646")~", R"~(    B s=0 b=1 "For-Block")~",
               R"~(      A s=1 "x")~"})},
        {"start and end are whole expressions", "for (i = -1; i <= n - 1; i = i + 1) x;",
         tree({R"~(B s=1 b=1 "")~", R"~(  F s=1 "i von -1 bis n - 1")~", R"~(    B s=0 b=1 "For-Block")~",
               R"~(      A s=1 "x")~"})},
        {"the variable's case counts", "for (I=0; i<=n; I++) x;",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "I=0")~", R"~(  W s=1 " i<=n")~",
               R"~(    B s=0 b=1 "While-Block")~", R"~(      A s=1 "x")~", R"~(      A s=1 "I++")~"})},
        {"step += 1 counts too", "for (i=0; i<=n; i+=1) x;",
         tree({R"~(B s=1 b=1 "")~", R"~(  F s=1 "i von 0 bis n")~", R"~(    B s=0 b=1 "For-Block")~",
               R"~(      A s=1 "x")~"})},
        {"step += 2 is no counting step", "for (i=0; i<=n; i+=2) x;",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "i=0")~", R"~(  W s=1 " i<=n")~",
               R"~(    B s=0 b=1 "While-Block")~", R"~(      A s=1 "x")~", R"~(      A s=1 "i+=2")~"})},
        {"missing semicolons", "for (i = 0) x;",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "i = 0")~", R"~(  W s=1 "")~",
               R"~(    B s=0 b=1 "While-Block")~", R"~(      A s=1 "x")~"})},
        {"empty header gives the while loop alone", "for () x;",
         tree({R"~(B s=1 b=1 "")~", R"~(  W s=1 "")~", R"~(    B s=0 b=1 "While-Block")~",
               R"~(      A s=1 "x")~"})},
        {"blank header gives the while loop alone", "for (  \t ) { x; }",
         tree({R"~(B s=1 b=1 "")~", R"~(  W s=1 "")~", R"~(    B s=0 b=1 "While-Block")~",
               R"~(      A s=1 "x")~"})},
        {"for (;;) loops until it is left", "for (;;) x;",
         tree({R"~(B s=1 b=1 "")~", R"~(  W s=1 "true")~", R"~(    B s=0 b=1 "While-Block")~",
               R"~(      A s=1 "x")~"})},
        {"for loop in a for header keeps every element", "for (for (a) b; c; d) e;",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "a")~", R"~(  W s=1 "")~", R"~(    B s=0 b=1 "While-Block")~",
               R"~(      A s=1 "b")~", R"~(  W s=1 " c")~", R"~(    B s=0 b=1 "While-Block")~",
               R"~(      A s=1 "e")~", R"~(      A s=1 "d")~"})},
        {"braced header in a body keeps the while loop", "while (w) for ({a;}; c; d) e;",
         tree({R"~(B s=1 b=1 "")~", R"~(  W s=1 "w")~", R"~(    B s=0 b=1 "While-Block")~",
               R"~(      A s=1 "a")~", R"~(      W s=1 " c")~", R"~(        B s=0 b=1 "While-Block")~",
               R"~(          A s=1 "e")~", R"~(          A s=1 "d")~"})},
    });
}

TEST(ParseText, DoWhileLoops)
{
    checkCases({
        {"braced body", "do { x = x - 1; } while (x > 0);",
         tree({R"~(B s=1 b=1 "")~", R"~(  D s=1 y=1 "x > 0")~", R"~(    B s=0 b=1 "DoWhile-Block")~",
               R"~(      A s=1 "x = x - 1")~"})},
        {"body not braced", "do x++; while (k);",
         tree({R"~(B s=1 b=1 "")~", R"~(  D s=1 y=1 "")~", R"~(    B s=0 b=1 "DoWhile-Block")~",
               R"~(      A s=1 "x++")~", R"~(      W s=1 "k")~", R"~(        B s=0 b=1 "While-Block")~",
               R"~(          A s=1 ";")~"})},
        {"nested", "do { do { a; } while (b); c; } while (d);",
         tree({R"~(B s=1 b=1 "")~", R"~(  D s=1 y=1 "d")~", R"~(    B s=0 b=1 "DoWhile-Block")~",
               R"~(      D s=1 y=1 "b")~", R"~(        B s=0 b=1 "DoWhile-Block")~",
               R"~(          A s=1 "a")~", R"~(      A s=1 "c")~"})},
        {"condition with parentheses and blanks kept inside", "do {a;} while ( f(x) && (y) ) ; z;",
         tree({R"~(B s=1 b=1 "")~", R"~(  D s=1 y=1 " f(x) && (y) ")~", R"~(    B s=0 b=1 "DoWhile-Block")~",
               R"~(      A s=1 "a")~", R"~(  A s=1 "z")~"})},
        {"statements between body and while are dropped", "do {a;} b; while (c); d;",
         tree({R"~(B s=1 b=1 "")~", R"~(  D s=1 y=1 "c")~", R"~(    B s=0 b=1 "DoWhile-Block")~",
               R"~(      A s=1 "a")~", R"~(  A s=1 "d")~"})},
        {"upper-case While is not found", "do {a;} While (c);",
         tree({R"~(B s=1 b=1 "")~", R"~(  D s=1 y=1 "")~", R"~(    B s=0 b=1 "DoWhile-Block")~",
               R"~(      A s=1 "a")~"})},
        {"do is put before the first w, even inside a word", "do a; } x_w; y;",
         tree({R"~(B s=1 b=1 "")~", R"~(  D s=1 y=1 "")~", R"~(    B s=0 b=1 "DoWhile-Block")~",
               R"~(      A s=1 "a")~", R"~(      A s=1 "}")~", R"~(      A s=1 "x_dow")~",
               R"~(      A s=1 "y")~"})},
        {"two do loops put do before the same while", "do do {a;} while (b); while (c);",
         tree({R"~(B s=1 b=1 "")~", R"~(  D s=1 y=1 "")~", R"~(    B s=0 b=1 "DoWhile-Block")~",
               R"~(      D s=1 y=1 "")~", R"~(        B s=0 b=1 "DoWhile-Block")~",
               R"~(          A s=1 "a")~"})},
        {"condition from a long last statement", "do {a;} counter = counter + 1;",
         tree({R"~(B s=1 b=1 "")~", R"~(  D s=1 y=1 "= counter + 1")~", R"~(    B s=0 b=1 "DoWhile-Block")~",
               R"~(      A s=1 "a")~"})},
        {"nothing after do", "do",
         tree({R"~(B s=1 b=1 "")~", R"~(  D s=1 y=1 "")~", R"~(    B s=0 b=1 "DoWhile-Block")~"})},
    });
}

TEST(ParseText, StatementsBlocksAndDecisions)
{
    checkCases({
        {"quoted text unchanged, blank before ; removed", "s = 'a ; b' ;",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "s = 'a ; b'")~"})},
        {"surplus closing brace", "while (a) { b; } }",
         tree({R"~(B s=1 b=1 "")~", R"~(  W s=1 "a")~", R"~(    B s=0 b=1 "While-Block")~",
               R"~(      A s=1 "b")~", R"~(  A s=1 "}")~"})},
        {"closing brace swallows a following ;", "};x;",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "}")~", R"~(  A s=1 "x")~"})},
        {"braced block in a sequence is a named block", "{ for (i=0; i>n; i++) a(); b(); }",
         tree({R"~(B s=1 b=1 "")~", R"~(  B s=1 b=1 "")~", R"~(    A s=1 "i=0")~", R"~(    W s=1 " i>n")~",
               R"~(      B s=0 b=1 "While-Block")~", R"~(        A s=1 "a()")~", R"~(        A s=1 "i++")~",
               R"~(    A s=1 "b()")~"})},
        {"else ends a statement", "if (a) x = 1 else y = 2;",
         tree({R"~(B s=1 b=1 "")~", R"~(  I s=1 "a")~", R"~(    B s=0 b=1 "Ja-Block")~",
               R"~(      A s=1 "x = 1 ")~", R"~(    B s=0 b=1 "Nein-Block")~", R"~(      A s=1 "y = 2")~"})},
        {"else if", "if (a) {x;} else if (b) {y;} else {z;}",
         tree({R"~(B s=1 b=1 "")~", R"~(  I s=1 "a")~", R"~(    B s=0 b=1 "Ja-Block")~",
               R"~(      A s=1 "x")~", R"~(    B s=0 b=1 "Nein-Block")~", R"~(      I s=1 "b")~",
               R"~(        B s=0 b=1 "Ja-Block")~", R"~(          A s=1 "y")~",
               R"~(        B s=0 b=1 "Nein-Block")~", R"~(          A s=1 "z")~"})},
        {"keywords in any case, conditions trimmed", "IF( a ){x;}ELSE{y;} While(b) z; wHiLe",
         tree({R"~(B s=1 b=1 "")~", R"~(  I s=1 "a")~", R"~(    B s=0 b=1 "Ja-Block")~",
               R"~(      A s=1 "x")~", R"~(    B s=0 b=1 "Nein-Block")~", R"~(      A s=1 "y")~",
               R"~(  W s=1 "b")~", R"~(    B s=0 b=1 "While-Block")~", R"~(      A s=1 "z")~"})},
        {"keywords are whole tokens", "done; iffy(x); format;",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "done")~", R"~(  A s=1 "iffy(x)")~",
               R"~(  A s=1 "format")~"})},
        {"an upper-case ELSE goes back in lower case", "x ELSE y;",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "x ")~", R"~(  A s=1 "else y")~"})},
        {"line feed without carriage return", "x = 1\ny = 2;",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "x = 1y = 2")~"})},
        {"a lone ; is no empty statement", "while (k); x = 1;",
         tree({R"~(B s=1 b=1 "")~", R"~(  W s=1 "k")~", R"~(    B s=0 b=1 "While-Block")~",
               R"~(      A s=1 "; x = 1")~"})},
        {"a comment takes no code with it", "// Ausgabe\r\nausgeben(summe);",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "ausgeben(summe)")~"})},
        {"braces and parentheses inside a statement are plain", "a = {1, 2} (b;",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "a = {1, 2} (b")~"})},
        {"empty braces as a body leave the branch empty", "if (a) {} else {}",
         tree({R"~(B s=1 b=1 "")~", R"~(  I s=1 "a")~", R"~(    B s=0 b=1 "Ja-Block")~",
               R"~(    B s=0 b=1 "Nein-Block")~"})},
        {"a closing brace as a body", "if (a) } x;",
         tree({R"~(B s=1 b=1 "")~", R"~(  I s=1 "a")~", R"~(    B s=0 b=1 "Ja-Block")~",
               R"~(      A s=1 "}")~", R"~(    B s=0 b=1 "Nein-Block")~", R"~(  A s=1 "x")~"})},
        {"the statement keeps a trailing blank before else and line ends", "x = 1\r\n else\r\n y;",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "x = 1 ")~", R"~(  A s=1 "else y")~"})},
    });
}

TEST(ParseText, BrokenText)
{
    checkCases({
        {"unclosed parenthesis: keyword and ( are consumed", "if (a x = 1;",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "a x = 1")~"})},
        {"keyword without ( takes the next parenthesis pair", "while x; f(y); z;",
         tree({R"~(B s=1 b=1 "")~", R"~(  W s=1 "y")~", R"~(    B s=0 b=1 "While-Block")~",
               R"~(      A s=1 "; z")~"})},
        {"no ( at all: up to the first )", "if x) y;",
         tree({R"~(B s=1 b=1 "")~", R"~(  I s=1 "x")~", R"~(    B s=0 b=1 "Ja-Block")~",
               R"~(      A s=1 "y")~", R"~(    B s=0 b=1 "Nein-Block")~"})},
        {"missing closing brace runs to the end", "{ a; if (b) { c;",
         tree({R"~(B s=1 b=1 "")~", R"~(  B s=1 b=1 "")~", R"~(    A s=1 "a")~", R"~(    I s=1 "b")~",
               R"~(      B s=0 b=1 "Ja-Block")~", R"~(        A s=1 "c")~",
               R"~(      B s=0 b=1 "Nein-Block")~"})},
        {"unclosed quote makes the rest one unnormalised token", "a = 'x;  b;\r\n c;",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "a = 'x;  b;\x0d\x0a c;")~"})},
        {"else without a decision", "else x;", tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "else x")~"})},
        {"nothing but punctuation", ")(;}{",
         tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 ")(")~", R"~(  A s=1 "}")~", R"~(  B s=1 b=1 "")~"})},
    });
}

TEST(ParseText, ZeroBytesAndHighBytesAreText)
{
    const std::string text = "a\0b = '\x80\0';\xff;"s;
    EXPECT_EQ(dumpOf(text),
              tree({R"~(B s=1 b=1 "")~", R"~(  A s=1 "a\x00b = '\x80\x00'")~", R"~(  A s=1 "\xff")~"}));
}

TEST(ParseText, TakesTheWholeText)
{
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "x = x + 1;\r\n";
    text += "ende;";
    const auto root = ParseText(text);
    int count = 0;
    const TElement* last = nullptr;
    for (const TElement* e = root->FirstChild.get(); e; e = e->Next.get()) {
        ++count;
        last = e;
    }
    EXPECT_EQ(count, 5001);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->Text, "ende");
}

TEST(ParseText, WorkedExampleExportReadsBack)
{
    // The export's own text, named block included, reads back as the design it came from.
    const std::string exported =
        "  summe = 0;\r\n  for (i=1;i<=10;i=i+1) {\r\n    if (i % 2 == 0) {\r\n"
        "      summe = summe + i;\r\n    }\r\n    else{\r\n      rest = rest + 1;\r\n"
        "    }\r\n  }\r\n\r\n  // Ausgabe\r\n  ausgeben(summe);\r\n  // Ende Ausgabe\r\n"
        "\r\n  do {\r\n    summe = summe - 100;\r\n  } while (summe > 100);\r\n"
        "  while (weiter) {\r\n  }\r\n";
    EXPECT_EQ(dumpOf(exported), tree({
                                    R"~(B s=1 b=1 "")~",
                                    R"~(  A s=1 "summe = 0")~",
                                    R"~(  F s=1 "i von 1 bis 10")~",
                                    R"~(    B s=0 b=1 "For-Block")~",
                                    R"~(      I s=1 "i % 2 == 0")~",
                                    R"~(        B s=0 b=1 "Ja-Block")~",
                                    R"~(          A s=1 "summe = summe + i")~",
                                    R"~(        B s=0 b=1 "Nein-Block")~",
                                    R"~(          A s=1 "rest = rest + 1")~",
                                    R"~(  B s=1 b=1 "Ausgabe")~",
                                    R"~(    A s=1 "ausgeben(summe)")~",
                                    R"~(  D s=1 y=1 "summe > 100")~",
                                    R"~(    B s=0 b=1 "DoWhile-Block")~",
                                    R"~(      A s=1 "summe = summe - 100")~",
                                    R"~(  W s=1 "weiter")~",
                                    R"~(    B s=0 b=1 "While-Block")~",
                                }));
}

// ---- nesting ----

std::string repeated(const std::string& piece, int count)
{
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        out += piece;
    return out;
}

TEST(ParseNesting, ThousandLevelsAreTheLimit)
{
    // The root is level 1: 999 nested blocks reach level 1000.
    EXPECT_FALSE(refusedAsTooDeep(repeated("{", 999) + "x;" + repeated("}", 999)));
    EXPECT_TRUE(refusedAsTooDeep(repeated("{", 1000) + "x;" + repeated("}", 1000)));
    EXPECT_FALSE(refusedAsTooDeep(repeated("while (a) {", 999) + "x;"));
    EXPECT_TRUE(refusedAsTooDeep(repeated("while (a) {", 1000) + "x;"));
    // Unbraced bodies nest as well; a decision's branch blocks count even when empty.
    EXPECT_FALSE(refusedAsTooDeep(repeated("if (a) ", 999) + "x;"));
    EXPECT_TRUE(refusedAsTooDeep(repeated("if (a) ", 1000) + "x;"));
    EXPECT_TRUE(refusedAsTooDeep(repeated("do {", 1000) + "x;"));
    // A braced body is the branch itself; the blocks inside it are named blocks one level deeper each.
    EXPECT_FALSE(refusedAsTooDeep("while (a) {" + repeated("{", 998) + "x;"));
    EXPECT_TRUE(refusedAsTooDeep("while (a) {" + repeated("{", 999) + "x;"));
    EXPECT_FALSE(refusedAsTooDeep("do {" + repeated("{", 998) + "x;"));
    EXPECT_TRUE(refusedAsTooDeep("do {" + repeated("{", 999) + "x;"));
    EXPECT_TRUE(refusedAsTooDeep(repeated("for (i=0;i<=n;i++) {", 1000)));
}

TEST(ParseNesting, SameLimitAsTheDesignFile)
{
    for (int levels : {998, 999, 1000, 1001}) {
        auto root = TBlock::Create(texts::kGesamtesProgramm);
        makeDesignRoot(*root);
        TBlock* body = root.get();
        for (int i = 0; i < levels - 1; ++i) {
            auto loop = i % 2 ? std::unique_ptr<TBedingung>(TWhile::Create("a"))
                              : std::unique_ptr<TBedingung>(TIf::Create("b"));
            TBlock* inner = loop->branch(1);
            body->appendChain(std::move(loop));
            body = inner;
        }
        body->appendChain(TAnweisung::Create("x"));
        bool fileRefused = false;
        try {
            loadDesign(saveDesign(*root));
        } catch (const DesignError&) {
            fileRefused = true;
        }
        EXPECT_EQ(refusedAsTooDeep(exportJavaText(*root, false)), fileRefused) << levels;
        EXPECT_EQ(fileRefused, levels > kMaxNesting) << levels;
    }
}

TEST(ParseNesting, HostileNestingNeverOverflowsTheStack)
{
    EXPECT_TRUE(refusedAsTooDeep(repeated("{", 100000)));
    EXPECT_TRUE(refusedAsTooDeep(repeated("do ", 100000)));
    EXPECT_TRUE(refusedAsTooDeep(repeated("if(a)", 100000)));
    EXPECT_TRUE(refusedAsTooDeep(repeated("if(a) x; else ", 100000)));
    EXPECT_TRUE(refusedAsTooDeep(repeated("for(i=0;i<=n;i++)", 100000)));
    // An "else" that starts a statement does not nest.
    EXPECT_FALSE(refusedAsTooDeep(repeated("else if(a)", 100000)));
    // Unclosed parentheses consume each keyword without nesting.
    EXPECT_FALSE(refusedAsTooDeep(repeated("for(", 100000)));
    EXPECT_FALSE(refusedAsTooDeep(repeated("}", 100000)));
    // For-loop headers inside headers nest the parse without nesting the result.
    EXPECT_TRUE(refusedAsTooDeep(repeated("for(", 100000) + "x" + repeated(")a;", 100000)));
}

TEST(ParseNesting, HeadersInsideHeadersUpToTwoHundred)
{
    // Each for loop's header holds the next one; the result is one flat chain.
    const int count = 200;
    const auto root = ParseText(repeated("for(", count) + "x" + repeated(")a;", count));
    int elements = 0;
    for (const TElement* e = root->FirstChild.get(); e; e = e->Next.get())
        ++elements;
    EXPECT_EQ(elements, count + 1);
    EXPECT_EQ(root->FirstChild->Text, "x");
    EXPECT_TRUE(refusedAsTooDeep(repeated("for(", count + 1) + "x" + repeated(")a;", count + 1)));
}

} // namespace
