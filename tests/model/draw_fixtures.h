#pragma once

// Display options for the layout and drawing tests; the designs come from tests/support/designs.h.

#include "model/displayoptions.h"
#include "tests/support/designs.h"

namespace fixtures {

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
