// The outline that assistive technology reads: the nesting, branch blocks named by their place, the texts
// that need a word, the path to an element.

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

TEST(Outline, NestsBranchesAndSequencesAndNamesEachItem)
{
    auto root = statements({"a"});
    TIf* decision = append(*root, TIf::Create("x > 0"));
    statement(*decision->branch(1), "");
    append(*root, TFor::Create("???"));
    std::string out;
    listOutline(*root, nullptr, 0, out);
    EXPECT_EQ(
        out,
        "Block: gesamtes Programm\n  Anweisung: a\n  Entscheidung: x > 0\n    Ja-Zweig\n      Anweisung\n"
        "    Nein-Zweig\n  Z\344hlschleife: ? von ? bis ?\n    Schleifenrumpf\n");

    root = everyKindDesign();
    EXPECT_EQ(outlinePath(*root, at(*root, {3, 1, 1})),
              (std::vector<TElement*>{root.get(), at(*root, {3}), at(*root, {3, 1}), at(*root, {3, 1, 1})}));
    EXPECT_TRUE(outlinePath(*at(*root, {3}), at(*root, {4})).empty()); // not below the top
}

} // namespace
