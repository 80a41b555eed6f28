#pragma once

// TZoom: the zoom of one diagram window, from 25 % to 400 %, and the conversion between the window's
// pixels and the layout's. The layout is the same at every zoom: only the painting is scaled, and the
// pointer's position is taken back into layout pixels for the hit test. One axis at a time; both axes
// have the same zoom.
class TZoom
{
public:
    static constexpr int kMinPercent = 25;
    static constexpr int kMaxPercent = 400;

    int percent() const { return m_percent; }
    double factor() const { return m_percent / 100.0; }

    // Sets the zoom, kept between 25 % and 400 %; true when it changed.
    bool setPercent(int percent);
    // To the next larger or smaller of the steps 25, 33, 50, 67, 75, 100, 125, 150, 200, 250, 300, 400 %.
    bool zoomIn();
    bool zoomOut();
    // The mouse wheel turned by `angleDelta` eighths of a degree: one step per notch (120) away from the
    // user larger, towards the user smaller; the rest of a notch counts with the next turn.
    bool wheel(int angleDelta);

    // The layout pixel under window pixel `window` when the window is scrolled to `scroll` (window pixels):
    // the one whose painted pixels hold the window pixel's centre.
    int toLayout(int window, int scroll) const;
    // The layout position (in fractions of a pixel) at the window pixel's centre.
    double layoutAt(int window, int scroll) const;
    // The scroll position that puts layout position `layout` at the centre of window pixel `window`.
    int scrollKeeping(double layout, int window) const;
    // A layout length (a scroll range) in window pixels, rounded up.
    int toWindow(int layoutLength) const;

    // How a paint places the layout: painting uses layout coordinates minus `shift`, so they stay small and
    // whole, and a painted pixel x lands at window position x * factor() + offset.
    struct Placement
    {
        int shift = 0;
        double offset = 0;
    };
    Placement placement(int scroll) const;

private:
    int m_percent = 100;
    int m_wheelRest = 0;
};
