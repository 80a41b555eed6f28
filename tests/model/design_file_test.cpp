// The design file: exact bytes, round trips, damaged and hostile input, crash-safe writing.

#include "model/dateiformat.h"
#include "model/dump.h"
#include "model/struktteile.h"
#include "model/texts.h"
#include "tests/support/designs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>

#include <csignal>
#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::string_literals;

const std::string kWorkedExample = "B:gesamtes Programm\x01"
                                   "A:Anweisung\x01"
                                   "I:???\x01"
                                   "B:Ja-Block\x01"
                                   "A:Anweisung\x01\x02\x02\x02\x02"
                                   "B:Nein-Block\x01\x02\x02\x02\x02"
                                   "\x02\x02"s;

const std::string kWorkedExampleDump = "B s=0 b=0 \"gesamtes Programm\"\n"
                                       "  A s=1 \"Anweisung\"\n"
                                       "  I s=1 \"???\"\n"
                                       "    B s=0 b=1 \"Ja-Block\"\n"
                                       "      A s=1 \"Anweisung\"\n"
                                       "    B s=0 b=1 \"Nein-Block\"\n";

// Loads, or gives the error message.
std::string dumpOrError(const std::string& bytes)
{
    try {
        return dumpTree(*loadDesign(bytes));
    } catch (const DesignError& error) {
        switch (error.reason()) {
        case ErrorReason::TooDeeplyNested:
            return "error: too deep";
        case ErrorReason::NotADesign:
            return "error: not a design";
        default:
            return "error: read";
        }
    }
}

TEST(DesignFileTest, WorkedExampleByteForByte)
{
    ASSERT_EQ(kWorkedExample.size(), 84u);
    // Built as the editor builds it: a statement, after it a decision, a statement in the yes branch.
    auto root = makeRoot();
    auto decision = TIf::Create("???");
    decision->branch(1)->InsertAfter(TAnweisung::Create("Anweisung"));
    root->InsertAfter(std::move(decision));
    root->InsertAfter(TAnweisung::Create("Anweisung"));
    EXPECT_EQ(saveDesign(*root), kWorkedExample);
    EXPECT_EQ(dumpTree(*loadDesign(kWorkedExample)), kWorkedExampleDump);

    const std::string empty = "B:gesamtes Programm\x01\x02\x02"s;
    ASSERT_EQ(empty.size(), 22u);
    EXPECT_EQ(saveDesign(*makeRoot()), empty);
    EXPECT_EQ(dumpTree(*loadDesign(empty)), "B s=0 b=0 \"gesamtes Programm\"\n");
}

TEST(DesignFileTest, GeneratedDesignsRoundTrip)
{
    std::mt19937 rng(1234);
    for (int round = 0; round < 300; ++round) {
        GeneratorOptions options;
        options.maxDepth = 1 + round % 6;
        auto design = generateDesign(rng, options);
        const std::string bytes = saveDesign(*design);
        auto loaded = loadDesign(bytes);
        ASSERT_EQ(dumpTree(*loaded), dumpTree(*design)) << "round " << round;
        ASSERT_EQ(checkInvariants(*loaded), "") << "round " << round;
        ASSERT_EQ(saveDesign(*loaded), bytes) << "round " << round;
    }
}

TEST(DesignFileTest, TextsAreKeptWholeAndTerminatorsLeftOut)
{
    auto root = makeRoot();
    const std::string longText(5000, 'x');
    root->InsertAfter(TAnweisung::Create("a\x01"
                                         "b"));
    root->InsertAfter(TAnweisung::Create(longText));
    root->InsertAfter(TAnweisung::Create("\x80\xe4\xff\x7f"));
    auto loaded = loadDesign(saveDesign(*root));
    ASSERT_NE(loaded->FirstChild, nullptr);
    EXPECT_EQ(loaded->FirstChild->Text, "\x80\xe4\xff\x7f");
    EXPECT_EQ(loaded->FirstChild->Next->Text, longText);
    EXPECT_EQ(loaded->FirstChild->Next->Next->Text, "ab");
}

