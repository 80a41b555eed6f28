#pragma once

#include "model/struktteile.h"

#include <cstddef>
#include <memory>
#include <string>

// TSnapshot: a design as the undo history keeps it: an immutable, compact byte encoding of the element
// tree instead of a deep copy. Every element is one head byte (its class and flags), its text with the
// length in front (so every byte value is kept, 0x00 and 0x01 included, unlike in the design file), and
// the sequences it owns, each closed by an end byte. A typical element takes about 20 bytes this way
// against about 150 as an element of the tree; restoring builds a new tree from it.
class TSnapshot
{
public:
    // Encodes `design` and its successors. Throws std::bad_alloc when memory runs out, having changed
    // nothing.
    explicit TSnapshot(const TBlock& design);

    // A new tree equal to the encoded one: classes, texts, flags (Standalone, Braced, Framed, LoopOnYes),
    // BranchCount, branch blocks and successors. The elements are new ones, with serials of their own.
    std::unique_ptr<TBlock> restore() const;

    // The bytes the encoding takes.
    std::size_t byteSize() const { return m_bytes.size(); }

private:
    std::string m_bytes;
};
