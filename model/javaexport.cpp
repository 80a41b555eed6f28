// ExportJava: filled in with the export work.
#include "model/struktteile.h"

void TElement::ExportJava(std::string&, const std::string&) const {}
void TAnweisung::exportJavaElement(std::string&, const std::string&) const {}
void TBlock::exportJavaElement(std::string&, const std::string&) const {}
void TIf::exportJavaElement(std::string&, const std::string&) const {}
void TWhile::exportJavaElement(std::string&, const std::string&) const {}
void TDoWhile::exportJavaElement(std::string&, const std::string&) const {}
void TRepeat::exportJavaElement(std::string&, const std::string&) const {}
void TFor::exportJavaElement(std::string&, const std::string&) const {}
