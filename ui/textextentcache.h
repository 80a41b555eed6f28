#pragma once

#include "model/struktteile.h"

#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QPaintDevice;

// TExtentCache: the text extents of one font on devices of one resolution, by the text's bytes. One
// measurement through the toolkit costs microseconds, and a large design holds a million texts.
//
// Most texts are measured by adding up: each character's advance plus, for each neighbouring pair, what
// the pair measures beyond its two advances (kerning), all in the toolkit's own 1/64-pixel units, rounded
// as the toolkit rounds. That gives the toolkit's width exactly wherever its text shaping works pair by
// pair, which the cache checks for the font before it trusts it (ligatures and control characters are
// measured whole, and a font that fails the check is always measured whole). What is measured whole is
// kept, up to kMaxTexts texts.
class TExtentCache
{
public:
    static constexpr std::size_t kMaxTexts = std::size_t{1} << 20;

    // A cache that only keeps what it is given (find, insert).
    TExtentCache() = default;
    // A cache that measures in `font` on devices of `device`'s resolution.
    TExtentCache(const QFont& font, const QPaintDevice* device);

    // The extent of `text` (code page 1252), measured or kept.
    TSize extent(const std::string& text);
    // Whether texts are added up (the font passed the check).
    bool addsUp() const { return m_addsUp; }

    // The kept extent of `text`, or null when it has not been measured whole yet.
    const TSize* find(const std::string& text) const;
    void insert(const std::string& text, TSize extent);
    std::size_t size() const { return m_extents.size(); }
    void clear() { m_extents.clear(); }

private:
    // The width by adding up, in 1/64 pixels before rounding; nothing when a character or pair of the
    // text has to be measured whole.
    std::optional<int> addedWidth(std::string_view text);
    // What the pair (a, b) measures beyond the two advances, in 1/64 pixels; nothing for a ligature.
    std::optional<std::int32_t> pairExtra(unsigned char a, unsigned char b);
    // What character `c` adds after the character of row `row` (kFirstRow: at the text's start), kept in
    // m_steps; nothing when the text has to be measured whole.
    std::optional<std::int32_t> step(std::size_t row, unsigned char c);
    bool checkAddingUp();

    static constexpr std::size_t kFirstRow = 256;

    std::unordered_map<std::string, TSize> m_extents;
    std::optional<QFont> m_font;
    std::optional<QFontMetrics> m_metrics;
    std::optional<QFontMetricsF> m_metricsF;
    int m_height = 0;
    bool m_addsUp = false;
    std::array<std::int32_t, 256> m_advance{}; // in 1/64 pixels; kNoAdvance: measured whole
    // By the character before (a row; kFirstRow at the start) and the character: its advance plus what
    // the pair adds (kerning), in 1/64 pixels; 257 x 256, kUnknown until asked, kNoAdvance: measured whole.
    // One look-up per character.
    std::vector<std::int32_t> m_steps;
};
