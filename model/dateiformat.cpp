#include "model/dateiformat.h"

#include "model/texts.h"

#include <cstring>
#include <optional>

// ---- byte streams ----

std::size_t TByteReader::read(char* buffer, std::size_t n)
{
    const std::size_t got = std::min(n, m_data.size() - m_pos);
    std::memcpy(buffer, m_data.data() + m_pos, got);
    m_pos += got;
    return got;
}

std::string TByteReader::ReadText()
{
    // Every byte up to the terminator is kept; only 0x00 bytes are left out.
    const char* begin = m_data.data() + m_pos;
    const std::size_t left = m_data.size() - m_pos;
    const void* end = std::memchr(begin, 0x01, left);
    if (!end) {
        m_pos = m_data.size();
        throw DesignError(ErrorReason::StreamRead);
    }
    const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(end) - begin);
    std::string text;
    if (!std::memchr(begin, '\0', length)) {
        text.assign(begin, length);
    } else {
        text.reserve(length);
        for (std::size_t i = 0; i < length; ++i) {
            if (begin[i] != '\0')
                text.push_back(begin[i]);
        }
    }
    m_pos += length + 1;
    return text;
}

void TByteWriter::writeHead(char letter, const std::string& text)
{
    m_out += letter;
    m_out += ':';
    // The text in the runs between the bytes 0x01 that cannot be stored.
    std::string_view rest(text);
    for (std::size_t stop = rest.find('\x01'); stop != std::string_view::npos; stop = rest.find('\x01')) {
        m_out += rest.substr(0, stop);
        rest.remove_prefix(stop + 1);
    }
    m_out += rest;
    m_out += '\x01';
}

// ---- reading ----

namespace {

std::optional<Kind> kindOfTag(char letter)
{
    switch (letter) {
    case 'A':
        return Kind::Anweisung;
    case 'B':
        return Kind::Block;
    case 'I':
        return Kind::If;
    case 'W':
        return Kind::While;
    case 'D':
        return Kind::DoWhile;
    case 'R':
        return Kind::Repeat;
    case 'F':
        return Kind::For;
    default:
        return std::nullopt; // 0x02 and every other value end the sequence
    }
}

} // namespace

// Reads records recursively along the nesting and iteratively along sequences. `depth` is the nesting
// level that a block standing in (or owned by an element of) the sequence being read would have. Every
// element learns its parent as it is made, while it is still in the processor's cache: a walk over the
// finished tree to set them would touch every element of a large design once more.
class TDesignLoader
{
public:
    explicit TDesignLoader(TByteReader& in) : m_in(in) {}

    // A tag: the class it names, or nothing for the end of a sequence. Only the first byte counts; a
    // short read counts as the end.
    std::optional<Kind> readTag()
    {
        char tag[2];
        if (m_in.read(tag, 2) < 2)
            return std::nullopt;
        return kindOfTag(tag[0]);
    }

    void skipTag()
    {
        char tag[2];
        m_in.read(tag, 2);
    }

    // An element of class `first` and every successor that follows it, all with the parent `parent`.
    std::unique_ptr<TElement> loadSequence(Kind first, int depth, TElement* parent)
    {
        std::unique_ptr<TElement> head = loadBody(first, depth, parent);
        TElement* tail = head.get();
        while (std::optional<Kind> next = readTag()) {
            tail->Next = loadBody(*next, depth, parent);
            tail = tail->Next.get();
        }
        return head;
    }

    // TBlock.Load: a block's body, then its successors.
    std::unique_ptr<TBlock> loadBlock(int depth, TElement* parent)
    {
        auto block = loadBlockBody(depth, parent);
        if (std::optional<Kind> next = readTag())
            block->Next = loadSequence(*next, depth, parent);
        return block;
    }

private:
    std::unique_ptr<TBlock> loadBlockBody(int depth, TElement* parent)
    {
        if (depth > kMaxNesting)
            throw DesignError(ErrorReason::TooDeeplyNested);
        auto block = made(std::make_unique<TBlock>(m_in.ReadText()), parent);
        if (std::optional<Kind> first = readTag())
            block->FirstChild = loadSequence(*first, depth + 1, block.get());
        return block;
    }

    // A branch block: its tag is ignored, it is always read as a TBlock, and it is no standalone element.
    std::unique_ptr<TBlock> loadBranch(int depth, TElement* condition)
    {
        skipTag();
        auto branch = loadBlock(depth, condition);
        branch->Standalone = false;
        return branch;
    }