TEST(DesignFileTest, ReadingQuirks)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        std::string dump;
    };
    const std::string root = "B s=0 b=0 \"r\"\n";
    const Case cases[] = {
        {"zero bytes in texts are skipped",
         "B:r\x01"
         "A:a\x00"
         "b\x00\x01\x02\x02"s,
         root + "  A s=1 \"ab\"\n"},
        {"second tag byte is not looked at",
         "B:r\x01"
         "Axa\x01\x02?"s,
         root + "  A s=1 \"a\"\n"},
        {"a root tag other than the block's is no design", "zzr\x01\x02\x02"s, "error: not a design"},
        {"nor is a block's tag without its colon", "Bzr\x01\x02\x02"s, "error: not a design"},
        {"unknown tag ends the sequence",
         "B:r\x01"
         "A:a\x01"
         "X:b\x01\x02\x02"s,
         root + "  A s=1 \"a\"\n"},
        {"branch tags may hold anything",
         "B:r\x01I:c\x01??y\x01\x02\x02\x02\x02!!n\x01\x02\x02\x02\x02\x02\x02"s,
         root + "  I s=1 \"c\"\n    B s=0 b=1 \"y\"\n    B s=0 b=1 \"n\"\n"},
        {"file ends right after the root text", "B:r\x01"s, root},
        {"end marker after the root adds nothing", "B:r\x01\x02\x02\x02\x02"s, root},
        {"unknown byte after the root adds nothing", "B:r\x01\x02\x02?"s, root},
        {"record after the root becomes its successor",
         "B:r\x01\x02\x02"
         "A:s\x01"s,
         root + "A s=1 \"s\"\n"},
        {"repeat loop",
         "B:r\x01R:f\x01"
         "B:b\x01\x02\x02\x02\x02\x02\x02"s,
         root + "  R s=1 y=0 \"f\"\n    B s=0 b=0 \"b\"\n"},
        {"do-while loop",
         "B:r\x01"
         "D:f\x01"
         "B:b\x01\x02\x02\x02\x02\x02\x02"s,
         root + "  D s=1 y=1 \"f\"\n    B s=0 b=1 \"b\"\n"},
        {"record after a branch block becomes its successor",
         "B:r\x01W:w\x01"
         "B:b\x01\x02\x02"
         "A:x\x01\x02\x02\x02\x02"s,
         root + "  W s=1 \"w\"\n    B s=0 b=1 \"b\"\n    A s=1 \"x\"\n"},
        {"empty file", "", "error: not a design"},
        {"one byte", "B", "error: not a design"},
        {"cut in the root text", "B:gesamt", "error: read"},
        {"cut in a later text",
         "B:r\x01"
         "A:Anw"s,
         "error: read"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dumpOrError(c.bytes), c.dump) << c.name;
}

TEST(DesignFileTest, EveryTruncationLoadsASmallerDesignOrFailsCleanly)
{
    for (std::size_t length = 0; length < kWorkedExample.size(); ++length) {
        const std::string result = dumpOrError(kWorkedExample.substr(0, length));
        if (result.rfind("error: ", 0) == 0) {
            EXPECT_EQ(result, length < 2 ? "error: not a design" : "error: read") << length;
            continue;
        }
        // A design cut at a record boundary is a prefix of the whole one in pre-order.
        auto loaded = loadDesign(kWorkedExample.substr(0, length));
        EXPECT_LE(countElements(*loaded), 6) << length;
        EXPECT_EQ(loaded->Text, "gesamtes Programm") << length;
    }
    // Cut after the first statement: the rest of the sequence is missing, without a message.
    EXPECT_EQ(dumpOrError(kWorkedExample.substr(0, 32)),
              "B s=0 b=0 \"gesamtes Programm\"\n  A s=1 \"Anweisung\"\n");
    // Cut inside the no branch's record: its text is incomplete, so the whole load fails.
    EXPECT_EQ(dumpOrError(kWorkedExample.substr(0, 65)), "error: read");
}

