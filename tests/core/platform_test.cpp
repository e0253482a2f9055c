// The platform layer, run on Linux and under Wine alike.
#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include "source/FileNames.h"
#include "source/TemporaryFile.h"
#include "source/WholeFile.h"

#include <algorithm>
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
    platform::Error error;
    File held = File::createHeld(path, error);
    ASSERT_TRUE(held.isOpen()) << error.text;
    File again = File::createHeld(path, error);
    EXPECT_FALSE(again.isOpen());
    EXPECT_EQ(error.problem, OpenProblem::Exists);

    // Written and closed through a duplicate, the file stays held by the first.
    File writer = held.duplicate();
    ASSERT_TRUE(writer.write("KOB", 3) && writer.sync()) << writer.error().text;
    writer.close();
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
    platform::Error error;
    // Another program (the game) reads the archive, sharing no deletion.
    std::FILE* game = std::fopen(archive.c_str(), "rb");
    ASSERT_NE(game, nullptr);
#ifdef _WIN32
    EXPECT_EQ(platform::renameOver(fresh, archive, error), platform::RenameResult::TargetBusy);
    EXPECT_EQ(readFile(archive), "old");
    EXPECT_EQ(readFile(fresh), "new");
    std::fclose(game); // Windows replaces it once it is closed
#endif
    ASSERT_EQ(platform::renameOver(fresh, archive, error), platform::RenameResult::Done) << error.text;
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
    platform::Error error;
    File file = File::openRead(path, error);
    ASSERT_TRUE(file.isOpen()) << error.text;
    std::string part(40000, '\0');
    EXPECT_TRUE(file.readAt(29999, part.data(), part.size()));
    EXPECT_EQ(part, bytes.substr(29999, part.size()));
    EXPECT_FALSE(file.readAt(69999, part.data(), 2)) << "past the end";
    EXPECT_EQ(file.info().size, 70000u);
    file.close();

    // Binary: a CR LF pair comes back as it was written; a patch lands where it is put.
    File out = File::openWrite(path, error);
    ASSERT_TRUE(out.write("a?\nb\n", 5) && out.seek(1) && out.write("\r", 1)) << out.error().text;
    ASSERT_TRUE(out.close());
    EXPECT_EQ(readFile(path), "a\r\nb\n") << "truncated, binary";
    EXPECT_EQ(platform::statPath(path).size, 5u);
}

