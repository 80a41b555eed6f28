#include "model/printlayout.h"

#include <algorithm>

namespace {

// The number of pieces `length` long that cover `total` when each next piece starts `step` further.
int piecesFor(int total, int length, int step)
{
    if (total <= length)
        return 1;
    return 1 + (total - length + step - 1) / step;
}

} // namespace

TPageLayout layOutPages(TSize page, TRect extent, TPageMode mode)
{
    const TPoint at{extent.Left, extent.Top};
    const int width = std::max(1, extent.Right - extent.Left);
    const int height = std::max(1, extent.Bottom - extent.Top);
    // The room for the diagram on a sheet: right of and below where it starts.
    const int roomX = std::max(1, page.cx - at.x);
    const int roomY = std::max(1, page.cy - at.y);

    TPageLayout layout;
    if (width <= roomX && height <= roomY) {
        layout.pages.push_back(TPrintPage{extent, at, 1.0, 0, 0});
        return layout;
    }
    if (mode == TPageMode::ShrinkToFit) {
        layout.scale = std::min(double(roomX) / width, double(roomY) / height);
        layout.pages.push_back(TPrintPage{extent, at, layout.scale, 0, 0});
        return layout;
    }
    // Each next piece starts one overlap before the end of the one before it.
    const int stepX = std::max(1, roomX - std::min(kPageOverlap, roomX / 4));
    const int stepY = std::max(1, roomY - std::min(kPageOverlap, roomY / 4));
    layout.columns = piecesFor(width, roomX, stepX);
    layout.rows = piecesFor(height, roomY, stepY);
    for (int row = 0; row < layout.rows; ++row) {
        for (int column = 0; column < layout.columns; ++column) {
            const int left = extent.Left + column * stepX;
            const int top = extent.Top + row * stepY;
            const TRect part{left, top, std::min(left + roomX, extent.Right),
                             std::min(top + roomY, extent.Bottom)};
            layout.pages.push_back(TPrintPage{part, at, 1.0, column, row});
        }
    }
    return layout;
}
