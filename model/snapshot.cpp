#include "model/snapshot.h"

#include "model/layoutcache.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>
#include <utility>

// The encoding of a part, in pre-order:
//   part     := element (a block)
//   sequence := (element | kPart | kRun)* kEnd
//   run      := (element | kPart)*
//   element  := head [branch count, for a condition element] text-length text content
//   content  := a block's children as a sequence | a condition element's present branches, each as a
//               sequence (the branch block and whatever follows it)
// kPart stands for the block encoded by the next part of the part's list, kRun for the elements of the
// next part, a run of a long sequence (its elements without kEnd). The head holds the class in its
// low three bits and the flags above them. Lengths are unsigned LEB128. The snapshot's top is a sequence.

namespace {

constexpr unsigned char kEnd = 0x07;  // no class has the number 7
constexpr unsigned char kPart = 0x0F; // nor this, with the Standalone bit
constexpr unsigned char kRun = 0x1F;  // nor this
constexpr unsigned char kKindBits = 0x07;
constexpr unsigned char kStandalone = 0x08;
constexpr unsigned char kBraced = 0x10;    // TBlock
constexpr unsigned char kLoopOnYes = 0x10; // TDoWhile, TRepeat
constexpr unsigned char kFramed = 0x20;
constexpr unsigned char kBranch1 = 0x40;
constexpr unsigned char kBranch2 = 0x80;

// A block encoded in fewer bytes than this goes into the part around it instead of a part of its own: a
// part costs about a hundred bytes more, and encoding such a block again with the part around it costs
// little.
constexpr std::size_t kOwnPartBytes = 96;

unsigned char headOf(const TElement& e)
{
    unsigned head = static_cast<unsigned>(e.kind());
    const auto flag = [&head](bool set, unsigned char bit) {
        if (set)
            head |= bit;
    };
    flag(e.Standalone, kStandalone);
    if (const TBlock* block = asBlock(&e)) {
        flag(block->Braced, kBraced);
        flag(block->Framed, kFramed);
    } else if (const TBedingung* condition = asCondition(&e)) {
        if (e.kind() == Kind::DoWhile || e.kind() == Kind::Repeat)
            flag(static_cast<const TDoWhile&>(e).LoopOnYes, kLoopOnYes);
        flag(condition->Branches[0] != nullptr, kBranch1);
        flag(condition->Branches[1] != nullptr, kBranch2);
    }
    return static_cast<unsigned char>(head);
}

} // namespace

// What the elements of a design keep for snapshots: a block's part, and the mark that says whether an
// element changed since a snapshot encoded it.
class TSnapshotParts
{
public:
    static const std::shared_ptr<const TSnapshotPart>& of(const TBlock& block)
    {
        return block.m_snapshotPart;
    }
    static void keep(const TBlock& block, std::shared_ptr<const TSnapshotPart> part)
    {
        block.m_snapshotPart = std::move(part);
    }
    static bool changed(const TElement& e) { return e.m_snapshotChanged; }
    static void settle(const TElement& e) { e.m_snapshotChanged = false; }
};

namespace {

// A block's sequence longer than this is kept in runs of this many elements, each a part of its own that
// the next snapshot takes over unless one of its elements changed, went or came. A run that elements came
// into or went from is encoded again as it stands, so runs may be shorter or longer (up to twice this).
constexpr std::size_t kRunLength = 64;
// How many runs ahead of the last one taken over a sequence is looked at for the next one.
constexpr std::size_t kRunWindow = 4;

bool isRun(const TSnapshotPart& part)
{
    return !part.serials.empty();
}

bool longerThan(const TElement* e, std::size_t count)
{
    for (std::size_t n = 0; e; e = e->Next.get())
        if (++n > count)
            return true;
    return false;
}

// What a snapshot changes in the design once it is complete: the elements encoded anew, whose marks are
// cleared, and the blocks whose long sequences it encoded as they stand, whose changes it follows from then.
struct Settled
{
    std::vector<const TElement*> encoded;
    std::vector<const TBlock*> followed;
};

// Appends the encoding of elements to a part.
class Encoder
{
public:
    Encoder(TSnapshotPart& out, Settled& settled) : m_out(out), m_settled(settled) {}

    // `first` and its successors, closed by kEnd.
    void sequence(const TElement* first)
    {
        for (const TElement* e = first; e; e = e->Next.get())
            item(*e);
        put(kEnd);
    }

