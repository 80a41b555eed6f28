#include "model/zoom.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr int kSteps[] = {25, 33, 50, 67, 75, 100, 125, 150, 200, 250, 300, 400};
constexpr int kNotch = 120;

} // namespace

bool TZoom::setPercent(int percent)
{
    const int clamped = std::clamp(percent, kMinPercent, kMaxPercent);
    if (clamped == m_percent)
        return false;
    m_percent = clamped;
    return true;
}

bool TZoom::zoomIn()
{
    const int* next = std::upper_bound(std::begin(kSteps), std::end(kSteps), m_percent);
    return next != std::end(kSteps) && setPercent(*next);
}

bool TZoom::zoomOut()
{
    const int* next = std::lower_bound(std::begin(kSteps), std::end(kSteps), m_percent);
    return next != std::begin(kSteps) && setPercent(*(next - 1));
}

bool TZoom::wheel(int angleDelta)
{
    m_wheelRest += angleDelta;
    bool changed = false;
    for (; m_wheelRest >= kNotch; m_wheelRest -= kNotch)
        changed = zoomIn() || changed;
    for (; m_wheelRest <= -kNotch; m_wheelRest += kNotch)
        changed = zoomOut() || changed;
    return changed;
}

double TZoom::layoutAt(int window, int scroll) const
{
    return (window + 0.5 + scroll) / factor();
}

int TZoom::toLayout(int window, int scroll) const
{
    return static_cast<int>(std::floor(layoutAt(window, scroll)));
}

int TZoom::scrollKeeping(double layout, int window) const
{
    return static_cast<int>(std::lround(layout * factor() - window - 0.5));
}

int TZoom::toWindow(int layoutLength) const
{
    return static_cast<int>(std::ceil(layoutLength * factor()));
}

TZoom::Placement TZoom::placement(int scroll) const
{
    const int shift = static_cast<int>(std::floor(scroll / factor()));
    return {shift, shift * factor() - scroll};
}