TEST(Platform, OpensOnlyRegularFiles)
{
    TempDir dir;
    fs::create_directory(dir.path() / "folder");
    platform::Error error;
    EXPECT_FALSE(File::openRead(in(dir, "missing"), error).isOpen());
    EXPECT_EQ(error.problem, OpenProblem::Missing);
    EXPECT_FALSE(File::openRead(in(dir, "folder"), error).isOpen());
    EXPECT_EQ(error.problem, OpenProblem::NotRegular);
    EXPECT_FALSE(File::openWrite(in(dir, "folder"), error).isOpen());
#ifndef _WIN32
    // A named pipe without a writer would block a plain open for ever.
    ASSERT_EQ(::mkfifo(in(dir, "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(File::openRead(in(dir, "pipe"), error).isOpen());
    EXPECT_EQ(error.problem, OpenProblem::NotRegular);
    EXPECT_FALSE(File::openWrite(in(dir, "pipe"), error).isOpen());
    // Any open lets a writer waiting for a reader go: the pipe is refused
    // before it is opened.
    auto writer = std::async(std::launch::async, [&] { return ::open(in(dir, "pipe").c_str(), O_WRONLY); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(File::openRead(in(dir, "pipe"), error).isOpen());
    EXPECT_EQ(writer.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout) << "the pipe was opened";
    ::close(::open(in(dir, "pipe").c_str(), O_RDONLY | O_NONBLOCK));
    ::close(writer.get());
#endif
}

// A file renamed into place before its bytes reached the disk can come back
// empty after a power cut; a rename that did not happen is not lasting.
TEST(Platform, ATemporaryFileIsSyncedBeforeItIsRenamedAndGoneUnlessCommitted)
{
    TempDir dir;
    writeFile(dir.path() / "settings.txt", "old");
    Strings steps;
    const DurabilityTrace trace = [&](const char* step, const std::string&) { steps.push_back(step); };
    EXPECT_EQ(WriteWholeFile(in(dir, "settings.txt"), "new", 3, {}, trace), "");
    EXPECT_EQ(readFile(dir.path() / "settings.txt"), "new");
    EXPECT_EQ(steps, (Strings{"sync", "rename", "folder sync"}));
    EXPECT_NE(WriteWholeFile(in(dir, "missing/settings.txt"), "new", 3, {}, trace), "") << "no such folder";
    steps.clear();
    EXPECT_EQ(WriteWholeFile(in(dir, "checked.rec"), "new", 3, {.lasting = false}, trace), "");
    EXPECT_EQ(steps, (Strings{"rename"})) << "a file its reader checks whole is not made lasting";

    // A rename that fails (a folder that is not empty in the way) says no
    // folder sync, and leaves the file to be discarded.
    steps.clear();
    fs::create_directories(dir.path() / "taken" / "inside");
    {
        TemporaryFile temporary(trace);
        ASSERT_TRUE(temporary.create(in(dir, "taken.tmp-"))) << temporary.error().text;
        EXPECT_TRUE(temporary.file().write("x", 1) && temporary.sync());
        EXPECT_EQ(temporary.commit(in(dir, "taken")), platform::RenameResult::Failed);
        EXPECT_TRUE(fs::exists(temporary.path()));
    }
    EXPECT_EQ(steps, (Strings{"sync", "rename"}));
    Strings left;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (Strings{"checked.rec", "settings.txt", "taken"})) << "no temporary file left";
}

TEST(Platform, ExaminesAndListsFolders)
{
    TempDir dir;
    writeFile(dir.path() / "b.txt", "12345");
    writeFile(dir.path() / "A.txt", "");
    fs::create_directory(dir.path() / "sub");
    std::vector<platform::FolderEntry> entries;
    platform::Error error;
    const platform::FileInfo self = platform::statPath(dir.path().string());
    ASSERT_TRUE(platform::listFolder(dir.path().string(), entries, error, &self)) << error.text;
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
        File file;
        if (e.info.kind == Kind::Regular && (file = File::openRead(in(dir, e.name), error, &opened)).isOpen()) {
            if (opened.volume == 0) // Windows: the listing's answers it
                opened.volume = e.info.volume;
            EXPECT_EQ(stamp(e.info), stamp(opened));
            platform::FileInfo state = file.state();
            state.volume = opened.volume, state.index = opened.index;
            EXPECT_EQ(stamp(state), stamp(opened)) << "the look after a read sees what the open saw";
        } else {
            EXPECT_EQ(e.info.kind, Kind::Directory);
        }
    }

    // The look of another folder lends the entries no volume.
    platform::FileInfo other = self;
    other.volume += 1, other.index += 1;
    ASSERT_TRUE(platform::listFolder(dir.path().string(), entries, error, &other));
    for (const platform::FolderEntry& e : entries)
        EXPECT_EQ(e.info.volume, self.volume) << e.name;

    EXPECT_FALSE(platform::listFolder(in(dir, "missing"), entries, error));
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_FALSE(platform::statPath(in(dir, "missing")).exists());

    // Identity: the same file by two ways, another file apart.
    const std::string b = in(dir, "b.txt");
    File open = File::openRead(b, error);
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
        EXPECT_NE(windowsNameProblem(bad), "") << bad;
    for (const char* good : {"CONSOLE", "com0", "com10", "nul_x", ".hidden", "a.b", "\xe9t\xe9"})
        EXPECT_EQ(windowsNameProblem(good), "") << good;
}
