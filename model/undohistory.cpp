#include "model/undohistory.h"

void TUndoHistory::TakeSnapshot(const TBlock& design, bool modified)
{
    // Made before anything moves: when memory runs out here, the history stays as it was.
    auto snapshot = std::make_unique<const TSnapshot>(design);
    // The states stepped back over, the one the design is a copy of included, are gone for good.
    while (m_position > 0) {
        DropNewestSnapshot();
        --m_position;
    }
    for (std::size_t i = kSlots - 1; i > 0; --i)
        m_slots[i] = std::move(m_slots[i - 1]); // slot 10's old snapshot is released here
    m_slots[0] = Snapshot{std::move(snapshot), modified};
    m_position = 0;
}

bool TUndoHistory::DropNewestSnapshot()
{
    const bool modified = m_slots[0].modified;
    for (std::size_t i = 0; i + 1 < kSlots; ++i)
        m_slots[i] = std::move(m_slots[i + 1]);
    m_slots[kSlots - 1] = Snapshot{};
    return modified;
}

std::unique_ptr<TBlock> TUndoHistory::undo()
{
    if (m_position >= kSlots || !m_slots[static_cast<std::size_t>(m_position)].design)
        return nullptr;
    // Restored before the position moves, for the same reason.
    std::unique_ptr<TBlock> restored = m_slots[static_cast<std::size_t>(m_position)].design->restore();
    ++m_position;
    return restored;
}

void TUndoHistory::clear()
{
    for (auto& slot : m_slots)
        slot = Snapshot{};
    m_position = 0;
}

int TUndoHistory::snapshotCount() const
{
    int count = 0;
    for (const auto& slot : m_slots)
        count += slot.design ? 1 : 0;
    return count;
}
