#include "model/snapshot.h"

// The encoding, in pre-order:
//   sequence := element* kEnd
//   element  := head [branch count, for a condition element] text-length text content
//   content  := a block's children as a sequence | a condition element's present branches, each as a
//               sequence (the branch block and whatever follows it)
// The head holds the class in its low three bits and the flags above them. Lengths are unsigned LEB128.

namespace {

constexpr unsigned char kEnd = 0x07; // no class has the number 7
constexpr unsigned char kKindBits = 0x07;
constexpr unsigned char kStandalone = 0x08;
constexpr unsigned char kBraced = 0x10;    // TBlock
constexpr unsigned char kLoopOnYes = 0x10; // TDoWhile, TRepeat
constexpr unsigned char kFramed = 0x20;
constexpr unsigned char kBranch1 = 0x40;
constexpr unsigned char kBranch2 = 0x80;

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

// Appends the encoding of `first` and its successors to a string.
class Encoder
{
public:
    explicit Encoder(std::string& out) : m_out(out) {}

    void write(const TElement& first)
    {
        for (const TElement* e = &first; e; e = e->Next.get()) {
            put(headOf(*e));
            if (const TBedingung* condition = asCondition(e))
                put(static_cast<unsigned char>(condition->BranchCount));
            putLength(e->Text.size());
            m_out.append(e->Text);
            if (const TBlock* block = asBlock(e)) {
                if (block->FirstChild)
                    write(*block->FirstChild);
                else
                    put(kEnd);
            } else if (const TBedingung* condition = asCondition(e)) {
                for (const auto& branch : condition->Branches) {
                    if (branch)
                        write(*branch);
                }
            }
        }
        put(kEnd);
    }

private:
    void put(unsigned char byte) { m_out.push_back(static_cast<char>(byte)); }
    void putLength(std::size_t length)
    {
        while (length >= 0x80) {
            put(static_cast<unsigned char>(length | 0x80));
            length >>= 7;
        }
        put(static_cast<unsigned char>(length));
    }

    std::string& m_out;
};

class Decoder
{
public:
    explicit Decoder(const std::string& bytes) : m_in(reinterpret_cast<const unsigned char*>(bytes.data())) {}

    // A sequence: its first element and, linked behind it, its successors; null when it is empty.
    std::unique_ptr<TElement> sequence()
    {
        std::unique_ptr<TElement> first;
        std::unique_ptr<TElement>* link = &first;
        for (unsigned char head = *m_in++; head != kEnd; head = *m_in++) {
            *link = element(head);
            link = &(*link)->Next;
        }
        return first;
    }

private:
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
};

} // namespace

namespace {

// The size of the last snapshot made: the next one of the same design is about as large.
std::size_t g_lastSize = 0;

} // namespace

TSnapshot::TSnapshot(const TBlock& design)
{
    // One walk over the tree. The string starts with room for the last snapshot and a little more, which
    // spares the copies of a growing string (on a large design they cost as much as a third of the walk);
    // it is fitted to its size only when much room is left over.
    m_bytes.reserve(g_lastSize + g_lastSize / 16 + 64);
    Encoder(m_bytes).write(design);
    g_lastSize = m_bytes.size();
    if (m_bytes.capacity() - m_bytes.size() > m_bytes.size() / 8 + 4096)
        m_bytes.shrink_to_fit();
}

std::unique_ptr<TBlock> TSnapshot::restore() const
{
    std::unique_ptr<TElement> root = Decoder(m_bytes).sequence();
    return std::unique_ptr<TBlock>(static_cast<TBlock*>(root.release()));
}
