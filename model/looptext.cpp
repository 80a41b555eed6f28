#include "model/looptext.h"

#include "model/texts.h"

namespace {

// Characters from `pos` up to the next blank (or the end); `pos` ends on that blank.
std::string takeWord(const std::string& text, std::size_t& pos)
{
    const std::size_t blank = text.find(' ', pos);
    const std::size_t end = blank == std::string::npos ? text.size() : blank;
    std::string word = text.substr(pos, end - pos);
    pos = end;
    return word;
}

} // namespace

LoopParts splitLoopText(const std::string& text)
{
    if (text == texts::kUnknown)
        return {"?", "?", "?"};
    LoopParts parts;
    std::size_t pos = 0;
    parts.variable = takeWord(text, pos);
    pos += 5;
    if (pos >= text.size())
        return parts;
    parts.start = takeWord(text, pos);
    pos += 5;
    if (pos >= text.size())
        return parts;
    parts.end = text.substr(pos);
    return parts;
}

std::string joinLoopText(const LoopParts& parts)
{
    return parts.variable + " von " + parts.start + " bis " + parts.end;
}
