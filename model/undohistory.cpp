#include "model/undohistory.h"

#include <iterator>

namespace {

constexpr std::size_t kMaxSlots = TUndoHistory::kSlots;

} // namespace

TUndoHistory::TUndoHistory() = default;
TUndoHistory::~TUndoHistory() = default;

void TUndoHistory::TakeSnapshot(const TBlock& design, bool modified)
{
    // Made before anything moves: when memory runs out here, the history stays as it was.
    auto encoded = std::make_unique<const TSnapshot>(design);
    Snapshot snapshot;
    if (m_position > 0) {
        // The states stepped back over, the one the design is a copy of included, are gone for good once
        // the command ends; inside it, the snapshot keeps them in case it is taken back.
        const auto end = m_slots.begin() + m_position;
        if (m_commandDepth > 0) {
            snapshot.steppedOver.assign(std::make_move_iterator(m_slots.begin()),
                                        std::make_move_iterator(end));
            snapshot.steppedOverLatest = std::move(m_latest);
            snapshot.steppedOverPosition = m_position;
        }
        m_slots.erase(m_slots.begin(), end);
        m_latest.reset();
        m_position = 0;
    }
    if (m_commandDepth == 0 && m_slots.size() >= kMaxSlots)
        m_slots.resize(kMaxSlots - 1); // the oldest snapshot is released here
    snapshot.design = std::move(encoded);
    snapshot.modified = modified;
    m_slots.insert(m_slots.begin(), std::move(snapshot));
}

bool TUndoHistory::DropNewestSnapshot()
{
    if (m_slots.empty())
        return false;
    Snapshot dropped = std::move(m_slots.front());
    m_slots.erase(m_slots.begin());
    if (dropped.steppedOverPosition > 0) {
        m_slots.insert(m_slots.begin(), std::make_move_iterator(dropped.steppedOver.begin()),
                       std::make_move_iterator(dropped.steppedOver.end()));
        m_latest = std::move(dropped.steppedOverLatest);
        m_position = dropped.steppedOverPosition;
    }
    return dropped.modified;
}

bool TUndoHistory::canUndo() const
{
    return m_position < kSlots && m_position < snapshotCount();
}

std::unique_ptr<TBlock> TUndoHistory::undo(const TBlock& design)
{
    if (!canUndo())
        return nullptr;
    // Everything that can run out of memory comes before the position moves.
    std::unique_ptr<const TSnapshot> latest =
        m_position == 0 ? std::make_unique<const TSnapshot>(design) : nullptr;
    std::unique_ptr<TBlock> restored = m_slots[static_cast<std::size_t>(m_position)].design->restore();
    if (latest)
        m_latest = std::move(latest);
    ++m_position;
    return restored;
}

std::unique_ptr<TBlock> TUndoHistory::redo()
{
    if (!canRedo())
        return nullptr;
    const TSnapshot& target =
        m_position == 1 ? *m_latest : *m_slots[static_cast<std::size_t>(m_position - 2)].design;
    std::unique_ptr<TBlock> restored = target.restore();
    if (--m_position == 0)
        m_latest.reset();
    return restored;
}

void TUndoHistory::clear()
{
    m_slots.clear();
    m_latest.reset();
    m_position = 0;
}

void TUndoHistory::beginCommand()
{
    ++m_commandDepth;
}

void TUndoHistory::endCommand()
{
    if (m_commandDepth > 0 && --m_commandDepth == 0)
        settle();
}

void TUndoHistory::settle()
{
    if (m_slots.size() > kMaxSlots)
        m_slots.resize(kMaxSlots);
    for (Snapshot& snapshot : m_slots) {
        snapshot.steppedOver.clear();
        snapshot.steppedOverLatest.reset();
        snapshot.steppedOverPosition = 0;
    }
}

const TSnapshot* TUndoHistory::slot(int i) const
{
    if (i < 1 || i > snapshotCount())
        return nullptr;
    return m_slots[static_cast<std::size_t>(i - 1)].design.get();
}
