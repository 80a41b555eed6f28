#pragma once

#include "model/snapshot.h"
#include "model/struktteile.h"

#include <array>
#include <memory>

// TUndoHistory: up to ten earlier designs, each kept as a compact TSnapshot. Slot 1 holds the newest
// snapshot, slot 10 the oldest; UndoPosition counts the undo steps taken since the last snapshot. Each
// snapshot also keeps whether the design counted as modified when it was taken, so that taking a snapshot
// back also takes back the modified mark it caused.
class TUndoHistory
{
public:
    static constexpr int kSlots = 10;

    // Records a copy of `design` as the newest state, after discarding the states stepped back over.
    // `modified`: whether the design counted as modified before this change.
    void TakeSnapshot(const TBlock& design, bool modified);
    // Discards the newest snapshot (slot 1); the others move down one slot. Returns the modified state
    // the snapshot kept (false when there was none).
    bool DropNewestSnapshot();
    // One step back: a fresh copy of the state to install, or null when there is nothing to undo.
    std::unique_ptr<TBlock> undo();
    // Discards every snapshot.
    void clear();

    int UndoPosition() const { return m_position; }
    // Number of filled slots.
    int snapshotCount() const;
    // Snapshot in slot i (1 to 10), or null.
    const TSnapshot* slot(int i) const { return m_slots[static_cast<std::size_t>(i - 1)].design.get(); }
    // The modified state kept with the newest snapshot (false when there is none).
    bool newestModified() const { return m_slots[0].modified; }

private:
    struct Snapshot
    {
        std::unique_ptr<const TSnapshot> design;
        bool modified = false;
    };

    std::array<Snapshot, kSlots> m_slots;
    int m_position = 0;
};
