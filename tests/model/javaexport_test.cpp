// The Java export: the worked example byte for byte in both forms, and the rules for every class.

#include "model/javaexport.h"

#include "model/designerror.h"
#include "model/struktteile.h"
#include "model/texts.h"
#include "tests/support/designs.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <vector>

namespace {

// Appends `count` statements `text` to `block` in one pass.
void addMany(TBlock& block, int count, const char* text)
{
    std::unique_ptr<TElement>* link = &block.FirstChild;
    while (*link)
        link = &(*link)->Next;
    for (int i = 0; i < count; ++i) {
        *link = TAnweisung::Create(text);
        link = &(*link)->Next;
    }
}

std::string lines(std::initializer_list<const char*> list)
{
    std::string text;
    for (const char* line : list) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// The design of the worked example: a statement, a counting loop around a decision, a named block, a
// do-while loop and a while loop with an empty body.
std::unique_ptr<TBlock> workedExample()
{
    auto root = makeRoot();
    append(*root, TAnweisung::Create("summe = 0"));
    TFor* loop = append(*root, TFor::Create("i von 1 bis 10"));
    TIf* decision = append(*loop->branch(1), TIf::Create("i % 2 == 0"));
    append(*decision->branch(1), TAnweisung::Create("summe = summe + i"));
    append(*decision->branch(2), TAnweisung::Create("rest = rest + 1;"));
    TBlock* named = append(*root, TBlock::Create("Ausgabe"));
    append(*named, TAnweisung::Create("ausgeben(summe)"));
    TDoWhile* doLoop = append(*root, TDoWhile::Create("summe > 100"));
    append(*doLoop->branch(1), TAnweisung::Create("summe = summe - 100"));
    append(*root, TWhile::Create("weiter"));
    return root;
}

const std::string kWorkedExampleFile = lines({
    "  summe = 0;",
    "  for (i=1;i<=10;i=i+1) {",
    "    if (i % 2 == 0) {",
    "      summe = summe + i;",
    "    }",
    "    else{",
    "      rest = rest + 1;",
    "    }",
    "  }",
    "",
    "  // Ausgabe",
    "  ausgeben(summe);",
    "  // Ende Ausgabe",
    "",
    "  do {",
    "    summe = summe - 100;",
    "  } while (summe > 100);",
    "  while (weiter) {",
    "  }",
});

const std::string kWorkedExampleClipboard = lines({
    "    summe = 0;",
    "    for (i=1;i<=10;i=i+1) {",
    "      if (i % 2 == 0) {",
    "        summe = summe + i;",
    "      }",
    "      else{",
    "        rest = rest + 1;",
    "      }",
    "    }",
    "",
    "    // Ausgabe",
    "    ausgeben(summe);",
    "    // Ende Ausgabe",
    "",
    "    do {",
    "      summe = summe - 100;",
    "    } while (summe > 100);",
    "    while (weiter) {",
    "    }",
});

TEST(JavaExport, WorkedExampleFileForm)
{
    EXPECT_EQ(exportJavaText(*workedExample(), false), kWorkedExampleFile);
}

TEST(JavaExport, WorkedExampleClipboardForm)
{
    EXPECT_EQ(exportJavaText(*workedExample(), true), kWorkedExampleClipboard);
}

TEST(JavaExport, EmptyDesignIsEmptyText)
{
    EXPECT_EQ(exportJavaText(*makeRoot(), false), "");
    EXPECT_EQ(exportJavaText(*makeRoot(), true), "");
}

// One element at the root, exported in the file form.
struct SingleCase
{
    const char* name;
    std::unique_ptr<TElement> (*make)();
    std::string expected;
};

std::string exportSingle(std::unique_ptr<TElement> e)
{
    auto root = makeRoot();
    root->appendChain(std::move(e));
    return exportJavaText(*root, false);
}

TEST(JavaExport, ElementRules)
{
    const SingleCase cases[] = {
        {"statement gets a semicolon",
         []() -> std::unique_ptr<TElement> { return TAnweisung::Create("x = 1"); }, "  x = 1;\r\n"},
        {"statement keeps its own semicolon",
         []() -> std::unique_ptr<TElement> { return TAnweisung::Create("x = 1;"); }, "  x = 1;\r\n"},
        {"semicolon inside is no end",
         []() -> std::unique_ptr<TElement> { return TAnweisung::Create("a; b"); }, "  a; b;\r\n"},
        {"empty statement", []() -> std::unique_ptr<TElement> { return TAnweisung::Create(""); }, "  ;\r\n"},
        {"text is copied unchanged",
         []() -> std::unique_ptr<TElement> { return TAnweisung::Create("s = \"a\tb\\\" \x80\xe4"); },
         "  s = \"a\tb\\\" \x80\xe4;\r\n"},
        {"decision with empty branches", []() -> std::unique_ptr<TElement> { return TIf::Create("x"); },
         "  if (x) {\r\n  }\r\n"},
        {"decision with a no branch only",
         []() -> std::unique_ptr<TElement> {
             auto d = TIf::Create("x");
             d->branch(2)->appendChain(TAnweisung::Create("n"));
             return d;
         },
         "  if (x) {\r\n  }\r\n  else{\r\n    n;\r\n  }\r\n"},
        {"while with empty body", []() -> std::unique_ptr<TElement> { return TWhile::Create("w"); },
         "  while (w) {\r\n  }\r\n"},
        {"do-while with empty body", []() -> std::unique_ptr<TElement> { return TDoWhile::Create("k"); },
         "  do {\r\n  } while (k);\r\n"},
        {"repeat-until: braced, repeats until its condition holds",
         []() -> std::unique_ptr<TElement> {
             auto r = TRepeat::Create("fertig");
             r->branch(1)->appendChain(TAnweisung::Create("x = x + 1"));
             r->branch(1)->appendChain(TAnweisung::Create("y = y * 2"));
             return r;
         },
         "  do {\r\n    x = x + 1;\r\n    y = y * 2;\r\n  } while (!(fertig));\r\n"},
        {"repeat-until with empty body",
         []() -> std::unique_ptr<TElement> { return TRepeat::Create("fertig"); },
         "  do {\r\n  } while (!(fertig));\r\n"},
        {"new counting loop", []() -> std::unique_ptr<TElement> { return TFor::Create("???"); },
         "  for (?=?;?<=?;?=?+1) {\r\n  }\r\n"},
        {"counting loop end keeps its blanks",
         []() -> std::unique_ptr<TElement> { return TFor::Create("k von 0 bis n - 1"); },
         "  for (k=0;k<=n - 1;k=k+1) {\r\n  }\r\n"},
        {"counting loop split by position, not by words",
         []() -> std::unique_ptr<TElement> { return TFor::Create("i abcd1 efgh2"); },
         "  for (i=1;i<=2;i=i+1) {\r\n  }\r\n"},
        {"counting loop with a short text", []() -> std::unique_ptr<TElement> { return TFor::Create("i"); },
         "  for (i=;i<=;i=i+1) {\r\n  }\r\n"},
        {"named block with the empty name", []() -> std::unique_ptr<TElement> { return TBlock::Create(""); },
         "\r\n  // \r\n  // Ende \r\n\r\n"},
    };
    for (const SingleCase& c : cases)
        EXPECT_EQ(exportSingle(c.make()), c.expected) << c.name;
}

TEST(JavaExport, NamedBlocksDoNotIndentAndStandFirstInABody)
{
    auto root = makeRoot();
    TWhile* loop = append(*root, TWhile::Create("a"));
    TBlock* outer = append(*loop->branch(1), TBlock::Create("aussen"));
    TBlock* inner = append(*outer, TBlock::Create("innen"));
    append(*inner, TAnweisung::Create("x"));
    append(*outer, TAnweisung::Create("y"));
    EXPECT_EQ(exportJavaText(*root, false), lines({
                                                "  while (a) {",
                                                "",
                                                "    // aussen",
                                                "",
                                                "    // innen",
                                                "    x;",
                                                "    // Ende innen",
                                                "",
                                                "    y;",
                                                "    // Ende aussen",
                                                "",
                                                "  }",
                                            }));
}

TEST(JavaExport, ElseIfChainAndRepeatInsideABody)
{
    auto root = makeRoot();
    TIf* first = append(*root, TIf::Create("a"));
    append(*first->branch(1), TAnweisung::Create("x"));
    TIf* second = append(*first->branch(2), TIf::Create("b"));
    TRepeat* repeat = append(*second->branch(1), TRepeat::Create("c"));
    append(*repeat->branch(1), TAnweisung::Create("y"));
    append(*second->branch(2), TAnweisung::Create("z"));
    append(*root, TAnweisung::Create("ende"));
    EXPECT_EQ(exportJavaText(*root, false), lines({
                                                "  if (a) {",
                                                "    x;",
                                                "  }",
                                                "  else{",
                                                "    if (b) {",
                                                "      do {",
                                                "        y;",
                                                "      } while (!(c));",
                                                "    }",
                                                "    else{",
                                                "      z;",
                                                "    }",
                                                "  }",
                                                "  ende;",
                                            }));
}

TEST(JavaExport, DisplayStateAndBranchNamesPlayNoPart)
{
    auto root = workedExample();
    // Renamed branch blocks and the root's own name are not written.
    root->Text = "anders";
    auto* loop = static_cast<TFor*>(root->FirstChild->Next.get());
    loop->branch(1)->Text = "umbenannt";
    EXPECT_EQ(exportJavaText(*root, false), kWorkedExampleFile);
}

// Every non-empty line of the clipboard form is the file form's line with two more leading blanks.
TEST(JavaExport, ClipboardFormDiffersOnlyByTwoBlanksOnNonEmptyLines)
{
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::mt19937 rng(seed);
        const auto root = generateDesign(rng, GeneratorOptions{});
        const std::string file = exportJavaText(*root, false);
        const std::string clip = exportJavaText(*root, true);
        std::string expected;
        std::size_t start = 0;
        while (start < file.size()) {
            std::size_t end = file.find("\r\n", start);
            ASSERT_NE(end, std::string::npos) << "seed " << seed;
            if (end > start)
                expected += "  ";
            expected.append(file, start, end + 2 - start);
            start = end + 2;
        }
        ASSERT_EQ(clip, expected) << "seed " << seed;
    }
}

TEST(JavaExport, NoLimitOnLongTextsAndLongDesigns)
{
    auto root = makeRoot();
    const std::string longText(70000, 'x');
    append(*root, TAnweisung::Create(longText));
    addMany(*root, 100000, "a");
    const std::string text = exportJavaText(*root, false);
    EXPECT_EQ(text.size(), 2 + longText.size() + 3 + 100000u * 6);
    EXPECT_EQ(text.compare(0, 7, "  xxxxx"), 0);
    EXPECT_EQ(text.substr(text.size() - 6), "  a;\r\n");
}

TEST(JavaExport, DeepNestingIndentsEveryLevel)
{
    auto root = makeRoot();
    TBlock* body = root.get();
    for (int i = 0; i < 999; ++i)
        body = append(*body, TWhile::Create("w"))->branch(1);
    append(*body, TAnweisung::Create("x"));
    const std::string text = exportJavaText(*root, false);
    const std::string innermost = std::string(2 * 1000, ' ') + "x;\r\n";
    EXPECT_NE(text.find(innermost), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 5), "  }\r\n");

    // 134,000 statements at that depth make 268 MB of clipboard text: refused, not built.
    addMany(*body, 133999, "x");
    try {
        clipboardJavaText(*root);
        ADD_FAILURE() << "no error";
    } catch (const DesignError& error) {
        EXPECT_EQ(error.reason(), ErrorReason::TextTooLarge);
    }
}

} // namespace
