// Issue 12: verify --against also lists the files of the archive's folder
// that have no entry, so that "OK ... the same as in DIR" means the same set
// of files with the same bytes.

#include "CliRunner.h"

#include "format/ArchiveFormat.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

TEST(CliVerifyAgainst, FindsFilesWithoutEntry)
{
    struct Row {
        const char* name;
        std::string packName;
        std::vector<std::string> files; // below the pack folder, before packing
        std::function<void(const ModTree&)> change;
        std::string archive; // verified, in the Archives folder
        int status;
        std::vector<std::string> errParts;
        std::string out;
    };
    const auto unchanged = [](const ModTree&) {};
    const std::vector<Row> rows = {
        // The packer passes over folders beginning with "..": so does verify.
        {"level_unchanged", "ostrel/levels/L", {"a.con", "sub/b.con", "..old/c.con"}, unchanged, "ostrel/levels/L.kob",
         0, {}, "ostrel/levels/L.kob: OK, 2 entries, the same as in ..\n"},
        {"files_added_and_removed", "objects", {"a.con", "sub/b.con"},
         [](const ModTree& m) {
             m.file("objects/new.con", "n");
             m.file("objects/sub/Newer.txt", "n");
             fs::remove(m.root() / "objects/a.con");
         },
         "objects.kob", 1,
         {"kobpack: objects.kob: objects/a.con: cannot read ../objects/a.con to compare with: No such file",
          "kobpack: objects.kob: objects/new.con: no entry for ../objects/new.con\n",
          "kobpack: objects.kob: objects/sub/Newer.txt: no entry for ../objects/sub/Newer.txt\n"},
         "objects.kob: FAILED, 3 problems\n"},
        // With no entry to go by, the folder is told by the archive's name.
        {"archive_without_entries", "objects", {"a.con"},
         [](const ModTree& m) {
             const std::string header(reinterpret_cast<const char*>(kob::kHeaderBlock), kob::kHeaderBlockSize);
             writeFile(m.archives() / "objects.kob", std::string("\x9c\0\0\0\0\0\0\0", 8) + header
                                                         + std::string(8, '\0'));
         },
         "objects.kob", 1, {"kobpack: objects.kob: objects/a.con: no entry for ../objects/a.con\n"},
         "objects.kob: FAILED, 1 problem\n"},
        {"renamed_archive", "objects", {"a.con"},
         [](const ModTree& m) { fs::rename(m.archives() / "objects.kob", m.archives() / "backup.kob"); },
         "backup.kob", 1,
         {"kobpack: backup.kob: cannot tell which folder of .. it was packed from: its entries do not all begin "
          "with its name\n"},
         "backup.kob: FAILED, 1 problem\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ModTree mod;
        mod.folder(row.packName);
        for (const std::string& file : row.files)
            mod.file(row.packName + "/" + file, file);
        ASSERT_EQ(runKobpack({"pack", "-c", row.packName}, mod.archives()).status, 0);
        row.change(mod);
        const CliResult r = runKobpack({"verify", row.archive, "--against", ".."}, mod.archives());
        EXPECT_EQ(r.status, row.status) << r.err;
        for (const std::string& part : row.errParts)
            EXPECT_NE(r.err.find(part), std::string::npos) << part << " not in:\n" << r.err;
        EXPECT_EQ(r.out, row.out);
    }
}

} // namespace
