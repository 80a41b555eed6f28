#pragma once

// Printing a diagram window's block: the print command, the print preview and the batch command's PDF
// all print through here. A block that fits the page prints as the layout gives it; one that does not is
// shrunk into the page or spread over numbered pages, never cut off.

#include "model/printlayout.h"

#include <QString>

#include <optional>
#include <string>

class QPdfWriter;
class QPrinter;
class TDisplayOptions;

// What is printed: `shown` under `caption` (code page 1252), as a window with `options` shows it, in one
// drawing mode. The options get the printer settings while printing and the screen settings back after.
struct TPrintJob
{
    std::string caption;
    TBlock& shown;
    TDisplayOptions& options;
    bool flowchart = false;
};

// Prints `job` on `printer`, laid out at 300 dpi: every page carries the caption at the top left, a spread
// page also its number at the top right. Returns the layout of the pages, or nothing when the printer
// cannot start or finish the document. A design with a text too wide to be printed whole is not printed:
// ImageTooLarge with the caption.
std::optional<TPageLayout> printBlock(QPrinter& printer, const TPrintJob& job, TPageMode mode);
// The same pages as a PDF document (the batch command's printed page).
std::optional<TPageLayout> printBlock(QPdfWriter& pdf, const TPrintJob& job, TPageMode mode);

// "Seite 2 von 6".
QString pageNumberText(int page, int pages);
// What the print preview says about the layout: that the block fits, or how it was shrunk or spread.
QString pageLayoutNote(const TPageLayout& layout);
