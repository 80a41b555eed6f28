// The outline that assistive technology reads: names of every kind, the nesting, the path to an element.

#include "model/outline.h"
#include "tests/support/designs.h"

#include <gtest/gtest.h>

namespace {

// Every item below `item` as "name" lines indented by depth.
void listOutline(TElement& item, const TElement* holder, int depth, std::string& out)
{
    out += std::string(2 * static_cast<std::size_t>(depth), ' ') + outlineName(item, holder) + "\n";
    for (TElement* child : outlineChildren(item))
        listOutline(*child, &item, depth + 1, out);
}

TEST(Outline, NamesEveryKindAndNestsBranchesAndSequences)
{
    auto root = everyKindDesign();
    append(*root, TFor::Create("???"));
    statement(*root, "");
    std::string out;
    listOutline(*root, nullptr, 0, out);
    EXPECT_EQ(out, "Block: gesamtes Programm\n"
                   "  Anweisung: a\n"
                   "  Entscheidung: x > 0\n"
                   "    Ja-Zweig\n"
                   "      Anweisung: b\n"
                   "    Nein-Zweig\n"
                   "  Schleife (Test vorher): w\n"
                   "    Schleifenrumpf\n"
                   "      Anweisung: c\n"
                   "  Block: Teil\n"
                   "    Anweisung: d\n"
                   "    Schleife (Test danach): dw\n"
                   "      Schleifenrumpf\n"
                   "  Z\344hlschleife: i von 1 bis 10\n"
                   "    Schleifenrumpf\n"
                   "      Anweisung: e\n"
                   "  Schleife (wiederholen bis): r\n"
                   "    Schleifenrumpf\n"
                   "  Z\344hlschleife: ? von ? bis ?\n"
                   "    Schleifenrumpf\n"
                   "  Anweisung\n");
}

TEST(Outline, PathLeadsFromTheTopThroughEveryHolder)
{
    auto root = everyKindDesign();
    TElement* dw = at(*root, {3, 1});
    EXPECT_EQ(outlinePath(*root, at(*root, {3, 1, 1})),
              (std::vector<TElement*>{root.get(), at(*root, {3}), dw, at(*root, {3, 1, 1})}));
    EXPECT_EQ(outlinePath(*root, root.get()), std::vector<TElement*>{root.get()});
    // Not below the top: a window on the named block does not reach the element after it.
    EXPECT_TRUE(outlinePath(*at(*root, {3}), at(*root, {4})).empty());
    EXPECT_TRUE(outlinePath(*root, nullptr).empty());
}

} // namespace
