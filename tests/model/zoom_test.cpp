// The zoom of a diagram window: its steps and limits, the mouse wheel, and that the window pixel under the
// pointer always leads back to the layout pixel painted there.

#include "model/zoom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Steps up and down stop at the limits; the wheel steps once per notch, however finely it turns.
TEST(Zoom, StepsAndTheWheel)
{
    TZoom zoom;
    std::vector<int> seen;
    while (zoom.zoomIn())
        seen.push_back(zoom.percent());
    while (zoom.zoomOut())
        seen.push_back(zoom.percent());
    EXPECT_EQ(seen, (std::vector<int>{125, 150, 200, 250, 300, 400, 300, 250, 200, 150, 125, 100, 75, 67, 50,
                                      33, 25}));
    EXPECT_TRUE(zoom.setPercent(110));
    EXPECT_TRUE(zoom.zoomOut());
    EXPECT_EQ(zoom.percent(), 100);
    EXPECT_FALSE(zoom.wheel(60));
    EXPECT_TRUE(zoom.wheel(60));
    EXPECT_EQ(zoom.percent(), 125);
    EXPECT_TRUE(zoom.wheel(-360));
    EXPECT_EQ(zoom.percent(), 67);
    EXPECT_TRUE(zoom.setPercent(1000));
    EXPECT_EQ(zoom.percent(), 400);
}

// At every zoom and scroll position a window pixel leads back to the layout pixel whose painted span holds
// its centre, and zooming about a point keeps that point in place.
TEST(Zoom, WindowPixelsLeadBackToTheLayoutPixelPaintedThere)
{
    for (int percent : {25, 33, 50, 67, 100, 150, 300, 400}) {
        TZoom zoom;
        zoom.setPercent(percent);
        const double f = zoom.factor();
        for (int scroll : {0, 1, 7, 333, 1000}) {
            const TZoom::Placement p = zoom.placement(scroll);
            for (int w = 0; w < 200; ++w) {
                const double from = (zoom.toLayout(w, scroll) - p.shift) * f + p.offset;
                ASSERT_TRUE(w + 0.5 >= from - 1e-9 && w + 0.5 <= from + f + 1e-9)
                    << percent << "% " << scroll << " " << w;
            }
            const double kept = zoom.layoutAt(120, scroll);
            TZoom other;
            other.setPercent(percent == 400 ? 100 : 400);
            EXPECT_NEAR(other.layoutAt(120, other.scrollKeeping(kept, 120)), kept, 1.0 / other.factor());
        }
    }
}

} // namespace
