// Draw in both modes: filled in with the drawing work.
#include "model/canvas.h"
#include "model/displayoptions.h"

void TElement::Draw(TCanvas&, TPoint, int, TDisplayOptions&) const {}
void TAnweisung::drawElement(TCanvas&, TPoint, int, TDisplayOptions&) const {}
void TAnweisung::drawMarks(TCanvas&, TPoint, int, TDisplayOptions&) const {}
void TBlock::drawElement(TCanvas&, TPoint, int, TDisplayOptions&) const {}
void TBlock::drawMarks(TCanvas&, TPoint, int, TDisplayOptions&) const {}
void TIf::drawElement(TCanvas&, TPoint, int, TDisplayOptions&) const {}
void TIf::drawMarks(TCanvas&, TPoint, int, TDisplayOptions&) const {}
void TWhile::drawElement(TCanvas&, TPoint, int, TDisplayOptions&) const {}
void TWhile::drawMarks(TCanvas&, TPoint, int, TDisplayOptions&) const {}
void TDoWhile::drawElement(TCanvas&, TPoint, int, TDisplayOptions&) const {}
void TDoWhile::drawMarks(TCanvas&, TPoint, int, TDisplayOptions&) const {}
