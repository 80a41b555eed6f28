#include "ui/painterscope.h"

#include <array>
#include <cstddef>

namespace {

// Painters given up half begun or half ended. They are kept where leak checkers see them (a few bytes
// each, and only after memory ran out inside the toolkit); the oldest place is reused after many.
std::array<QPainter*, 16> g_abandoned{};
std::size_t g_abandonedCount = 0;

void abandon(std::unique_ptr<QPainter>& painter) noexcept
{
    g_abandoned[g_abandonedCount++ % g_abandoned.size()] = painter.release();
}

} // namespace

TPainterScope::TPainterScope(QPaintDevice& device) : m_painter(std::make_unique<QPainter>())
{
    try {
        m_begun = m_painter->begin(&device);
    } catch (...) {
        // A begin cut short may have left the painter half begun, which its destructor would end.
        abandon(m_painter);
        throw;
    }
}

TPainterScope::~TPainterScope()
{
    if (m_ending) {
        // An end that threw may have left the painter half ended: its own destructor would end it again.
        abandon(m_painter);
        return;
    }
    if (!m_painter->isActive())
        return;
    try {
        m_painter->end();
    } catch (...) {
        // The scope is left by an exception already, or the caller has given up on the document.
        abandon(m_painter);
    }
}

bool TPainterScope::end()
{
    if (!m_begun || m_ending || m_ended)
        return false;
    m_ending = true;
    m_ended = true;
    const bool ended = m_painter->end();
    m_ending = false; // ended whole: the painter may be destroyed as any other
    return ended;
}
