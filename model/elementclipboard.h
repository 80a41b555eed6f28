#pragma once

// Copying, cutting and pasting elements: what goes on the clipboard for an element, and where pasted
// elements go. The clipboard carries the elements as a design of their own in the design format, so that
// another running editor takes them as they are, and their Java text for any other program.

#include "model/struktteile.h"

#include <memory>
#include <string>
#include <string_view>

// The clipboard format of elements: the bytes of a design whose root holds them.
inline constexpr char kElementsMimeType[] = "application/x-struktogramm-elemente";

// A design holding a copy of `e` with everything inside it (not its successors), in the design format.
std::string elementBytes(const TElement& e);

// The elements of clipboard bytes, as a chain; null when the design holds none. Throws DesignError when
// the bytes are no design.
std::unique_ptr<TElement> elementsFromBytes(std::string_view bytes);

// The Java text of a copy of `e` as the clipboard form of the export writes it.
std::string elementJavaText(const TElement& e);

// Puts the chain where an insertion at `target` puts a new element (after it; as the first element of a
// block) and answers the first pasted element. Throws DesignError (too deeply nested) without changing
// anything when the elements would stand deeper than kMaxNesting block levels.
TElement* pasteElements(TElement& target, std::unique_ptr<TElement> chain);
