#include "model/dump.h"

namespace {

char classLetter(Kind kind)
{
    switch (kind) {
    case Kind::Anweisung:
        return 'A';
    case Kind::Block:
        return 'B';
    case Kind::If:
        return 'I';
    case Kind::While:
        return 'W';
    case Kind::DoWhile:
        return 'D';
    case Kind::Repeat:
        return 'R';
    case Kind::For:
        return 'F';
    }
    return '?';
}

void appendEscaped(TByteSink& out, const std::string& text)
{
    static const char hex[] = "0123456789abcdef";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '"') {
            out += "\\\"";
        } else if (byte < 0x20 || byte >= 0x7F) {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        } else {
            out += c;
        }
    }
}

void dumpSequence(TByteSink& out, const TElement& first, int depth)
{
    for (const TElement* e = &first; e; e = e->Next.get()) {
        out.append(static_cast<std::size_t>(2 * depth), ' ');
        out += classLetter(e->kind());
        out += e->Standalone ? " s=1" : " s=0";
        if (const TBlock* block = asBlock(e))
            out += block->Braced ? " b=1" : " b=0";
        if (e->kind() == Kind::DoWhile || e->kind() == Kind::Repeat)
            out += static_cast<const TDoWhile*>(e)->LoopOnYes ? " y=1" : " y=0";
        out += " \"";
        appendEscaped(out, e->Text);
        out += "\"\n";
        if (const TBlock* block = asBlock(e)) {
            if (block->FirstChild)
                dumpSequence(out, *block->FirstChild, depth + 1);
        } else if (const TBedingung* condition = asCondition(e)) {
            for (const auto& branch : condition->Branches) {
                if (branch)
                    dumpSequence(out, *branch, depth + 1);
            }
        }
    }
}

} // namespace

void dumpTree(TByteSink& out, const TElement& first, int depth)
{
    dumpSequence(out, first, depth);
    out.flush();
}

std::string dumpTree(const TElement& first, int depth)
{
    TStringSink out;
    dumpTree(out, first, depth);
    return out.take();
}
