#include "model/bytesink.h"

#include "model/designerror.h"

#include <algorithm>

void TByteSink::append(std::size_t count, char byte)
{
    while (count > 0) {
        const std::size_t part = std::min(count, kChunk);
        m_buffer.append(part, byte);
        count -= part;
        if (m_buffer.size() >= kChunk)
            flush();
    }
}

void TByteSink::flush()
{
    if (m_buffer.empty())
        return;
    deliver(m_buffer);
    m_delivered += m_buffer.size();
    m_buffer.clear();
}

void TByteSink::appendLarge(std::string_view bytes)
{
    flush();
    deliver(bytes);
    m_delivered += bytes.size();
}

std::string TStringSink::take()
{
    flush();
    return std::move(m_text);
}

void TStdioSink::deliver(std::string_view chunk)
{
    if (std::fwrite(chunk.data(), 1, chunk.size(), m_stream) != chunk.size())
        throw DesignError(ErrorReason::StreamWrite);
}

namespace {

// Counts what it is given and gives up beyond a limit.
class TCountingSink : public TByteSink
{
public:
    struct LimitExceeded
    {
    };
    explicit TCountingSink(std::uint64_t limit) : m_limit(limit) {}

protected:
    void deliver(std::string_view chunk) override
    {
        m_count += chunk.size();
        if (m_count > m_limit)
            throw LimitExceeded{};
    }

private:
    std::uint64_t m_limit;
    std::uint64_t m_count = 0;
};

} // namespace

std::optional<std::uint64_t> measuredSize(std::uint64_t limit, const std::function<void(TByteSink&)>& write)
{
    TCountingSink counter(limit);
    try {
        write(counter);
        counter.flush();
    } catch (const TCountingSink::LimitExceeded&) {
        return std::nullopt;
    }
    return counter.size();
}
