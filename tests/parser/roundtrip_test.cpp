// Export, parse and export again: which designs come back as the same text.
//
// A design survives exactly when it keeps to these rules (each one is shown to matter below):
//  - no text holds a comment ("//" or "/*" outside quotes), which the import leaves out;
//  - no text holds a brace, not even in quotes: the end of a do-while body is found by counting braces;
//  - quotes pair up within every text (an unpaired one swallows the rest of the export);
//  - outside quotes, no text holds a tab, a line break, two blanks in a row or a blank before ";",
//    which the parser's normalisation removes;
//  - a statement is not empty (nor ";", unless it is the text's very last line), has no blank at either
//    end, does not start with a keyword (do, while, for, if, in any case), holds no ";" outside quotes
//    except one at its very end, and no word "else";
//  - a condition has no blank at either end and balanced parentheses (counted in quotes too); a
//    do-while condition also holds no ";" and no word "else" outside quotes, since it is read back as
//    part of a statement;
//  - a counting loop's variable, start and end (as the export splits the text) are not empty and hold
//    no ";", the variable no "=", and the start no blank;
//  - it nests no deeper than 1000 levels.
// Named blocks come back as named blocks, repeat-until loops as the do-while loops their text is. Branch
// names, the root's name and a statement's final ";" are not part of the text; apart from them such a
// design also comes back as the same tree.

#include "parser/interpret.h"

#include "model/dump.h"
#include "model/javaexport.h"
#include "model/looptext.h"
#include "model/texts.h"
#include "tests/support/designs.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

class StableDesignGenerator
{
public:
    explicit StableDesignGenerator(unsigned seed) : m_rng(seed) {}

    std::unique_ptr<TBlock> design(int maxDepth)
    {
        auto root = TBlock::Create(texts::kGesamtesProgramm);
        makeDesignRoot(*root);
        fill(*root, maxDepth);
        return root;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }

    template <class T> const T& oneOf(const std::vector<T>& list)
    {
        return list[static_cast<std::size_t>(pick(0, static_cast<int>(list.size()) - 1))];
    }

    void fill(TBlock& block, int depth)
    {
        std::unique_ptr<TElement>* link = &block.FirstChild;
        const int count = pick(0, 4);
        for (int i = 0; i < count; ++i) {
            *link = element(depth);
            link = &(*link)->Next;
        }
    }

    std::unique_ptr<TElement> element(int depth)
    {
        switch (depth > 0 ? pick(0, 8) : 0) {
        case 1: {
            auto decision = TIf::Create(condition(false));
            fill(*decision->branch(1), depth - 1);
            if (pick(0, 1))
                fill(*decision->branch(2), depth - 1);
            return decision;
        }
        case 2: {
            auto loop = TWhile::Create(condition(false));
            fill(*loop->branch(1), depth - 1);
            return loop;
        }
        case 3: {
            auto loop = TDoWhile::Create(condition(true));
            fill(*loop->branch(1), depth - 1);
            return loop;
        }
        case 4: {
            auto loop = TFor::Create(countingText());
            fill(*loop->branch(1), depth - 1);
            return loop;
        }
        case 5: {
            static const std::vector<std::string> names = {"Ausgabe", "", "Eingabe der Werte", "x = 1;"};
            auto block = TBlock::Create(oneOf(names));
            fill(*block, depth - 1);
            return block;
        }
        default:
            return TAnweisung::Create(statement());
        }
    }

    // Quoted strings: anything but braces and their own quote inside, ";", "else", blanks and line
    // breaks included. `forCondition`: no parentheses inside, since those are counted even in quotes.
    std::string quoted(bool forCondition)
    {
        static const std::vector<std::string> inside = {"a;b",      " else ",   "x  y",    "tab\there",
                                                        "cr\r\nlf", "lf\nonly", "'",       "",
                                                        "\xe4\x80", " ; ",      "do while"};
        static const std::vector<std::string> parens = {"(", ")(", "f(x"};
        std::string body = forCondition || pick(0, 3) ? oneOf(inside) : oneOf(parens);
        if (pick(0, 1))
            return "\"" + body + "\"";
        for (char& c : body) {
            if (c == '\'')
                c = '"';
        }
        return "'" + body + "'";
    }

    std::string word()
    {
        static const std::vector<std::string> words = {
            "x",   "summe", "i",       "n",   "elsewhere", "done", "format", "iffy", "While_",
            "dow", "w",     "integer", "int", "0x1F",      "42",   "_",      "\xe4"};
        return oneOf(words);
    }

    std::string op()
    {
        static const std::vector<std::string> ops = {
            "=", "+", "-", "*", "/", "%", "<", ">", "<=", "!", "&&", "||", ".", ",", "[", "]", "++"};
        return oneOf(ops);
    }

