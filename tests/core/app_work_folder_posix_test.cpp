// The folder a window starts in: DIR when given; where nothing can be packed
// (or in the home folder, where a menu starts it) the chooser is asked once;
// a folder not named Archives only after a Yes.

#include "app/WorkFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace kobtest;

// Issue 20: in /tmp the window listed /bin, /boot...; No quits, or goes back to the chooser.
TEST(WorkFolder, EntersDirOrAsksOnceWhereNothingIsPacked)
{
    ModTree mod;
    const fs::path archives = fs::canonical(mod.archives()), empty = archives / "../empty/ARCHIVES", home = archives / "../home";
    const fs::path objects = fs::canonical(mod.root()) / "Objects"; // not an Archives folder, but with folders beside it
    for (const char* folder : {"Objects", "empty/ARCHIVES", "home"})
        mod.folder(folder);
    const char* keptHome = std::getenv("HOME");
    const std::string keepHome = keptHome ? keptHome : "";
    setenv("HOME", home.c_str(), 1);
    const auto text = [](const fs::path& path) { return path.lexically_normal().string(); };
    using enum WorkFolderOutcome;
    struct Row { const char* name; fs::path start; std::string folder; Strings chosen; bool yes; WorkFolderOutcome outcome; fs::path after; size_t asked, questions; };
    const Row rows[] = {
        {"DirGiven", empty, text(archives), {}, false, Entered, archives, 0, 0},
        {"StartedInAMod", archives, "", {}, false, Entered, archives, 0, 0},
        {"NothingHere", empty, "", {text(archives)}, false, Entered, archives, 1, 0},
        {"ChosenFolderIsNotAskedAgain", empty, "", {text(empty)}, false, Entered, empty, 1, 0},
        {"HomeFolder", home, "", {text(archives)}, false, Entered, archives, 1, 0},
        {"CancelQuits", empty, "", {}, false, Cancelled, empty, 1, 0},
        {"MissingDir", archives, "/no/such/dir", {}, false, Failed, archives, 0, 0},
        {"DirNotArchivesRefused", archives, text(objects / "."), {}, false, Cancelled, archives, 0, 1},
        {"DirNotArchivesTaken", archives, text(objects), {}, true, Entered, objects, 0, 1},
        {"StartedNotInArchivesRefused", objects, "", {}, false, Cancelled, objects, 0, 1},
        {"ChosenNotArchivesRefusedChooserAgain", empty, "", {text(objects), text(archives)}, false, Entered, archives, 2, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::current_path(row.start);
        size_t asked = 0;
        Strings questions;
        const WorkFolderResult result = EnterWorkFolder(
            row.folder, [&] { return asked < row.chosen.size() ? row.chosen[asked++] : (++asked, std::string()); },
            [&](const std::string& question) { questions.push_back(question); return row.yes; });
        EXPECT_EQ(std::tuple(result.outcome, fs::current_path(), asked, result.message),
                  std::tuple(row.outcome, fs::canonical(row.after), row.asked,
                             row.outcome == Failed ? "Unable to open the folder /no/such/dir: No such file or directory" : ""));
        const std::string question = text(objects) + " is not a mod's Archives folder: the folders beside it would be packed into it. Use it anyway?";
        EXPECT_EQ(questions, Strings(row.questions, question));
    }
    keptHome ? setenv("HOME", keepHome.c_str(), 1) : unsetenv("HOME");
}
