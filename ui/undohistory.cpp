#include "ui/undohistory.h"

void TUndoHistory::TakeSnapshot(const TBlock& design)
{
    // The states stepped back over, the one the design is a copy of included, are gone for good.
    while (m_position > 0) {
        DropNewestSnapshot();
        --m_position;
    }
    for (std::size_t i = kSlots - 1; i > 0; --i)
        m_slots[i] = std::move(m_slots[i - 1]); // slot 10's old snapshot is released here
    m_slots[0] = design.CloneBlock();
    m_position = 0;
}

void TUndoHistory::DropNewestSnapshot()
{
    for (std::size_t i = 0; i + 1 < kSlots; ++i)
        m_slots[i] = std::move(m_slots[i + 1]);
    m_slots[kSlots - 1].reset();
}

std::unique_ptr<TBlock> TUndoHistory::Undo()
{
    if (m_position >= kSlots || !m_slots[static_cast<std::size_t>(m_position)])
        return nullptr;
    ++m_position;
    return m_slots[static_cast<std::size_t>(m_position - 1)]->CloneBlock();
}

void TUndoHistory::Clear()
{
    for (auto& slot : m_slots)
        slot.reset();
    m_position = 0;
}

int TUndoHistory::SnapshotCount() const
{
    int count = 0;
    for (const auto& slot : m_slots)
        count += slot ? 1 : 0;
    return count;
}
