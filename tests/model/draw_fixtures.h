#pragma once

// Small builders for the layout and drawing tests: designs put together element by element.

#include "model/displayoptions.h"
#include "model/struktteile.h"
#include "model/texts.h"

#include <memory>
#include <string>
#include <utility>

namespace fixtures {

// A design root as the main window makes it: Standalone and Braced 0.
inline std::unique_ptr<TBlock> makeRoot(std::string name = texts::kGesamtesProgramm)
{
    auto root = TBlock::Create(std::move(name));
    root->Standalone = false;
    root->Braced = false;
    return root;
}

// Appends `e` at the end of `block`'s sequence and returns it, typed as made.
template <typename T> T* append(TBlock& block, std::unique_ptr<T> e)
{
    T* raw = e.get();
    block.appendChain(std::move(e));
    return raw;
}

inline TAnweisung* statement(TBlock& block, std::string text)
{
    return append(block, TAnweisung::Create(std::move(text)));
}

// Options for one drawing mode; `printing` as the window sets them while printing, with spacing `spacing`.
inline TDisplayOptions modeOptions(bool flowchart, bool printing = false, int spacing = 6)
{
    TDisplayOptions options;
    options.Flowchart = flowchart;
    options.Printing = printing;
    options.OnScreen = !printing;
    options.Spacing = spacing;
    return options;
}

} // namespace fixtures
