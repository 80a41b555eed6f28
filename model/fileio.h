#pragma once

// Reading and writing whole files as the commands do: only regular files are read, so that a FIFO or a
// device can neither block nor feed a reader forever; files are written through a temporary file that is
// renamed over the target, so that a failed write never destroys the file that was there, and only a
// regular file (or a new one) is ever replaced.

#include "model/bytesink.h"

#include <string>
#include <string_view>

// Reads the whole file at `path`. Throws DesignError "Datei %s kann nicht geoeffnet werden" (texts.h) when
// it cannot be opened or is no regular file (a folder, a FIFO, a device, a socket), "Stream-Lesefehler"
// when reading fails or the file holds more than 256 MiB.
std::string readWholeFile(const std::string& path);

// TSafeFileWriter: a file written as a stream without ever leaving a half-written file in place of the old
// one. The bytes go into a temporary file beside the target; commit() renames it over the target, and a
// writer that is destroyed without commit() removes it. A symbolic link is followed to the file it names,
// which is created if it does not exist (a dangling link), so that the link stays a link. Before it
// writes, a writer removes the temporary files that earlier writers of the same target left when they
// were killed or crashed (the same name pattern, changed before this process began, not locked: every
// writer holds a lock on its temporary file while it lives).
//
// Refused with "Datei %s kann nicht erstellt werden": a target that exists and is no regular file (a
// folder, a device, a FIFO, a socket), one the user may not write, and one in a folder where no file can
// be created. A failed write or sync throws "Stream-Schreibfehler". In every case the target stays as it
// was.
class TSafeFileWriter : public TByteSink
{
public:
    explicit TSafeFileWriter(const std::string& path);
    ~TSafeFileWriter() override;
    TSafeFileWriter(const TSafeFileWriter&) = delete;
    TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;

    // Writes what is buffered, syncs it and puts the file in place of the target.
    void commit();

    // The name of the temporary file (empty once committed).
    const std::string& temporaryName() const { return m_temporary; }

protected:
    void deliver(std::string_view chunk) override;

private:
    void discard() noexcept;

    std::string m_path;   // as the caller named it, for messages
    std::string m_target; // the file that is replaced, symbolic links followed
    std::string m_temporary;
    int m_fd = -1;
};

// Replaces the file at `path` by `bytes` through a TSafeFileWriter.
void writeFileSafely(const std::string& path, std::string_view bytes);
