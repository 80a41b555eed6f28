#include "ui/textextentcache.h"

const TSize* TExtentCache::find(const std::string& text) const
{
    const auto found = m_extents.find(text);
    return found == m_extents.end() ? nullptr : &found->second;
}

void TExtentCache::insert(const std::string& text, TSize extent)
{
    if (m_extents.size() >= kMaxTexts)
        m_extents.clear();
    m_extents.emplace(text, extent);
}
