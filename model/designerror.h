#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Why a command failed; each reason has one fixed German message (messageTemplate).
enum class ErrorReason : std::uint8_t {
    StreamRead,          // a read failed, or the data ended inside a record
    StreamWrite,         // a write failed
    CannotOpenFile,      // a file could not be opened for reading
    CannotCreateFile,    // a file could not be created for writing
    NotADesign,          // a file read as a design is none: not the root's tag first, or cut off
    TooDeeplyNested,     // a design nested deeper than kMaxNesting block levels
    UnknownOutputFormat, // a picture's file name has no known extension
    ImageTooLarge,       // a picture too large to be written
    TextTooLarge,        // a text too large for the clipboard
    OutOfMemory,         // memory ran out during a command
};

// The message of `reason` as code page 1252 bytes; "%s" in it stands for the file name.
const char* messageTemplate(ErrorReason reason);

// DesignError: a failure the user is told about: a platform stream or file error, or refused input.
// Control flow looks at reason(); what() is the message template. The file name is kept apart because it
// is in the platform's encoding, not in code page 1252; ui/ puts the two together for the user.
class DesignError : public std::runtime_error
{
public:
    explicit DesignError(ErrorReason reason, std::string fileName = {})
        : std::runtime_error(messageTemplate(reason)), m_reason(reason), m_fileName(std::move(fileName))
    {
    }
    ErrorReason reason() const { return m_reason; }
    const std::string& fileName() const { return m_fileName; }

private:
    ErrorReason m_reason;
    std::string m_fileName;
};
