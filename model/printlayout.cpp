#include "model/printlayout.h"

#include <algorithm>
#include <utility>

namespace {

// The number of pieces `length` long that cover `total` when each next piece starts `step` further.
int piecesFor(int total, int length, int step)
{
    if (total <= length)
        return 1;
    return 1 + (total - length + step - 1) / step;
}

} // namespace

namespace {

// How far a sheet ending at a break reaches past it, and the next one starts before it: the thick printer
// lines on the break row stand whole on both.
constexpr int kLineReach = 2;

// The tops and bottoms of the rows of sheets that cover `top` to `bottom` when each holds at most `room`.
std::vector<std::pair<int, int>> rowsFor(int top, int bottom, int room, int step,
                                         const std::vector<TPageBreak>& breaks)
{
    std::vector<std::pair<int, int>> rows;
    for (;;) {
        if (bottom - top <= room) {
            rows.emplace_back(top, bottom);
            return rows;
        }
        // The lowest break on this sheet that cuts only elements taller than a sheet.
        const int limit = top + room - kLineReach;
        const TPageBreak* chosen = nullptr;
        for (const TPageBreak& b : breaks) {
            if (b.y > limit)
                break;
            if (b.y - kLineReach > top && b.within > room)
                chosen = &b;
        }
        if (chosen) {
            rows.emplace_back(top, chosen->y + kLineReach);
            top = chosen->y - kLineReach;
        } else {
            rows.emplace_back(top, top + room);
            top += step;
        }
    }
}

} // namespace

TPageLayout layOutPages(TSize page, TRect extent, TPageMode mode, const std::vector<TPageBreak>& breaks)
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
    // Across, each next piece starts one overlap before the end of the one before it; down, at a break
    // between elements where there is one.
    const int stepX = std::max(1, roomX - std::min(kPageOverlap, roomX / 4));
    const int stepY = std::max(1, roomY - std::min(kPageOverlap, roomY / 4));
    layout.columns = piecesFor(width, roomX, stepX);
    const std::vector<std::pair<int, int>> rows = rowsFor(extent.Top, extent.Bottom, roomY, stepY, breaks);
    layout.rows = static_cast<int>(rows.size());
    for (int row = 0; row < layout.rows; ++row) {
        const auto [top, bottom] = rows[static_cast<std::size_t>(row)];
        for (int column = 0; column < layout.columns; ++column) {
            const int left = extent.Left + column * stepX;
            const TRect part{left, top, std::min(left + roomX, extent.Right),
                             std::min(bottom, extent.Bottom)};
            layout.pages.push_back(TPrintPage{part, at, 1.0, column, row});
        }
    }
    return layout;
}