// Nesting: "B:x" + 0x01 repeated opens one named block level each time.
std::string nestedBlocks(int levels)
{
    std::string bytes = "B:r\x01"s;
    for (int i = 1; i < levels; ++i)
        bytes += "B:x\x01"s;
    return bytes; // the end of the file closes every level
}

TEST(DesignFileTest, DeepNestingIsRefusedWithAMessage)
{
    EXPECT_NO_THROW(loadDesign(nestedBlocks(kMaxNesting)));
    EXPECT_EQ(dumpOrError(nestedBlocks(kMaxNesting + 1)), "error: too deep");
    EXPECT_EQ(dumpOrError(nestedBlocks(200000)), "error: too deep");

    // Branch blocks count as levels too.
    std::string loops = "B:r\x01"s;
    for (int i = 0; i < 5000; ++i)
        loops += "W:c\x01"
                 "B:b\x01"s;
    EXPECT_EQ(dumpOrError(loops), "error: too deep");
}

TEST(DesignFileTest, MillionStatementsLoadSaveAndDump)
{
    std::string bytes = "B:r\x01"s;
    for (int i = 0; i < 1000000; ++i)
        bytes += "A:s\x01"s;
    bytes += "\x02\x02"s;
    auto root = loadDesign(bytes);
    EXPECT_EQ(countElements(*root), 1000001);
    EXPECT_EQ(saveDesign(*root), bytes);
    EXPECT_EQ(dumpTree(*root).size(), 14u + 1000000u * 12u);
}

class DesignFileOnDiskTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("designfile-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override
    {
        std::filesystem::permissions(m_dir, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(m_dir);
    }
    std::string path(const char* name) const { return (m_dir / name).string(); }

    std::filesystem::path m_dir;
};

TEST_F(DesignFileOnDiskTest, WriteThenReadAndMessagesNameTheFile)
{
    auto root = loadDesign(kWorkedExample);
    writeDesignFile(path("a.str"), *root);
    EXPECT_EQ(readWholeFile(path("a.str")), kWorkedExample);
    EXPECT_EQ(dumpTree(*readDesignFile(path("a.str"))), kWorkedExampleDump);

    try {
        readDesignFile(path("missing.str"));
        FAIL() << "no error";
    } catch (const DesignError& error) {
        EXPECT_EQ(error.reason(), ErrorReason::CannotOpenFile);
        EXPECT_EQ(error.fileName(), path("missing.str"));
    }
    EXPECT_THROW(readDesignFile(m_dir.string()), DesignError); // a folder is no design file
    try {
        writeDesignFile(path("no/such/folder.str"), *root);
        FAIL() << "no error";
    } catch (const DesignError& error) {
        EXPECT_EQ(error.reason(), ErrorReason::CannotCreateFile);
    }
}

// Found by opening the wrong file: a picture or a PDF loaded as a garbage tree, a text file failed with
// a bare stream message. Whatever does not begin with the root's tag, or ends inside a record, is refused
// naming the file; designs as the editor writes them still load.
TEST_F(DesignFileOnDiskTest, FilesThatAreNoDesignAreRefusedNamingTheFile)
{
    const std::pair<const char*, std::string> others[] = {
        {"bild.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0"s},
        {"blatt.pdf", "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<< /Type /Catalog >>\nendobj\n"s},
        {"notiz.txt", "Bitte bis Montag abgeben.\nB: Aufgabe 2\n"s},
        {"leer.str", ""s},
        {"abgebrochen.str", "B:gesamtes Programm\x01"
                            "A:abgebr"s},
    };
    for (const auto& [name, bytes] : others) {
        std::ofstream(path(name), std::ios::binary) << bytes;
        try {
            readDesignFile(path(name));
            ADD_FAILURE() << name << " loaded";
        } catch (const DesignError& error) {
            EXPECT_EQ(error.reason(), ErrorReason::NotADesign) << name;
            EXPECT_EQ(error.fileName(), path(name)) << name;
        }
    }
    EXPECT_STREQ(messageTemplate(ErrorReason::NotADesign), "Datei \x84%s\x93 ist kein Struktogramm.");

    // Designs as the editor writes them: every kind of element, odd texts, nesting.
    std::mt19937 rng(21);
    for (int i = 0; i < 50; ++i) {
        const std::unique_ptr<TBlock> design = generateDesign(rng);
        writeDesignFile(path("d.str"), *design);
        EXPECT_EQ(dumpTree(*readDesignFile(path("d.str"))), dumpTree(*design)) << i;
    }
    writeDesignFile(path("neu.str"), *makeRoot());
    EXPECT_EQ(dumpTree(*readDesignFile(path("neu.str"))), dumpTree(*makeRoot()));
}

std::optional<ErrorReason> failureOf(const std::function<void()>& command)
{
    try {
        command();
    } catch (const DesignError& error) {
        return error.reason();
    }
    return std::nullopt;
}

TEST(DesignFileDeviceTest, EndlessDeviceIsRefusedInsteadOfReadForever)
{
    if (!std::filesystem::exists("/dev/zero"))
        GTEST_SKIP();
    EXPECT_EQ(failureOf([] { readDesignFile("/dev/zero"); }), ErrorReason::CannotOpenFile);
}

// Nothing but a regular file is read (a FIFO would block the open until a writer comes) or replaced (a
// device node or a FIFO stays what it is, and nothing is written into it).
TEST_F(DesignFileOnDiskTest, OnlyRegularFilesAreReadOrReplaced)
{
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    const auto root = loadDesign(kWorkedExample);
    for (const std::string& special : {path("fifo"), "/dev/null"s}) {
        const auto type = std::filesystem::status(special).type();
        EXPECT_EQ(failureOf([&] { readWholeFile(special); }), ErrorReason::CannotOpenFile) << special;
        EXPECT_EQ(failureOf([&] { writeDesignFile(special, *root); }), ErrorReason::CannotCreateFile)
            << special;
        EXPECT_EQ(std::filesystem::status(special).type(), type) << special;
    }
}

// A dangling link creates the file it names; a name as long as the file system allows is written
// although the temporary file's name is longer; a stream that is not committed leaves nothing behind.
TEST_F(DesignFileOnDiskTest, DanglingLinksLongNamesAndUnfinishedStreams)
{
    std::filesystem::create_symlink("new.str", path("link.str"));
    writeDesignFile(path("link.str"), *loadDesign(kWorkedExample));
    EXPECT_TRUE(std::filesystem::is_symlink(path("link.str")));
    EXPECT_EQ(readWholeFile(path("new.str")), kWorkedExample);

    const std::string longest = path("") + std::string(255 - 4, 'x') + ".str";
    writeFileSafely(longest, "long");
    EXPECT_EQ(readWholeFile(longest), "long");
    {
        TSafeFileWriter unfinished(longest);
        unfinished += std::string(3 * TByteSink::kChunk, 'y');
        unfinished.flush();
        EXPECT_TRUE(std::filesystem::exists(unfinished.temporaryName()));
    }
    EXPECT_EQ(readWholeFile(longest), "long");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), {}), 3);
}