    // An element and what it holds, encoded here.
    void element(const TElement& e)
    {
        m_settled.encoded.push_back(&e);
        put(headOf(e));
        if (const TBedingung* condition = asCondition(&e))
            put(static_cast<unsigned char>(condition->BranchCount));
        putLength(e.Text.size());
        m_out.bytes.append(e.Text);
        if (const TBlock* block = asBlock(&e)) {
            children(*block);
        } else if (const TBedingung* condition = asCondition(&e)) {
            for (const auto& branch : condition->Branches) {
                if (branch)
                    sequence(branch.get());
            }
        }
    }

private:
    void item(const TElement& e)
    {
        if (const TBlock* block = asBlock(&e))
            this->block(*block);
        else
            element(e);
    }

    // A block: the part it keeps while it has not changed, else its encoding, in a part of its own
    // unless it is small.
    void block(const TBlock& block)
    {
        std::shared_ptr<const TSnapshotPart> part = TSnapshotParts::of(block);
        if (!part || TSnapshotParts::changed(block)) {
            auto made = std::make_shared<TSnapshotPart>();
            Encoder(*made, m_settled).element(block);
            if (made->bytes.size() < kOwnPartBytes && (made->parts.empty() || !isRun(*made->parts.front()))) {
                m_out.bytes.append(made->bytes);
                m_out.parts.insert(m_out.parts.end(), made->parts.begin(), made->parts.end());
                TSnapshotParts::keep(block, nullptr); // what it kept is no longer right for it
                return;
            }
            if (made->bytes.capacity() - made->bytes.size() > made->bytes.size() / 4)
                made->bytes.shrink_to_fit();
            part = std::move(made);
        }
        m_out.parts.push_back(part);
        put(kPart);
        // Kept once it is a complete encoding of the block; it counts once the block's mark is cleared
        // at the end of the snapshot.
        TSnapshotParts::keep(block, std::move(part));
    }

    // A block's children: a long sequence in runs, taking over the runs of the block's last part whose
    // elements are still there, in the same order, unchanged.
    void children(const TBlock& block)
    {
        const TElement* e = block.FirstChild.get();
        if (!longerThan(e, kRunLength)) {
            sequence(e);
            return;
        }
        static const std::vector<std::shared_ptr<const TSnapshotPart>> kNone;
        const TSnapshotPart* last = TSnapshotParts::of(block).get();
        const auto& oldRuns =
            last && !last->parts.empty() && isRun(*last->parts.front()) ? last->parts : kNone;
        prepareFollowing(block);
        m_settled.followed.push_back(&block);
        if (!oldRuns.empty() && takeOverRuns(block, oldRuns))
            return;
        std::size_t expected = 0; // the run after the last one taken over
        const auto startsRun = [&](const TElement& at) -> std::size_t {
            for (std::size_t k = expected; k < std::min(expected + kRunWindow, oldRuns.size()); ++k)
                if (oldRuns[k]->serials.front() == at.serial())
                    return k;
            return oldRuns.size();
        };
        while (e) {
            const std::size_t k = startsRun(*e);
            if (k < oldRuns.size()) {
                const TElement* after = e;
                bool same = true;
                for (const std::uint64_t serial : oldRuns[k]->serials) {
                    if (!after || after->serial() != serial || TSnapshotParts::changed(*after)) {
                        same = false;
                        break;
                    }
                    after = after->Next.get();
                }
                if (same) {
                    m_out.parts.push_back(oldRuns[k]);
                    put(kRun);
                    expected = k + 1;
                    e = after;
                    continue;
                }
            }
            // A new run, up to the start of a run that may be taken over.
            auto run = std::make_shared<TSnapshotPart>();
            run->serials.reserve(kRunLength);
            Encoder encoder(*run, m_settled);
            do {
                encoder.item(*e);
                run->serials.push_back(e->serial());
                e = e->Next.get();
            } while (e && run->serials.size() < kRunLength && startsRun(*e) == oldRuns.size());
            m_out.parts.push_back(std::move(run));
            put(kRun);
        }
        put(kEnd);
    }

