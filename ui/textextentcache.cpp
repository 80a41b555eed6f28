#include "ui/textextentcache.h"

#include "ui/cp1252.h"
#include "ui/longtext.h"

#include <QTextLayout>

#include <cmath>
#include <random>

namespace {

constexpr std::int32_t kNoAdvance = INT32_MIN;
constexpr std::int32_t kUnknown = INT32_MIN + 1;
// Both below every step a text can take, so that one comparison finds either.
static_assert(kNoAdvance < kUnknown);

// The toolkit keeps advances in 1/64 pixels.
std::int32_t toUnits(qreal pixels)
{
    return static_cast<std::int32_t>(std::lround(pixels * 64));
}

// Characters the adding up leaves alone: control characters, and the bytes code page 1252 leaves open.
bool measuredWhole(unsigned char c)
{
    return c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

qsizetype glyphCount(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    qsizetype glyphs = 0;
    for (const QGlyphRun& run : layout.glyphRuns())
        glyphs += run.glyphIndexes().size();
    return glyphs;
}

} // namespace

TExtentCache::TExtentCache(const QFont& font, const QPaintDevice* device)
    : m_font(font), m_metrics(std::in_place, font, device), m_metricsF(std::in_place, font, device),
      m_height(m_metrics->height()), m_steps((kFirstRow + 1) * 256, kUnknown)
{
    for (int c = 0; c < 256; ++c) {
        const auto byte = static_cast<unsigned char>(c);
        m_advance[static_cast<std::size_t>(c)] =
            measuredWhole(byte) ? kNoAdvance
                                : toUnits(m_metricsF->horizontalAdvance(
                                      fromCp1252({reinterpret_cast<const char*>(&byte), 1})));
    }
    m_addsUp = checkAddingUp();
}

// Texts of the characters a design holds, measured both ways: one difference and the font is always
// measured whole.
bool TExtentCache::checkAddingUp()
{
    static const char kSample[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 =+-*/()<>[]{};.,:"
        "'\"!?%&_|\\#~^@$\xe4\xf6\xfc\xc4\xd6\xdc\xdf\x80\x84\x93\x94\x85";
    std::mt19937 rng(1);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kSample - 2);
    std::uniform_int_distribution<int> length(1, 40);
    for (int i = 0; i < 200; ++i) {
        std::string text;
        for (int n = length(rng); n > 0; --n)
            text.push_back(kSample[pick(rng)]);
        const std::optional<int> added = addedWidth(text);
        if (added && *added != m_metrics->horizontalAdvance(fromCp1252(text)))
            return false;
    }
    return true;
}

std::optional<std::int32_t> TExtentCache::pairExtra(unsigned char a, unsigned char b)
{
    const char bytes[2] = {static_cast<char>(a), static_cast<char>(b)};
    const QString pair = fromCp1252({bytes, 2});
    const std::int32_t extra = toUnits(m_metricsF->horizontalAdvance(pair)) - m_advance[a] - m_advance[b];
    // A pair that does not simply add up may be a ligature, shaped into one glyph whose neighbours kern
    // differently: then the text is measured whole.
    if (extra != 0 && glyphCount(pair, *m_font) != 2)
        return std::nullopt;
    return extra;
}

std::optional<std::int32_t> TExtentCache::step(std::size_t row, unsigned char c)
{
    std::int32_t& kept = m_steps[row * 256 + c];
    if (kept == kUnknown) {
        kept = kNoAdvance;
        if (m_advance[c] != kNoAdvance) {
            if (row == kFirstRow) {
                kept = m_advance[c];
            } else if (const std::optional<std::int32_t> extra =
                           pairExtra(static_cast<unsigned char>(row), c)) {
                kept = m_advance[c] + *extra;
            }
        }
    }
    if (kept == kNoAdvance)
        return std::nullopt;
    return kept;
}

std::optional<int> TExtentCache::addedWidth(std::string_view text)
{
    // A long text is measured in pieces, as it is drawn (ui/longtext.h).
    if (text.size() > static_cast<std::size_t>(kTextPiece))
        return std::nullopt;
    std::int64_t units = 0;
    std::size_t row = kFirstRow;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        // Steps known already are looked up here: a large design's first paint adds up millions.
        std::int32_t add = m_steps[row * 256 + c];
        if (add <= kUnknown) { // kUnknown or kNoAdvance
            const std::optional<std::int32_t> asked = step(row, c);
            if (!asked)
                return std::nullopt;
            add = *asked;
        }
        units += add;
        row = c;
    }
    // Rounded as the toolkit rounds a width: half a pixel up.
    return static_cast<int>((units + 32) >> 6);
}

TSize TExtentCache::extent(const std::string& text)
{
    if (m_addsUp) {
        if (const std::optional<int> width = addedWidth(text))
            return {*width, m_height};
    }
    if (const TSize* found = find(text))
        return *found;
    const TSize measuredExtent{textWidth(*m_metrics, fromCp1252(text)), m_height};
    insert(text, measuredExtent);
    return measuredExtent;
}

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
