// Measure, MeasureCondition, BranchOrigin and HitTest: filled in with the layout work.
#include "model/canvas.h"
#include "model/displayoptions.h"

TSize TAnweisung::Measure(TCanvas&, TDisplayOptions&) const { return {}; }
TSize TBlock::Measure(TCanvas&, TDisplayOptions&) const { return {}; }
TSize TIf::Measure(TCanvas&, TDisplayOptions&) const { return {}; }
TSize TWhile::Measure(TCanvas&, TDisplayOptions&) const { return {}; }
TSize TDoWhile::Measure(TCanvas&, TDisplayOptions&) const { return {}; }
TSize TBedingung::MeasureCondition(TCanvas&, TDisplayOptions&) const { return {}; }
TPoint TIf::BranchOrigin(TCanvas&, TPoint o, int, TDisplayOptions&) const { return o; }
TPoint TWhile::BranchOrigin(TCanvas&, TPoint o, int, TDisplayOptions&) const { return o; }
TPoint TDoWhile::BranchOrigin(TCanvas&, TPoint o, int, TDisplayOptions&) const { return o; }
TElement* TElement::HitTest(TCanvas&, TPoint, TDisplayOptions&, int, int) { return nullptr; }
TElement* TElement::hitTestInside(TCanvas&, TPoint, TDisplayOptions&, int, int) { return this; }
TElement* TBlock::hitTestInside(TCanvas&, TPoint, TDisplayOptions&, int, int) { return this; }
TElement* TBedingung::hitTestInside(TCanvas&, TPoint, TDisplayOptions&, int, int) { return this; }
