#pragma once

#include "model/snapshot.h"
#include "model/struktteile.h"

#include <memory>
#include <vector>

// TUndoHistory: up to ten earlier designs, each kept as a TSnapshot (model/snapshot.h), which shares with the
// others every block and run of elements that did not change between them. Slot 1 holds
// the newest snapshot, slot 10 the oldest; UndoPosition counts the undo steps taken since the last snapshot,
// and after k steps the design is a copy of slot k. Redo walks the same slots back towards the newest, and
// last to the design as it was before the first undo step, which the history keeps for that; a new snapshot
// discards what redo would restore. Each snapshot also keeps whether the design counted as modified when it
// was taken, so that taking a snapshot back also takes back the modified mark it caused.
//
// A command may take snapshots inside its own (an insertion asks for the new element's text, which takes
// one) and take them back. Between beginCommand and endCommand such nested snapshots push no state out of
// a full history and discard nothing redo would restore until the command ends, so taking them back leaves
// the history exactly as it was; at the end the history is cut back to ten snapshots.
class TUndoHistory
{
public:
    static constexpr int kSlots = 10;

    TUndoHistory();
    ~TUndoHistory();
    TUndoHistory(const TUndoHistory&) = delete;
    TUndoHistory& operator=(const TUndoHistory&) = delete;

    // Records a copy of `design` as the newest state, after discarding the states stepped back over.
    // `modified`: whether the design counted as modified before this change.
    void TakeSnapshot(const TBlock& design, bool modified);
    // Discards the newest snapshot (slot 1); the others move down one slot, and what the snapshot's
    // TakeSnapshot set aside inside a command comes back. Returns the modified state the snapshot kept
    // (false when there was none).
    bool DropNewestSnapshot();
    // One step back from `design`: a fresh copy of the state to install, or null when there is nothing
    // to undo.
    std::unique_ptr<TBlock> undo(const TBlock& design);
    // One step forward again, taking back the last undo step: the state to install, or null when no undo
    // step has been taken since the last snapshot.
    std::unique_ptr<TBlock> redo();
    // Discards every snapshot and what redo would restore.
    void clear();

    void beginCommand();
    void endCommand();

    bool canUndo() const;
    bool canRedo() const { return m_position > 0; }
    int UndoPosition() const { return m_position; }
    // Number of filled slots (more than ten only inside a command).
    int snapshotCount() const { return static_cast<int>(m_slots.size()); }
    // Snapshot in slot i (1 to the number of filled slots), or null.
    const TSnapshot* slot(int i) const;

private:
    struct Snapshot
    {
        std::unique_ptr<const TSnapshot> design;
        bool modified = false;
        // What the TakeSnapshot that made this snapshot discarded inside a command: the slots stepped
        // back over, the state redo would end on, and the undo position.
        std::vector<Snapshot> steppedOver;
        std::unique_ptr<const TSnapshot> steppedOverLatest;
        int steppedOverPosition = 0;
    };

    // Outside a command: at most ten slots, and nothing set aside.
    void settle();

    std::vector<Snapshot> m_slots; // slot 1 first
    // The design before the first of the undo steps taken: where the last redo step goes.
    std::unique_ptr<const TSnapshot> m_latest;
    int m_position = 0;
    int m_commandDepth = 0;
};