    // Pieces joined by nothing or one blank (never one before ";").
    std::string join(const std::vector<std::string>& pieces)
    {
        std::string text;
        for (const std::string& piece : pieces) {
            // "//" and "/*" would begin a comment, which the design's text cannot hold.
            const bool comment = !text.empty() && text.back() == '/' && (piece[0] == '/' || piece[0] == '*');
            if (!text.empty() && piece != ";" && (comment || pick(0, 2)))
                text += ' ';
            text += piece;
        }
        return text;
    }

    std::string statement()
    {
        std::vector<std::string> pieces;
        const int head = pick(0, 3);
        if (head == 0)
            pieces.push_back(quoted(false));
        else if (head == 1)
            pieces.push_back(op());
        else
            pieces.push_back(word());
        const int count = pick(0, 5);
        for (int i = 0; i < count; ++i) {
            switch (pick(0, 5)) {
            case 0:
                pieces.push_back(quoted(false));
                break;
            case 1:
                pieces.push_back(op());
                break;
            case 2:
                pieces.push_back(pick(0, 1) ? "(" : ")");
                break; // need not balance in a statement
            case 3:
                pieces.push_back("else_if");
                break;
            default:
                pieces.push_back(word());
                break;
            }
        }
        std::string text = join(pieces);
        if (pick(0, 4) == 0)
            text += ';';
        return text;
    }

    std::string condition(bool doWhile, int depth = 0)
    {
        std::vector<std::string> pieces;
        const int count = pick(0, 4);
        for (int i = 0; i < count; ++i) {
            switch (pick(0, 6)) {
            case 0:
                pieces.push_back(quoted(true));
                break;
            case 1:
                pieces.push_back(op());
                break;
            case 2:
                if (depth < 2)
                    pieces.push_back("(" + condition(doWhile, depth + 1) + ")");
                break;
            case 3:
                if (!doWhile)
                    pieces.push_back(pick(0, 1) ? ";" : "else");
                break;
            default:
                pieces.push_back(word());
                break;
            }
        }
        return join(pieces);
    }

    std::string countingText()
    {
        static const std::vector<std::string> variables = {"j", "k", "index_2", "?", "y\xe4", "+"};
        static const std::vector<std::string> starts = {"0", "1", "a", "?", "'s'", "-", "0x10", "\xe4"};
        static const std::vector<std::string> ends = {"10", "n", "'n - 1'", "?", "\"e nd\"", "-", "max"};
        if (pick(0, 5) == 0)
            return texts::kUnknown;
        return joinLoopText({oneOf(variables), oneOf(starts), oneOf(ends)});
    }

    std::mt19937 m_rng;
};

std::unique_ptr<TBlock> importText(const std::string& text)
{
    auto root = ParseText(text);
    makeDesignRoot(*root);
    return root;
}

// The tree a surviving design is read back as: the parser's names for the root and the branches, no
// final ";" on statements, and "?" for each unknown part of a new counting loop.
void expectedTree(TElement& first)
{
    for (TElement* e = &first; e; e = e->Next.get()) {
        if (e->kind() == Kind::Anweisung && !e->Text.empty() && e->Text.back() == ';')
            e->Text.pop_back();
        if (e->kind() == Kind::For)
            e->Text = joinLoopText(splitLoopText(e->Text));
        if (TBlock* block = asBlock(e); block && block->FirstChild)
            expectedTree(*block->FirstChild);
        if (TBedingung* condition = asCondition(e)) {
            for (int i = 1; i <= condition->BranchCount; ++i) {
                TBlock* branch = condition->branch(i);
                if (branch->FirstChild)
                    expectedTree(*branch->FirstChild);
            }
        }
    }
}

TEST(RoundTrip, StableDesignsComeBackAsTheSameTextAndTree)
{
    for (unsigned seed = 1; seed <= 10000; ++seed) {
        StableDesignGenerator generator(seed);
        const auto design = generator.design(static_cast<int>(seed % 7));
        for (bool clipboard : {false, true}) {
            const std::string text = exportJavaText(*design, clipboard);
            const auto back = importText(text);
            ASSERT_EQ(exportJavaText(*back, clipboard), text) << "seed " << seed;
        }
        auto expected = design->cloneBlock();
        expected->Text.clear();
        if (expected->FirstChild)
            expectedTree(*expected->FirstChild);
        ASSERT_EQ(dumpTree(*importText(exportJavaText(*design, false))), dumpTree(*expected))
            << "seed " << seed;
    }
}

TEST(RoundTrip, NineHundredNinetyNineNestedLevelsSurvive)
{
    auto root = TBlock::Create(texts::kGesamtesProgramm);
    makeDesignRoot(*root);
    TBlock* body = root.get();
    for (int i = 0; i < kMaxNesting - 1; ++i) {
        std::unique_ptr<TBedingung> e;
        switch (i % 4) {
        case 0:
            e = TIf::Create("a");
            break;
        case 1:
            e = TWhile::Create("b");
            break;
        case 2:
            e = TDoWhile::Create("c");
            break;
        default:
            e = TFor::Create("i von 0 bis n");
            break;
        }
        TBlock* inner = e->branch(1);
        body->appendChain(TAnweisung::Create("s"));
        body->appendChain(std::move(e));
        body = inner;
    }
    body->appendChain(TAnweisung::Create("x"));
    const std::string text = exportJavaText(*root, false);
    EXPECT_EQ(exportJavaText(*importText(text), false), text);
}

