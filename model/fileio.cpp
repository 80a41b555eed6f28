#include "model/fileio.h"

#include "model/designerror.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <filesystem>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMaxFileSize = std::size_t(256) << 20;
// Symbolic links followed at most, as the kernel does before it reports a loop.
constexpr int kMaxLinks = 40;

// ---- reading ----

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

bool isRegularFile(const struct stat& info)
{
    return S_ISREG(info.st_mode);
}

} // namespace

std::string readWholeFile(const std::string& path)
{
    // Looked at before it is opened: opening a FIFO for reading waits for a writer, and opening a device
    // may do anything. O_NONBLOCK keeps the open from waiting should the name change in between.
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0 || !isRegularFile(info))
        throw DesignError(ErrorReason::CannotOpenFile, path);
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0)
        throw DesignError(ErrorReason::CannotOpenFile, path);
    if (::fstat(fd.get(), &info) != 0 || !isRegularFile(info))
        throw DesignError(ErrorReason::CannotOpenFile, path);
    // No design or source text is this large.
    if (static_cast<std::uint64_t>(info.st_size) > kMaxFileSize)
        throw DesignError(ErrorReason::StreamRead);

    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw DesignError(ErrorReason::StreamRead);
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > kMaxFileSize) // a file that grows while it is read
            throw DesignError(ErrorReason::StreamRead);
    }
    return bytes;
}

// ---- writing ----

