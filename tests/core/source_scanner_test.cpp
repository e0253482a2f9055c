// The directory listing layer, the case-insensitive path helper and the
// source tree scanner, on real temporary folders.

#include "pack/SourceScanner.h"
#include "source/DirListing.h"
#include "source/PathNoCase.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

struct Scan {
    Strings names, out;
    uint64_t total = 0;
    uint32_t leftOut = 0;
};

Scan scan(const std::string& path)
{
    NamePool pool;
    RecordingObserver observer;
    SourceScan source{pool, observer, {}, std::nullopt};
    scanSourceTree(path.c_str(), source);
    Scan result;
    result.out = observer.out;
    for (uint32_t i = 0; i < pool.count(); ++i)
        result.names.push_back(pool.nameAt(i));
    result.total = source.totalBytes;
    result.leftOut = source.leftOut;
    return result;
}

} // namespace

TEST(DirListing, FixedOrderWithLettersFoldedToUpperCase)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs a file system that tells names apart by case";
#endif
    TempDir dir;
    for (const char* name : {"_x.txt", "c.txt", "B.txt", "a.txt", ".hidden", "b.txt"})
        writeFile(dir.path() / name, "");
    fs::create_directory(dir.path() / "Sub");
    const auto entries = listDirectory(dir.path().string());
    ASSERT_TRUE(entries);
    Strings names; // a folder marked "/"
    for (const ListingEntry& entry : *entries)
        names.push_back(entry.name + (entry.isDirectory() ? "/" : ""));
    // "_" sorts after "Z"; "B.txt" and "b.txt" tie and the raw bytes decide.
    EXPECT_EQ(names, (Strings{".hidden", "a.txt", "B.txt", "b.txt", "c.txt", "Sub/", "_x.txt"}));
    EXPECT_FALSE(listDirectory((dir.path() / "missing").string()));
}

TEST(PathNoCase, ResolvesEachComponentIgnoringCase)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs a file system that tells names apart by case";
#endif
    ModTree mod;
    mod.folder("KelVane/Game");
    mod.folder("objects");
    EXPECT_EQ(resolveNoCase("../kelvane/game"), "../KelVane/Game");
    EXPECT_EQ(resolveNoCase("..\\KELVANE\\game"), "../KelVane/Game");
    EXPECT_EQ(resolveNoCase("../objects"), "../objects") << "an exact match wins";
    EXPECT_EQ(resolveNoCase("../kelvane/missing/x.kob"), "../KelVane/missing/x.kob") << "the rest stays as written";
    EXPECT_EQ(resolveNoCase((mod.root() / "KELVANE").string()), (mod.root() / "KelVane").string());
}

// Folders whose names begin with ".." are passed over; other hidden ones are packed.
TEST(SourceScanner, FilesBeforeSubfoldersWithForwardSlashesAndDotFolders)
{
    ModTree mod;
    mod.file("data/z.txt", "zz");
    mod.file("data/a/b.txt", std::string(1048576, 'b'));
    mod.file("data/a/c/d.txt", "");
    mod.file("data/.hidden", "h");
    mod.file("data/.x/in.txt", "i");
    mod.file("data/..x/never.txt", "n");
    const Scan data = scan("../data");
    EXPECT_EQ(data.names, (Strings{"../data/.hidden", "../data/z.txt", "../data/.x/in.txt", "../data/a/b.txt", "../data/a/c/d.txt"}));
    EXPECT_EQ(data.total, 1048580u) << "every file's size counts";
    const Scan missing = scan("../missing");
    EXPECT_TRUE(missing.names.empty() && missing.out.empty()) << "nothing, silently";
}

TEST(SourceScanner, EachFolderIsWalkedOnceWhateverLinksLeadThere)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs symbolic links, which MinGW cannot make";
#endif
    ModTree mod;
    mod.file("data/a.txt", "a");
    mod.file("data/sub/b.txt", "b");
    fs::create_directory_symlink("..", mod.root() / "data/sub/up");
    mod.file("shared/s.txt", "s");
    fs::create_directory_symlink("../shared", mod.root() / "data/linked");
    // Issue 21: links that meet again stored a folder once per way in.
    fs::create_directory_symlink("../shared", mod.root() / "data/other");
    const Scan result = scan("../data");
    EXPECT_EQ(result.names, (Strings{"../data/a.txt", "../data/linked/s.txt", "../data/sub/b.txt"}))
        << "links are followed, loops and second ways in are not";
    EXPECT_EQ(result.out, (Strings{"ERROR! folder already packed through another path: ../data/other",
                                   "ERROR! folder loop skipped: ../data/sub/up"}));
    EXPECT_EQ(result.leftOut, 1u) << "a second way in is a skip, a loop is not";
}
