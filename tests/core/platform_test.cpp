// The platform layer, run on Linux and under Wine alike.
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include "source/WholeFile.h"

#include <cstring>
#include <future>
#include <set>
#include <thread>
#include <tuple>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace kobtest;
using platform::File;
using platform::Kind;
using platform::OpenProblem;

namespace {

std::string in(const TempDir& dir, const std::string& name)
{
    return (dir.path() / name).string();
}

} // namespace

TEST(Platform, HeldTemporaryFileIsSparedByTheCleanUpUntilReleased)
{
    TempDir dir;
    const std::string path = in(dir, "a.kob.tmp-XXXXXX");
    OpenProblem problem;
    std::string error;
    File held = File::createHeld(path, problem, error);
    ASSERT_TRUE(held.isOpen()) << error;
    File again = File::createHeld(path, problem, error);
    EXPECT_FALSE(again.isOpen());
    EXPECT_EQ(problem, OpenProblem::Exists);

    // The pack writes through a stream of a duplicate and keeps the first.
    std::FILE* stream = held.duplicate().toStream("wb");
    ASSERT_NE(stream, nullptr);
    std::fputs("KOB", stream);
    ASSERT_TRUE(platform::flushAndSync(stream, error)) << error;
    std::fclose(stream);
    EXPECT_EQ(platform::removeIfUnheld(path), platform::StaleResult::Held);
    EXPECT_TRUE(fs::exists(path));

    // Once released, the check of its first bytes decides.
    held.close();
    const auto beginsWith = [](const char* start) {
        return [start](File& file, const platform::FileInfo& info) {
            char first[3] = {};
            return info.size == 3 && file.read(first, 3) == 3 && std::memcmp(first, start, 3) == 0;
        };
    };
    EXPECT_EQ(platform::removeIfUnheld(path, beginsWith("XYZ")), platform::StaleResult::Kept);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(platform::removeIfUnheld(path, beginsWith("KOB")), platform::StaleResult::Removed);
    EXPECT_FALSE(fs::exists(path));
}

TEST(Platform, RenameOverReplacesTheArchive)
{
    TempDir dir;
    const std::string archive = in(dir, "a.kob"), fresh = in(dir, "a.kob.tmp-1");
    writeFile(archive, "old");
    writeFile(fresh, "new");
    std::string error;
    // Another program (the game) reads the archive, sharing no deletion.
    std::FILE* game = std::fopen(archive.c_str(), "rb");
    ASSERT_NE(game, nullptr);
#ifdef _WIN32
    EXPECT_EQ(platform::renameOver(fresh, archive, error), platform::RenameResult::TargetBusy);
    EXPECT_EQ(readFile(archive), "old");
    EXPECT_EQ(readFile(fresh), "new");
    std::fclose(game); // Windows replaces it once it is closed
#endif
    ASSERT_EQ(platform::renameOver(fresh, archive, error), platform::RenameResult::Done) << error;
#ifndef _WIN32
    std::fclose(game); // Linux replaces an open file
#endif
    EXPECT_EQ(readFile(archive), "new");
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(platform::renameOver(fresh, archive, error), platform::RenameResult::Failed);
}

TEST(Platform, ReadsAtAnOffsetAndKnowsTheSize)
{
    TempDir dir;
    const std::string path = in(dir, "data");
    const std::string bytes = noiseBytes(70000);
    writeFile(path, bytes);
    OpenProblem problem;
    std::string error;
    std::FILE* stream = File::openRead(path, problem, error).toStream("rb");
    ASSERT_NE(stream, nullptr) << error;
    std::string part(40000, '\0');
    EXPECT_TRUE(platform::readAt(stream, 29999, part.data(), part.size()));
    EXPECT_EQ(part, bytes.substr(29999, part.size()));
    EXPECT_FALSE(platform::readAt(stream, 69999, part.data(), 2)) << "past the end";
    EXPECT_EQ(platform::sizeOf(stream), 70000u);
    // Binary: a CR LF pair comes back as it was written.
    ASSERT_TRUE(platform::seekTo(stream, 0));
    std::fclose(stream);

    File out = File::openWrite(path, problem, error);
    ASSERT_TRUE(out.write("a\r\nb\n", 5)) << out.error();
    ASSERT_TRUE(out.close());
    EXPECT_EQ(readFile(path), "a\r\nb\n") << "truncated, binary";
    EXPECT_EQ(platform::statPath(path).size, 5u);
}