namespace {

namespace fs = std::filesystem;

// The file that writing to `path` reaches: every symbolic link followed, also to a name that does not
// exist yet. Null when the links form a loop or cannot be read.
std::optional<fs::path> followLinks(const fs::path& path)
{
    fs::path current = path;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat info
        {
        };
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::string link(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t length = ::readlink(current.c_str(), link.data(), link.size());
        if (length < 0 || static_cast<std::size_t>(length) >= link.size())
            return std::nullopt;
        link.resize(static_cast<std::size_t>(length));
        // A relative link names a file in the link's own folder.
        current = fs::path(link).is_absolute() ? fs::path(link) : current.parent_path() / link;
    }
    return std::nullopt;
}

// "." + the target's name + ".XXXXXX" in the target's folder, the name shortened (at a character
// boundary of UTF-8) so that the whole stays within the longest name the folder's file system takes.
std::string temporaryTemplate(const fs::path& target)
{
    const fs::path folder = target.parent_path();
    long longest = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    if (longest <= 0)
        longest = NAME_MAX;
    constexpr std::size_t kAdded = 8; // "." and ".XXXXXX"
    std::string name = target.filename().string();
    const std::size_t room = static_cast<std::size_t>(longest) > kAdded + 1
                                 ? static_cast<std::size_t>(longest) - kAdded
                                 : std::size_t{1};
    if (name.size() > room) {
        std::size_t cut = room;
        while (cut > 1 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    return (folder / ("." + name + ".XXXXXX")).string();
}

// When this process began (as near as static initialisation comes to it): a temporary file changed
// before then belongs to a writer that is gone.
const std::time_t g_processStart = std::time(nullptr);

// The six characters mkstemp puts in place of "XXXXXX".
bool isTemporarySuffix(std::string_view suffix)
{
    if (suffix.size() != 6)
        return false;
    for (const char c : suffix) {
        const bool alphanumeric = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!alphanumeric)
            return false;
    }
    return true;
}

class Folder
{
public:
    explicit Folder(const char* path) : m_dir(::opendir(path)) {}
    ~Folder()
    {
        if (m_dir)
            ::closedir(m_dir);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    DIR* get() const { return m_dir; }

private:
    DIR* m_dir;
};

// Removes the folder entry `name` when it is a temporary file that an earlier writer left when it was
// killed or crashed: regular, the user's own, last changed before this process began, and not locked
// (every writer locks its temporary file while it lives). It is removed while it is locked here, so no
// writer can take it in between, and only while the name still names the file looked at.
void removeIfStale(int folderFd, const char* name)
{
    const FileDescriptor fd(
        ::openat(folderFd, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    struct stat info
    {
    };
    struct stat named
    {
    };
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !isRegularFile(info) || info.st_uid != ::geteuid() ||
        info.st_mtime >= g_processStart || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return;
    if (::fstatat(folderFd, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == info.st_dev &&
        named.st_ino == info.st_ino)
        ::unlinkat(folderFd, name, 0);
}

// Removes the stale temporary files of the target whose temporary files are named as `pattern`
// ("FOLDER/.NAME.XXXXXX"). Whatever cannot be looked at or removed stays; writing goes on regardless.
void removeStaleTemporaries(const fs::path& pattern)
{
    const fs::path folder = pattern.parent_path().empty() ? fs::path(".") : pattern.parent_path();
    const std::string filename = pattern.filename().string();
    const std::string_view prefix = std::string_view(filename).substr(0, filename.size() - 6);
    const Folder directory(folder.c_str());
    if (!directory.get())
        return;
    while (const dirent* entry = ::readdir(directory.get())) {
        const std::string_view name(entry->d_name);
        if (name.size() == filename.size() && name.substr(0, prefix.size()) == prefix &&
            isTemporarySuffix(name.substr(prefix.size())))
            removeIfStale(::dirfd(directory.get()), entry->d_name);
    }
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
    return true;
}

// The permission bits a plainly created file gets: 0666 without the process's umask.
mode_t creationMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

TSafeFileWriter::TSafeFileWriter(const std::string& path) : m_path(path)
{
    const std::optional<fs::path> target = followLinks(path);
    if (!target || target->filename().empty())
        throw DesignError(ErrorReason::CannotCreateFile, path);
    m_target = target->string();

    struct stat existing
    {
    };
    const bool exists = ::lstat(m_target.c_str(), &existing) == 0;
    // Only a regular file is replaced, and only one that a plain open for writing would write (the
    // effective user's rights, as the kernel checks them).
    if (exists &&
        (!isRegularFile(existing) || ::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0))
        throw DesignError(ErrorReason::CannotCreateFile, path);

    m_temporary = temporaryTemplate(*target);
    removeStaleTemporaries(m_temporary);
    m_fd = ::mkostemp(m_temporary.data(), O_CLOEXEC);
    if (m_fd < 0) {
        m_temporary.clear();
        throw DesignError(ErrorReason::CannotCreateFile, path);
    }
    // The lock tells a writer that cleans up after killed ones that this file is still being written; it
    // ends with the process, however that ends.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    // mkstemp creates the file for the owner only; a replaced file keeps its permissions (and, where the
    // user may set them, its owner and group), a new one gets what a plainly created file would get.
    if (exists) {
        if (::fchown(m_fd, existing.st_uid, existing.st_gid) != 0) {
            // Not the owner's to give: the file becomes the user's own, as when it is newly created.
        }
        ::fchmod(m_fd, existing.st_mode & 07777);
    } else {
        ::fchmod(m_fd, creationMode());
    }
}

TSafeFileWriter::~TSafeFileWriter()
{
    discard();
}

void TSafeFileWriter::discard() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

void TSafeFileWriter::deliver(std::string_view chunk)
{
    if (m_fd < 0 || !writeAll(m_fd, chunk))
        throw DesignError(ErrorReason::StreamWrite);
}

void TSafeFileWriter::commit()
{
    flush();
    const bool synced = ::fsync(m_fd) == 0;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!synced || !closed)
        throw DesignError(ErrorReason::StreamWrite);
    // The target may have changed while the file was written: still only a regular file is replaced.
    struct stat existing
    {
    };
    if (::lstat(m_target.c_str(), &existing) == 0 && !isRegularFile(existing))
        throw DesignError(ErrorReason::CannotCreateFile, m_path);
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        throw DesignError(ErrorReason::CannotCreateFile, m_path);
    m_temporary.clear();
}

void writeFileSafely(const std::string& path, std::string_view bytes)
{
    TSafeFileWriter file(path);
    file += bytes;
    file.commit();
}
