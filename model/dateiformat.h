#pragma once

// The design file (.str): a pre-order serialisation of the element tree with no header. Every record is
// a tag (class letter and ':'), a text ended by 0x01, and the sequences the element owns, each closed by
// the end marker 0x02 0x02. Flags are not stored; reading derives them from each element's class and place.

#include "model/bytesink.h"
#include "model/designerror.h"
#include "model/fileio.h"
#include "model/struktteile.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// A byte stream over a design file's contents.
class TByteReader
{
public:
    explicit TByteReader(std::string_view data) : m_data(data) {}

    // Reads up to n bytes into `buffer` and returns how many it got (fewer at the end of the data).
    std::size_t read(char* buffer, std::size_t n);
    // Reads one text up to and including the terminator 0x01; 0x00 bytes are skipped.
    // Fails with "Stream-Lesefehler" when the data ends first.
    std::string ReadText();

    bool atEnd() const { return m_pos >= m_data.size(); }

private:
    std::string_view m_data;
    std::size_t m_pos = 0;
};

// The bytes of a design file being written, handed on to a sink.
class TByteWriter
{
public:
    explicit TByteWriter(TByteSink& out) : m_out(out) {}
    void write(std::string_view bytes) { m_out += bytes; }
    void write(char byte) { m_out += byte; }
    // A record head: the tag of `letter`, the text without any 0x01 byte (it cannot be stored), 0x01.
    void writeHead(char letter, const std::string& text);
    void writeEnd() { m_out += std::string_view("\x02\x02", 2); }

private:
    TByteSink& m_out;
};

// Reads a whole design from a file's bytes as the load command does: the first two bytes must be the
// root's tag "B:", the root is read as a TBlock with everything after it, and the root's Standalone and
// Braced are set to 0. Throws DesignError: NotADesign when the data does not begin with "B:",
// "Stream-Lesefehler" when it ends inside a text, the nesting message when blocks are nested deeper than
// kMaxNesting. Every element of the design knows its parent (TLoadedDesign in model/document.h).
std::unique_ptr<TBlock> loadDesign(std::string_view bytes);

// The bytes of a design file for `root` and its successors.
std::string saveDesign(const TBlock& root);
void saveDesign(TByteSink& out, const TBlock& root);

// Load and save of a design file, as the main window's commands do them (see fileio.h for the files).
// Reading a file that is no design, or one cut off inside a record, fails with NotADesign and the path.
std::unique_ptr<TBlock> readDesignFile(const std::string& path);
void writeDesignFile(const std::string& path, const TBlock& root);