// What a writer killed or crashed left beside its target is removed by the next writer of that target:
// only its own temporary files (the target's name, six characters), only regular files changed before
// the process began, and none that a live writer holds locked.
TEST_F(DesignFileOnDiskTest, TheNextWriterRemovesStaleTemporaryFilesOfItsTarget)
{
    const auto create = [this](const char* name, bool old) {
        std::ofstream(path(name), std::ios::binary) << "left";
        if (old) {
            const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 3600, 0}};
            ::utimensat(AT_FDCWD, path(name).c_str(), times, 0);
        }
    };
    create(".a.str.Ab3xYz", true);  // stale
    create(".a.str.k9QmW2", true);  // stale
    create(".a.str.Fresh1", false); // being written since this process began
    create(".a.str.Lockd1", true);  // held by a live writer
    create(".a.str.toolong", true); // not a temporary name of the target
    create(".a.str.ab-cd1", true);  // nor is this
    create(".b.str.Ab3xYz", true);  // another target's
    create("a.str.Ab3xYz", true);   // no leading dot
    std::filesystem::create_directory(path(".a.str.Folder"));
    const int held = ::open(path(".a.str.Lockd1").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    writeFileSafely(path("a.str"), "new");
    ::close(held);

    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left,
              (std::set<std::string>{"a.str", ".a.str.Fresh1", ".a.str.Lockd1", ".a.str.toolong",
                                     ".a.str.ab-cd1", ".b.str.Ab3xYz", "a.str.Ab3xYz", ".a.str.Folder"}));
    EXPECT_EQ(readWholeFile(path("a.str")), "new");
}

// A file without write permission is refused as a plain open for writing would refuse it, for a user
// other than root (who may write it, as a plain open would).
TEST_F(DesignFileOnDiskTest, WriteProtectedFileIsRefusedForAnOrdinaryUser)
{
    std::ofstream(path("locked.str"), std::ios::binary) << "old";
    ::chmod(path("locked.str").c_str(), 0444);
    const auto attempt = [this] { return failureOf([this] { writeFileSafely(path("locked.str"), "new"); }); };
    if (::geteuid() != 0) {
        EXPECT_EQ(attempt(), ErrorReason::CannotCreateFile);
    } else {
        // The same attempt as the user "nobody", in a folder that user may write to.
        ::chmod(m_dir.c_str(), 0777);
        const pid_t child = ::fork();
        if (child == 0) {
            const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
            ::_exit(dropped && attempt() == ErrorReason::CannotCreateFile ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_EQ(attempt(), std::nullopt); // root writes it
        EXPECT_EQ(readWholeFile(path("locked.str")), "new");
        return;
    }
    EXPECT_EQ(readWholeFile(path("locked.str")), "old");
}

TEST_F(DesignFileOnDiskTest, ReplacingKeepsPermissionsAndLinksAndLeavesNoTemporaryFile)
{
    std::ofstream(path("target.str"), std::ios::binary) << "old";
    ::chmod(path("target.str").c_str(), 0640);
    std::filesystem::create_symlink(path("target.str"), path("link.str"));
    writeDesignFile(path("link.str"), *loadDesign(kWorkedExample));
    EXPECT_TRUE(std::filesystem::is_symlink(path("link.str")));
    EXPECT_EQ(readWholeFile(path("target.str")), kWorkedExample);
    struct stat info
    {
    };
    ASSERT_EQ(::stat(path("target.str").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir))
        ++files;
    EXPECT_EQ(files, 2);
}

TEST_F(DesignFileOnDiskTest, WriteErrorKeepsTheOldFileAndLeavesNoTemporaryFile)
{
    // A file size limit makes the write itself fail (EFBIG), as a full disk would.
    std::ofstream(path("keep.str"), std::ios::binary) << "old contents";
    auto root = makeRoot();
    for (int i = 0; i < 1000; ++i)
        root->InsertAfter(TAnweisung::Create("statement"));
    struct rlimit saved
    {
    };
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 1024;
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::optional<ErrorReason> reason;
    try {
        writeDesignFile(path("keep.str"), *root);
    } catch (const DesignError& error) {
        reason = error.reason();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(reason, ErrorReason::StreamWrite);
    EXPECT_EQ(readWholeFile(path("keep.str")), "old contents");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir))
        ++files;
    EXPECT_EQ(files, 1);
}

} // namespace
