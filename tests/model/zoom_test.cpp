// The zoom of a diagram window: its steps and limits, the mouse wheel, and that the window pixel under the
// pointer always leads back to the layout pixel painted there.

#include "model/zoom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(Zoom, StepsStopAtTheLimits)
{
    TZoom zoom;
    std::vector<int> up;
    while (zoom.zoomIn())
        up.push_back(zoom.percent());
    EXPECT_EQ(up, (std::vector<int>{125, 150, 200, 250, 300, 400}));
    std::vector<int> down;
    while (zoom.zoomOut())
        down.push_back(zoom.percent());
    EXPECT_EQ(down, (std::vector<int>{300, 250, 200, 150, 125, 100, 75, 67, 50, 33, 25}));
    EXPECT_FALSE(zoom.setPercent(10));
    EXPECT_TRUE(zoom.setPercent(110));
    EXPECT_TRUE(zoom.zoomOut());
    EXPECT_EQ(zoom.percent(), 100);
    EXPECT_TRUE(zoom.setPercent(1000));
    EXPECT_EQ(zoom.percent(), 400);
}

TEST(Zoom, TheWheelStepsOncePerNotch)
{
    TZoom zoom;
    EXPECT_FALSE(zoom.wheel(60)); // half a notch of a fine wheel
    EXPECT_TRUE(zoom.wheel(60));
    EXPECT_EQ(zoom.percent(), 125);
    EXPECT_TRUE(zoom.wheel(-360));
    EXPECT_EQ(zoom.percent(), 67);
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
            if (percent == 100) {
                EXPECT_EQ(p.shift, scroll);
                EXPECT_EQ(p.offset, 0);
            }
            for (int w = 0; w < 200; ++w) {
                const int x = zoom.toLayout(w, scroll);
                const double from = (x - p.shift) * f + p.offset;
                ASSERT_GE(w + 0.5, from - 1e-9) << percent << "% scroll " << scroll << " window " << w;
                ASSERT_LE(w + 0.5, from + f + 1e-9) << percent << "% scroll " << scroll << " window " << w;
            }
            const double kept = zoom.layoutAt(120, scroll);
            TZoom other;
            other.setPercent(percent == 400 ? 100 : 400);
            EXPECT_NEAR(other.layoutAt(120, other.scrollKeeping(kept, 120)), kept, 1.0 / other.factor());
        }
    }
}

} // namespace
