#pragma once

#include "model/struktteile.h"

#include <cstddef>
#include <string>
#include <unordered_map>

// TExtentCache: the text extents of one font on devices of one resolution, by the text's bytes. One
// measurement through the toolkit costs microseconds, and every layout asks for the same texts again.
// The cache forgets everything once it holds kMaxTexts texts, which bounds its memory.
class TExtentCache
{
public:
    static constexpr std::size_t kMaxTexts = std::size_t{1} << 20;

    // The extent of `text`, or null when it has not been measured yet.
    const TSize* find(const std::string& text) const;
    void insert(const std::string& text, TSize extent);
    std::size_t size() const { return m_extents.size(); }
    void clear() { m_extents.clear(); }

private:
    std::unordered_map<std::string, TSize> m_extents;
};
