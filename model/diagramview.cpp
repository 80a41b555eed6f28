#include "model/diagramview.h"

#include "model/layoutcache.h"
#include "model/texts.h"

TPoint displayOrigin(TCanvas& canvas, TBlock& shown, TDisplayOptions& options, bool flowchart)
{
    options.Flowchart = flowchart;
    if (!flowchart)
        return {15, 15};
    TLayoutScope scope(canvas, options);
    return {measured(shown, canvas, options).cx / 2 + 30, 15};
}

TSize scrollRangesOf(TCanvas& canvas, TBlock& shown, TDisplayOptions& options, bool flowchart)
{
    options.Flowchart = flowchart;
    TLayoutScope scope(canvas, options);
    const TSize s = measured(shown, canvas, options);
    return {s.cx + 50, s.cy + 50};
}

void paintDiagram(TCanvas& canvas, TBlock& shown, TPoint origin, TDisplayOptions& options, bool flowchart)
{
    options.Flowchart = flowchart;
    options.RootBlock = &shown;
    // One layout scope for the measure of the width and the drawing.
    TLayoutScope scope(canvas, options);
    canvas.setBrushColor(options.OnScreen ? kWindowFill : clWhite);
    if (flowchart) {
        // The start symbol above the origin.
        canvas.ellipse(origin.x - 2, origin.y - 9, origin.x + 3, origin.y - 4);
        canvas.line(origin.x, origin.y - 4, origin.x, origin.y);
    }
    const int width = measured(shown, canvas, options).cx;
    shown.Draw(canvas, origin, width, options);
}

void printDiagram(TCanvas& printer, const std::string& caption, TBlock& shown, TDisplayOptions& options,
                  bool flowchart)
{
    // The screen settings come back however the drawing ends.
    struct Restore
    {
        TDisplayOptions& options;
        ~Restore()
        {
            options.Spacing = 6;
            options.Printing = false;
            options.OnScreen = true;
        }
    } restore{options};

    printer.textOut(10, 10, caption);
    options.OnScreen = false;
    options.Spacing = printer.textExtent(texts::kJa).cy / 2;
    options.Printing = true;
    printer.setPenWidth(3);
    // The origin is worked out on the printer canvas, on which the diagram is laid out: the flowchart's
    // centre line follows the printed width, so no part of the diagram lies left of the page.
    TPoint origin = displayOrigin(printer, shown, options, flowchart);
    origin.y = 80;
    paintDiagram(printer, shown, origin, options, flowchart);
}
