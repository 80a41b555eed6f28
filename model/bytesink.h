#pragma once

// Outputs that are written piece by piece. The Java export and the tree dump grow with nesting times
// elements (every line carries its indentation), so a small design can give gigabytes of text: they go to
// a sink that hands the bytes on in chunks (to a file, to standard output, into a string, or only counts
// them) instead of being built as one string.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class TElement;

// TByteSink: gathers appended bytes in a small buffer and hands them on in chunks.
class TByteSink
{
public:
    // The size of the chunks handed on.
    static constexpr std::size_t kChunk = std::size_t{1} << 16;

    virtual ~TByteSink() = default;

    TByteSink& operator+=(std::string_view bytes)
    {
        if (bytes.size() >= kChunk) {
            appendLarge(bytes);
            return *this;
        }
        m_buffer.append(bytes);
        if (m_buffer.size() >= kChunk)
            flush();
        return *this;
    }
    TByteSink& operator+=(char byte)
    {
        m_buffer.push_back(byte);
        if (m_buffer.size() >= kChunk)
            flush();
        return *this;
    }
    // Appends `count` copies of `byte`.
    void append(std::size_t count, char byte);
    // Hands on what is buffered. Call it when the output is complete.
    void flush();
    // Bytes appended so far, handed on or not.
    std::uint64_t size() const { return m_delivered + m_buffer.size(); }

    // Told by an export that the bytes from `start` up to size() are `element`'s (with everything inside
    // it), just after it wrote them. Most sinks do not care.
    virtual void elementWritten(const void* element, std::uint64_t start)
    {
        (void)element;
        (void)start;
    }

    // Told by an export before it writes `element`, which stands in a sequence (first, or after the element
    // just written) at the indentation `indent`; answers the element to write next. A sink that knows what
    // elements write without seeing it (a view that makes only the part of a text in sight) may take some
    // of them as written (skipped) and answer a later element of the same sequence, or null for none
    // more. Most sinks write every element.
    virtual const TElement* elementStarts(const TElement* element, const std::string& indent)
    {
        (void)indent;
        return element;
    }

protected:
    // Receives the next chunk; throws DesignError when it cannot take it.
    virtual void deliver(std::string_view chunk) = 0;
    // Counts `count` bytes as appended without handing them on (what is buffered is handed on first).
    void skipped(std::uint64_t count)
    {
        flush();
        m_delivered += count;
    }

private:
    // Hands on a piece of at least a chunk directly, without copying it into the buffer.
    void appendLarge(std::string_view bytes);

    std::string m_buffer;
    std::uint64_t m_delivered = 0;
};

// TStringSink: collects everything in a string, for outputs known to be small (or already measured).
class TStringSink : public TByteSink
{
public:
    // Reserves room for `expected` bytes, so that the string does not grow by doubling.
    explicit TStringSink(std::size_t expected = 0) { m_text.reserve(expected); }
    // The text, after flush().
    std::string take();

protected:
    void deliver(std::string_view chunk) override { m_text.append(chunk); }

private:
    std::string m_text;
};

// TStdioSink: writes to a C stream such as standard output; a failed write throws "Stream-Schreibfehler".
class TStdioSink : public TByteSink
{
public:
    explicit TStdioSink(std::FILE* stream) : m_stream(stream) {}

protected:
    void deliver(std::string_view chunk) override;

private:
    std::FILE* m_stream;
};

// The number of bytes `write` appends to the sink it is given, measured without keeping them; nothing
// when it would be more than `limit` (the measuring stops there).
std::optional<std::uint64_t> measuredSize(std::uint64_t limit, const std::function<void(TByteSink&)>& write);
