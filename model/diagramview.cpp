// The diagram window's origin, scroll ranges, painting and printing: filled in with the drawing work.
#include "model/diagramview.h"

TPoint GetDisplayOrigin(TCanvas&, TBlock&, TDisplayOptions&, bool) { return {15, 15}; }
TSize ScrollRanges(TCanvas&, TBlock&, TDisplayOptions&, bool) { return {50, 50}; }
void DisplayStruktogramm(TCanvas&, TBlock&, TPoint, TDisplayOptions&, bool) {}
void PrintStruktogramm(TCanvas&, TCanvas&, const std::string&, TBlock&, TDisplayOptions&, bool) {}
