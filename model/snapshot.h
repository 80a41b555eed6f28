#pragma once

#include "model/struktteile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// TSnapshotPart: one block of a design as snapshots keep it: an immutable, compact byte encoding of the
// block, in which the larger blocks inside it are references to parts of their own. Every element is one
// head byte (its class and flags), its text with the length in front (so every byte value is kept, 0x00
// and 0x01 included, unlike in the design file), and the sequences it owns, each closed by an end byte.
// A typical element takes about 20 bytes this way against about 150 as an element of the tree.
struct TSnapshotPart
{
    std::string bytes;
    // The parts referred to in `bytes`, in the order of the references.
    std::vector<std::shared_ptr<const TSnapshotPart>> parts;
    // For a run of a long sequence (a part of elements, not of a block): the serials of its elements in
    // order, by which the next snapshot knows the run again.
    std::vector<std::uint64_t> serials;
};

// TSnapshot: a design as the undo history keeps it. Every block keeps its part, and every element is
// marked when it or something in it changes (invalidateLayout marks the element and every element it
// stands inside). The next snapshot refers to the part of an unmarked block instead of encoding it again,
// and of a long sequence takes over every run whose elements are still there unchanged: taking a snapshot
// costs the changed elements, the runs they stand in and the blocks around them (where the layout's index
// of a long sequence knows what changed and came or went, without a walk along it), and the snapshots of
// a history share everything else.
class TSnapshot
{
public:
    // Encodes `design` and its successors. Throws std::bad_alloc when memory runs out, having changed
    // nothing but the parts the design's blocks keep (each a complete encoding of its block).
    explicit TSnapshot(const TBlock& design);

    // A new tree equal to the encoded one: classes, texts, flags (Standalone, Braced, Framed, LoopOnYes),
    // BranchCount, branch blocks and successors. The elements are new ones, with serials of their own;
    // their blocks keep the parts they were made from.
    std::unique_ptr<TBlock> restore() const;

    // The bytes of the parts this snapshot does not share with `other` (every part when null), with what
    // each part object takes.
    std::size_t bytesNotIn(const TSnapshot* other) const;

private:
    std::shared_ptr<const TSnapshotPart> m_top; // a sequence: the design and its successors
};
