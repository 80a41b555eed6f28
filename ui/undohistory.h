#pragma once

#include "model/struktteile.h"

#include <array>
#include <memory>

// The undo history of the main window: up to ten deep copies of earlier designs. Slot 1 holds the newest
// snapshot, slot 10 the oldest; UndoPosition counts the undo steps taken since the last snapshot.
class TUndoHistory
{
public:
    static constexpr int kSlots = 10;

    // Records a copy of `design` as the newest state, after discarding the states stepped back over.
    void TakeSnapshot(const TBlock& design);
    // Discards the newest snapshot (slot 1); the others move down one slot.
    void DropNewestSnapshot();
    // One step back: a fresh copy of the state to install, or null when there is nothing to undo.
    std::unique_ptr<TBlock> Undo();
    // Discards every snapshot.
    void Clear();

    int UndoPosition() const { return m_position; }
    // Number of filled slots.
    int SnapshotCount() const;
    // Snapshot in slot i (1 to 10), or null.
    const TBlock* Slot(int i) const { return m_slots[static_cast<std::size_t>(i - 1)].get(); }

private:
    std::array<std::unique_ptr<TBlock>, kSlots> m_slots;
    int m_position = 0;
};