std::unique_ptr<TBlock> statement(const std::string& text)
{
    return designOf(TAnweisung::Create(text));
}

std::unique_ptr<TBlock> twoStatements(const std::string& first, const std::string& second)
{
    auto root = statement(first);
    root->appendChain(TAnweisung::Create(second));
    return root;
}

template <class Loop>
std::unique_ptr<TBlock> loopAround(const std::string& condition, const std::string& inner)
{
    auto loop = Loop::Create(condition);
    loop->branch(1)->appendChain(TAnweisung::Create(inner));
    return designOf(std::move(loop));
}

TEST(RoundTrip, EachRuleMatters)
{
    const struct
    {
        const char* rule;
        std::unique_ptr<TBlock> design;
    } cases[] = {
        {"brace in a statement inside a do-while body", loopAround<TDoWhile>("c", "a = {1")},
        {"brace in quotes inside a do-while body", loopAround<TDoWhile>("c", "s = '{'")},
        {"unpaired quote", statement("s = 'abc")},
        {"tab", statement("a\tb")},
        {"line feed", statement("a\nb")},
        {"two blanks", statement("a  b")},
        {"blank before ;", statement("a ;")},
        {"empty statement before another", twoStatements("", "x")},
        {"statement of one ; before another", twoStatements(";", "x")},
        {"leading blank", statement(" a")},
        {"trailing blank", statement("a ")},
        {"keyword head if", statement("if x")},
        {"keyword head in other case", statement("While x")},
        {"keyword head do", statement("do it")},
        {"keyword head for", statement("for all")},
        {"brace head", statement("{ a")},
        {"closing brace head", statement("} a")},
        {"; inside a statement", statement("a; b")},
        {"two ; at the end", statement("a;;")},
        {"else inside a statement", statement("a else b")},
        {"ELSE inside a statement", statement("a ELSE b")},
        {"condition with leading blank", loopAround<TWhile>(" a", "x")},
        {"condition with trailing blank", loopAround<TWhile>("a ", "x")},
        {"closing parenthesis first", loopAround<TWhile>("a) || (b", "x")},
        {"open parenthesis", loopAround<TWhile>("f(a", "x")},
        {"parenthesis in quotes", loopAround<TWhile>("s == ')'", "x")},
        {"do-while condition with ;", loopAround<TDoWhile>("a; b", "x")},
        {"do-while condition with else", loopAround<TDoWhile>("a else b", "x")},
        {"counting start empty", loopAround<TFor>("i von  bis n", "x")},
        {"counting variable with ;", loopAround<TFor>("; von 0 bis n", "x")},
        {"short counting text", loopAround<TFor>("i", "x")},
    };
    for (const auto& c : cases) {
        const std::string text = exportJavaText(*c.design, false);
        EXPECT_NE(exportJavaText(*importText(text), false), text) << c.rule;
    }
}

TEST(RoundTrip, TextsThatLookOddButSurvive)
{
    const struct
    {
        const char* what;
        std::unique_ptr<TBlock> design;
    } cases[] = {
        {"statement ending in ;", statement("rest = rest + 1;")},
        {"empty statement as the very last line", twoStatements("x", "")},
        {"quotes hold anything but braces", statement("s = \"a;  b\r\n\tc else\" + 'd'")},
        {"unbalanced parentheses in a statement", statement("f(a")},
        {"words that begin like keywords", statement("iffy = done + format")},
        {"else in an if condition", loopAround<TWhile>("a else b; c", "x")},
        {"empty conditions", loopAround<TDoWhile>("", "x")},
        {"new counting loop", loopAround<TFor>("???", "x")},
        {"counting text split by position", loopAround<TFor>("i abcd1 efgh2", "x")},
        {"operator as counting variable", loopAround<TFor>("+ von 1 bis 2", "x")},
        {"quoted counting end with a blank", loopAround<TFor>("i von 0 bis 'n - 1'", "x")},
        {"named block", designOf(TBlock::Create("Ausgabe"))},
        {"repeat-until loop", loopAround<TRepeat>("fertig", "x")},
        {"counting end with blanks", loopAround<TFor>("k von 0 bis n - 1", "x")},
        {"counting variable int", loopAround<TFor>("int von 0 bis n", "x")},
        {"counting variable of two tokens", loopAround<TFor>("a.b von 0 bis n", "x")},
        {"counting start of two tokens", loopAround<TFor>("i von -1 bis n", "x")},
        {"counting end with parenthesis", loopAround<TFor>("i von 0 bis f(n)", "x")},
    };
    for (const auto& c : cases) {
        const std::string text = exportJavaText(*c.design, false);
        EXPECT_EQ(exportJavaText(*importText(text), false), text) << c.what;
    }
}

} // namespace
