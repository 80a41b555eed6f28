#pragma once

#include "model/bytesink.h"
#include "model/struktteile.h"

#include <cstdint>
#include <string>

// The whole design as Java source text, CR LF line ends: the file form (for "Exportieren") starts the
// root with the empty indentation, the clipboard form (for "In Zwischenablage kopieren") with two blanks.
// The text is never cut, however large the design: it can be far larger than the design (every line
// carries its indentation), so a file or a measurement takes it piece by piece from exportJava.
void exportJava(TByteSink& out, const TBlock& root, bool clipboardForm);
std::string exportJavaText(const TBlock& root, bool clipboardForm);

// The largest text "In Zwischenablage kopieren" puts on the clipboard.
inline constexpr std::uint64_t kMaxClipboardText = std::uint64_t{256} << 20;

// The clipboard form of the export for "In Zwischenablage kopieren". Its size is measured first, without
// keeping the text: beyond kMaxClipboardText it throws DesignError TextTooLarge and builds nothing.
std::string clipboardJavaText(const TBlock& root);