    // Where only some children changed, or came or went, since the last complete snapshot encoded the
    // sequence, and the layout's index holds the children as they stand: the runs of the changed children
    // and the runs that children came into or went from are encoded again (one that grew long in several
    // runs), every other run is taken over without a walk along it. False when the changes are not known.
    bool takeOverRuns(const TBlock& block, const std::vector<std::shared_ptr<const TSnapshotPart>>& oldRuns)
    {
        const TChildChanges* changes = childChanges(block, TKeeper::Snapshot);
        const std::vector<const TElement*>* children = currentChildren(block);
        if (!changes || !children)
            return false;
        TSplicedRuns spliced;
        spliced.counts.reserve(oldRuns.size());
        for (const auto& run : oldRuns)
            spliced.counts.push_back(static_cast<std::uint32_t>(run->serials.size()));
        // A child listed as changed in a run that is taken over must still be the element the run holds.
        const auto unchanged = [&](std::size_t run, std::size_t offset, const TElement& child) {
            return oldRuns[run]->serials[offset] == child.serial();
        };
        if (!spliceAndFindRuns(spliced, *changes, *children, unchanged))
            return false;
        const std::vector<std::uint32_t>& counts = spliced.counts;
        const std::vector<char>& touched = spliced.touched;
        const std::vector<std::size_t>& starts = spliced.starts;
        for (std::size_t k = 0; k < oldRuns.size(); ++k) {
            if (counts[k] == 0)
                continue;
            if (!touched[k]) {
                m_out.parts.push_back(oldRuns[k]);
                put(kRun);
                continue;
            }
            const std::size_t pieces = counts[k] > 2 * kRunLength ? counts[k] / kRunLength : 1;
            for (std::size_t piece = 0, done = 0; piece < pieces; ++piece) {
                const std::size_t length = piece + 1 < pieces ? kRunLength : counts[k] - done;
                auto run = std::make_shared<TSnapshotPart>();
                run->serials.reserve(length);
                Encoder encoder(*run, m_settled);
                for (std::size_t i = starts[k] + done; i < starts[k] + done + length; ++i) {
                    encoder.item(*(*children)[i]);
                    run->serials.push_back((*children)[i]->serial());
                }
                m_out.parts.push_back(std::move(run));
                put(kRun);
                done += length;
            }
        }
        put(kEnd);
        return true;
    }

    void put(unsigned char byte) { m_out.bytes.push_back(static_cast<char>(byte)); }
    void putLength(std::size_t length)
    {
        while (length >= 0x80) {
            put(static_cast<unsigned char>(length | 0x80));
            length >>= 7;
        }
        put(static_cast<unsigned char>(length));
    }

    TSnapshotPart& m_out;
    Settled& m_settled;
};

class Decoder
{
public:
    explicit Decoder(const TSnapshotPart& part)
        : m_in(reinterpret_cast<const unsigned char*>(part.bytes.data())), m_end(m_in + part.bytes.size()),
          m_parts(part.parts.data())
    {
    }

    // A sequence: its first element and, linked behind it, its successors; null when it is empty.
    std::unique_ptr<TElement> sequence()
    {
        std::unique_ptr<TElement> first;
        std::unique_ptr<TElement>* link = &first;
        for (unsigned char head = *m_in++; head != kEnd; head = *m_in++) {
            if (head == kRun) {
                link = run(**m_parts++, link);
                continue;
            }
            *link = head == kPart ? block(*m_parts++) : element(head);
            link = &(*link)->Next;
        }
        return first;
    }

    // The block a part encodes, keeping the part.
    static std::unique_ptr<TBlock> block(const std::shared_ptr<const TSnapshotPart>& part)
    {
        Decoder decoder(*part);
        const unsigned char head = *decoder.m_in++;
        std::unique_ptr<TElement> e = decoder.element(head);
        auto block = std::unique_ptr<TBlock>(static_cast<TBlock*>(e.release()));
        TSnapshotParts::keep(*block, part);
        TSnapshotParts::settle(*block); // the part is exactly what the block holds
        return block;
    }

private:
    // The elements of a run, linked at `link`; returns the link after the last of them.
    static std::unique_ptr<TElement>* run(const TSnapshotPart& part, std::unique_ptr<TElement>* link)
    {
        Decoder decoder(part);
        while (decoder.m_in != decoder.m_end) {
            const unsigned char head = *decoder.m_in++;
            *link = head == kPart ? block(*decoder.m_parts++) : decoder.element(head);
            link = &(*link)->Next;
        }
        return link;
    }

