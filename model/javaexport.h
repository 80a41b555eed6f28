#pragma once

#include "model/struktteile.h"

#include <string>

// The whole design as Java source text, CR LF line ends: the file form (for "Exportieren") starts the
// root with the empty indentation, the clipboard form (for "In Zwischenablage kopieren") with two blanks.
// The text is never cut, however large the design.
std::string exportJavaText(const TBlock& root, bool clipboardForm);