    // One element of class `kind` without its successors.
    std::unique_ptr<TElement> loadBody(Kind kind, int depth, TElement* parent)
    {
        switch (kind) {
        case Kind::Anweisung:
            return made(std::make_unique<TAnweisung>(m_in.ReadText()), parent);
        case Kind::Block:
            return loadBlockBody(depth, parent);
        case Kind::If: {
            auto decision = made(std::make_unique<TIf>(m_in.ReadText()), parent);
            decision->BranchCount = 2;
            decision->Branches[0] = loadBranch(depth, decision.get());
            decision->Branches[1] = loadBranch(depth, decision.get());
            return decision;
        }
        case Kind::While:
            return loadLoop(made(std::make_unique<TWhile>(m_in.ReadText()), parent), depth);
        case Kind::For:
            return loadLoop(made(std::make_unique<TFor>(m_in.ReadText()), parent), depth);
        case Kind::DoWhile: {
            auto loop = loadLoop(made(std::make_unique<TDoWhile>(m_in.ReadText()), parent), depth);
            loop->LoopOnYes = true;
            return loop;
        }
        case Kind::Repeat: {
            auto loop = loadLoop(made(std::make_unique<TRepeat>(m_in.ReadText()), parent), depth);
            loop->Branches[0]->Braced = false;
            loop->LoopOnYes = false;
            return loop;
        }
        }
        return nullptr;
    }

    template <class Loop> std::unique_ptr<Loop> loadLoop(std::unique_ptr<Loop> loop, int depth)
    {
        loop->BranchCount = 1;
        loop->Branches[0] = loadBranch(depth, loop.get());
        return loop;
    }

    template <class Element>
    static std::unique_ptr<Element> made(std::unique_ptr<Element> e, TElement* parent)
    {
        TElement::setParent(*e, parent);
        return e;
    }

    TByteReader& m_in;
};

std::unique_ptr<TBlock> loadDesign(std::string_view bytes)
{
    // Every design begins with its root's record, a block: anything else (a picture, a text) is none.
    if (!bytes.starts_with("B:"))
        throw DesignError(ErrorReason::NotADesign);
    TByteReader in(bytes);
    TDesignLoader loader(in);
    loader.skipTag(); // the root's tag: the root is always read as a block
    std::unique_ptr<TBlock> root = loader.loadBlock(1, nullptr);
    makeDesignRoot(*root);
    return root;
}

// ---- writing ----

void TElement::Save(TByteWriter& out) const
{
    for (const TElement* e = this; e; e = e->Next.get())
        e->saveRecord(out);
}

void TAnweisung::saveRecord(TByteWriter& out) const
{
    out.writeHead('A', Text);
}

void TBlock::saveRecord(TByteWriter& out) const
{
    out.writeHead('B', Text);
    if (FirstChild)
        FirstChild->Save(out);
    out.writeEnd();
}

void TIf::saveRecord(TByteWriter& out) const
{
    out.writeHead('I', Text);
    for (int i = 0; i < 2; ++i) {
        if (Branches[i])
            Branches[i]->Save(out);
        out.writeEnd();
    }
}

namespace {

void saveLoopBody(TByteWriter& out, const TBlock* body)
{
    if (body)
        body->Save(out);
    out.writeEnd();
}

} // namespace

void TWhile::saveRecord(TByteWriter& out) const
{
    out.writeHead('W', Text);
    saveLoopBody(out, branch(1));
}

void TDoWhile::saveRecord(TByteWriter& out) const
{
    out.writeHead('D', Text);
    saveLoopBody(out, branch(1));
}

void TRepeat::saveRecord(TByteWriter& out) const
{
    out.writeHead('R', Text);
    saveLoopBody(out, branch(1));
}

void TFor::saveRecord(TByteWriter& out) const
{
    out.writeHead('F', Text);
    saveLoopBody(out, branch(1));
}

void saveDesign(TByteSink& out, const TBlock& root)
{
    TByteWriter writer(out);
    root.Save(writer);
    out.flush();
}

std::string saveDesign(const TBlock& root)
{
    TStringSink out;
    saveDesign(out, root);
    return out.take();
}

// ---- files ----

std::unique_ptr<TBlock> readDesignFile(const std::string& path)
{
    const std::string bytes = readWholeFile(path);
    try {
        return loadDesign(bytes);
    } catch (const DesignError& error) {
        // Data that ends inside a record is no design either; the user learns which file it was.
        if (error.reason() == ErrorReason::StreamRead || error.reason() == ErrorReason::NotADesign)
            throw DesignError(ErrorReason::NotADesign, path);
        throw;
    }
}

void writeDesignFile(const std::string& path, const TBlock& root)
{
    TSafeFileWriter file(path);
    saveDesign(file, root);
    file.commit();
}