    std::unique_ptr<TElement> element(unsigned char head)
    {
        const auto kind = static_cast<Kind>(head & kKindBits);
        const int branchCount = kind >= Kind::If ? *m_in++ : 0;
        std::string text = this->text();
        std::unique_ptr<TElement> e;
        switch (kind) {
        case Kind::Anweisung:
            e = std::make_unique<TAnweisung>(std::move(text));
            break;
        case Kind::Block: {
            auto block = std::make_unique<TBlock>(std::move(text));
            block->Braced = (head & kBraced) != 0;
            block->Framed = (head & kFramed) != 0;
            block->FirstChild = sequence();
            e = std::move(block);
            break;
        }
        case Kind::If:
            e = condition(std::make_unique<TIf>(std::move(text)), head, branchCount);
            break;
        case Kind::While:
            e = condition(std::make_unique<TWhile>(std::move(text)), head, branchCount);
            break;
        case Kind::DoWhile:
        case Kind::Repeat: {
            std::unique_ptr<TDoWhile> loop;
            if (kind == Kind::DoWhile)
                loop = std::make_unique<TDoWhile>(std::move(text));
            else
                loop = std::make_unique<TRepeat>(std::move(text));
            loop->LoopOnYes = (head & kLoopOnYes) != 0;
            e = condition(std::move(loop), head, branchCount);
            break;
        }
        case Kind::For:
            e = condition(std::make_unique<TFor>(std::move(text)), head, branchCount);
            break;
        }
        e->Standalone = (head & kStandalone) != 0;
        return e;
    }

    template <class Condition>
    std::unique_ptr<TElement> condition(std::unique_ptr<Condition> e, unsigned char head, int branchCount)
    {
        e->BranchCount = branchCount;
        for (int i = 0; i < 2; ++i) {
            if (!(head & (i == 0 ? kBranch1 : kBranch2)))
                continue;
            // A branch is always a block (the encoder wrote one).
            std::unique_ptr<TElement> branch = sequence();
            e->Branches[i].reset(static_cast<TBlock*>(branch.release()));
        }
        return e;
    }

    std::string text()
    {
        std::size_t length = 0;
        for (int shift = 0;; shift += 7) {
            const unsigned char byte = *m_in++;
            length |= static_cast<std::size_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                break;
        }
        std::string text(reinterpret_cast<const char*>(m_in), length);
        m_in += length;
        return text;
    }

    const unsigned char* m_in;
    const unsigned char* m_end;
    const std::shared_ptr<const TSnapshotPart>* m_parts;
};

void collectParts(const TSnapshotPart& part, std::unordered_set<const TSnapshotPart*>& seen)
{
    for (const auto& inner : part.parts)
        if (seen.insert(inner.get()).second)
            collectParts(*inner, seen);
}

} // namespace

TSnapshot::TSnapshot(const TBlock& design)
{
    Settled settled;
    auto top = std::make_shared<TSnapshotPart>();
    Encoder(*top, settled).sequence(&design);
    m_top = std::move(top);
    // Only now, when nothing can fail any more: what the elements keep is what this snapshot holds.
    for (const TElement* e : settled.encoded)
        TSnapshotParts::settle(*e);
    for (const TBlock* block : settled.followed)
        followChildChanges(*block, TKeeper::Snapshot);
}

std::unique_ptr<TBlock> TSnapshot::restore() const
{
    std::unique_ptr<TElement> root = Decoder(*m_top).sequence();
    return std::unique_ptr<TBlock>(static_cast<TBlock*>(root.release()));
}

std::size_t TSnapshot::bytesNotIn(const TSnapshot* other) const
{
    std::unordered_set<const TSnapshotPart*> shared;
    if (other)
        collectParts(*other->m_top, shared);
    std::unordered_set<const TSnapshotPart*> own;
    own.insert(m_top.get());
    collectParts(*m_top, own);
    std::size_t bytes = 0;
    for (const TSnapshotPart* part : own) {
        if (!shared.contains(part))
            bytes += sizeof(TSnapshotPart) + part->bytes.capacity() +
                     part->parts.capacity() * sizeof(part->parts.front()) +
                     part->serials.capacity() * sizeof(std::uint64_t);
    }
    return bytes;
}