TEST(Platform, OpensOnlyRegularFiles)
{
    TempDir dir;
    fs::create_directory(dir.path() / "folder");
    OpenProblem problem;
    std::string error;
    EXPECT_FALSE(File::openRead(in(dir, "missing"), problem, error).isOpen());
    EXPECT_EQ(problem, OpenProblem::Missing);
    EXPECT_FALSE(File::openRead(in(dir, "folder"), problem, error).isOpen());
    EXPECT_EQ(problem, OpenProblem::NotRegular);
    EXPECT_FALSE(File::openWrite(in(dir, "folder"), problem, error).isOpen());
#ifndef _WIN32
    // A named pipe without a writer would block a plain open for ever.
    ASSERT_EQ(::mkfifo(in(dir, "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(File::openRead(in(dir, "pipe"), problem, error).isOpen());
    EXPECT_EQ(problem, OpenProblem::NotRegular);
    EXPECT_FALSE(File::openWrite(in(dir, "pipe"), problem, error).isOpen());
    // Any open lets a writer waiting for a reader go: the pipe is refused
    // before it is opened.
    auto writer = std::async(std::launch::async, [&] { return ::open(in(dir, "pipe").c_str(), O_WRONLY); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(File::openRead(in(dir, "pipe"), problem, error).isOpen());
    EXPECT_EQ(writer.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout) << "the pipe was opened";
    ::close(::open(in(dir, "pipe").c_str(), O_RDONLY | O_NONBLOCK));
    ::close(writer.get());
#endif
}

// A file renamed into place before its bytes reached the disk can come back
// empty after a power cut.
TEST(Platform, AWholeFileIsSyncedBeforeItIsRenamedIntoPlace)
{
    TempDir dir;
    writeFile(dir.path() / "settings.txt", "old");
    static Strings steps;
    platform::SetDurabilityTrace([](const char* step, const std::string&) { steps.push_back(step); });
    const std::string written = WriteWholeFile(in(dir, "settings.txt"), "new", 3);
    const std::string refused = WriteWholeFile(in(dir, "missing/settings.txt"), "new", 3);
    platform::SetDurabilityTrace(nullptr);
    EXPECT_EQ(written, "");
    EXPECT_EQ(readFile(dir.path() / "settings.txt"), "new");
    EXPECT_EQ(steps, (Strings{"sync", "rename", "folder sync"}));
    EXPECT_NE(refused, "") << "a folder that is not there";
    Strings left;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, Strings{"settings.txt"}) << "no temporary file left";
}

TEST(Platform, ExaminesAndListsFolders)
{
    TempDir dir;
    writeFile(dir.path() / "b.txt", "12345");
    writeFile(dir.path() / "A.txt", "");
    fs::create_directory(dir.path() / "sub");
    std::vector<platform::FolderEntry> entries;
    std::string error;
    int code = 0;
    ASSERT_TRUE(platform::listFolder(dir.path().string(), entries, error, code)) << error;
    std::set<std::string> seen;
    for (const platform::FolderEntry& e : entries)
        seen.insert(e.name + ":" + std::to_string(int(e.info.kind)) + ":" + std::to_string(e.info.size));
    EXPECT_EQ(seen, (std::set<std::string>{"A.txt:1:0", "b.txt:1:5", "sub:2:0"}));
    // What the listing says of an entry is what examining it says, and of a
    // file what opening it says: a repack takes the one for the other.
    const auto stamp = [](const platform::FileInfo& i) {
        return std::tuple(int(i.kind), i.size, i.volume, i.index, i.modified, i.changed);
    };
    for (const platform::FolderEntry& e : entries) {
        SCOPED_TRACE(e.name);
        EXPECT_TRUE(e.info.index != 0 && e.info.changed != 0);
        EXPECT_EQ(stamp(e.info), stamp(platform::statPath(in(dir, e.name))));
        platform::FileInfo opened;
        OpenProblem problem;
        File file;
        if (e.info.kind == Kind::Regular && (file = File::openRead(in(dir, e.name), problem, error, &opened)).isOpen()) {
            EXPECT_EQ(stamp(e.info), stamp(opened));
            platform::FileInfo state = file.state();
            state.volume = opened.volume, state.index = opened.index;
            EXPECT_EQ(stamp(state), stamp(opened)) << "the look after a read sees what the open saw";
        } else {
            EXPECT_EQ(e.info.kind, Kind::Directory);
        }
    }

    EXPECT_FALSE(platform::listFolder(in(dir, "missing"), entries, error, code));
    EXPECT_EQ(code, ENOENT);
    EXPECT_FALSE(platform::statPath(in(dir, "missing")).exists());

    // Identity: the same file by two ways, another file apart.
    const std::string b = in(dir, "b.txt");
    OpenProblem problem;
    File open = File::openRead(b, problem, error);
    EXPECT_TRUE(open.info().sameFile(platform::statPath(b)));
    EXPECT_FALSE(open.info().sameFile(platform::statPath(in(dir, "A.txt"))));
    EXPECT_EQ(platform::statPath(in(dir, "sub")).kind, Kind::Directory);
#ifndef _WIN32
    fs::create_symlink("nowhere", dir.path() / "dangling");
    EXPECT_EQ(platform::statPath(in(dir, "dangling")).kind, Kind::Missing);
    EXPECT_EQ(platform::statPath(in(dir, "dangling"), false).kind, Kind::Link);
#endif
    const auto free = platform::freeSpace(dir.path().string());
    ASSERT_TRUE(free.has_value());
    EXPECT_GT(*free, 0u);
    EXPECT_FALSE(platform::freeSpace(in(dir, "missing")).has_value());
}

TEST(Platform, NamesWindowsCannotHold)
{
    for (const char* bad : {"CON", "nul.txt", "Com1", "lpt9.tar.gz", "aux ", "a:b", "a<b", "a>b", "a\"b", "a|b",
                            "a?", "a*", "tab\t", "dot.", "space "})
        EXPECT_NE(platform::windowsNameProblem(bad), "") << bad;
    for (const char* good : {"CONSOLE", "com0", "com10", "nul_x", ".hidden", "a.b", "\xe9t\xe9"})
        EXPECT_EQ(platform::windowsNameProblem(good), "") << good;
}
