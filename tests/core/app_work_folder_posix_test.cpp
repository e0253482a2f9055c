// The folder a window starts in: DIR when given; anywhere but an Archives
// folder the chooser, with the reason; a folder not named Archives only after
// a Yes.

#include "app/WindowStart.h"
#include "app/WorkFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>


using namespace kobtest;

// Issue 20: in /tmp or home the window listed /bin, /boot...; No quits, or goes back to the chooser.
// Started beside other folders (a downloads folder), one click packed them.
TEST(WorkFolder, EntersDirOrGoesToTheChooserOutsideAnArchivesFolder)
{
    ModTree mod;
    const fs::path archives = fs::canonical(mod.archives()), empty = archives / "../empty/ARCHIVES";
    const fs::path objects = fs::canonical(mod.root()) / "Objects"; // not an Archives folder, but with folders beside it
    for (const char* folder : {"Objects", "empty/ARCHIVES"})
        mod.folder(folder);
    const auto text = [](const fs::path& path) { return path.lexically_normal().string(); };
    using enum WorkFolderOutcome;
    struct Row { const char* name; fs::path start; std::string folder; Strings chosen; bool yes; WorkFolderOutcome outcome; fs::path after; size_t asked, questions; };
    const Row rows[] = {
        {"DirGiven", empty, text(archives), {}, false, Entered, archives, 0, 0},
        {"StartedInAMod", archives, "", {}, false, Entered, archives, 0, 0},
        {"NothingHere", empty, "", {text(archives)}, false, Entered, archives, 1, 0},
        {"ChosenFolderIsNotAskedAgain", empty, "", {text(empty)}, false, Entered, empty, 1, 0},
        {"CancelQuits", empty, "", {}, false, Cancelled, empty, 1, 0},
        {"MissingDir", archives, "/no/such/dir", {}, false, Failed, archives, 0, 0},
        {"DirNotArchivesRefused", archives, text(objects / "."), {}, false, Cancelled, archives, 0, 1},
        {"DirNotArchivesTaken", archives, text(objects), {}, true, Entered, objects, 0, 1},
        {"StartedNotInArchivesChoosesTheMod", objects, "", {text(archives)}, true, Entered, archives, 1, 0},
        {"ChosenNotArchivesRefusedChooserAgain", empty, "", {text(objects), text(archives)}, false, Entered, archives, 2, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::current_path(row.start);
        size_t asked = 0;
        Strings questions, reasons;
        const WorkFolderResult result = EnterWorkFolder(
            row.folder, [&](const std::string& why) {
                reasons.push_back(why);
                return asked < row.chosen.size() ? row.chosen[asked++] : (++asked, std::string()); },
            [&](const std::string& question) { questions.push_back(question); return row.yes; });
        EXPECT_EQ(std::tuple(result.outcome, fs::current_path(), asked, result.message),
                  std::tuple(row.outcome, fs::canonical(row.after), row.asked,
                             row.outcome == Failed ? "Unable to open the folder /no/such/dir: No such file or directory" : ""));
        const std::string question = text(objects) + " is not a mod's Archives folder: the folders beside it would be packed into it. Use it anyway?";
        EXPECT_EQ(questions, Strings(row.questions, question));
        for (const std::string& why : reasons) // where it was started, and what to do
            EXPECT_TRUE(why.starts_with("KobPack was started in " + text(fs::canonical(row.start)) + ", ")
                        && why.ends_with(": choose your mod's Archives folder.")) << why;
        EXPECT_EQ(reasons.size(), row.asked);
    }
}

// The window program's arguments and exit status, the same on both systems:
// archives are looked into, one DIR is worked in, a second DIR is a usage
// error, a DIR that cannot be entered gets the "ERROR!" box and status 1
// (issue 22), a cancelled chooser ends quietly.
TEST(WindowStart, ArgumentsFolderAndExitStatus)
{
    ModTree mod;
    const std::string archives = fs::canonical(mod.archives()).string();
    mod.folder("empty");
    struct Row { const char* name; Strings arguments; fs::path start; int status; Strings said; };
    const Row rows[] = {
        {"Dir", {archives}, mod.root() / "empty", 0, {"main window"}},
        {"Archives", {"a.kob", "b.KOB"}, mod.archives(), 7, {"look into a.kob b.KOB"}},
        {"TwoDirs", {"x", "y"}, mod.archives(), 2, {"usage give at most one DIR"}},
        {"MissingDir", {"/no/such/dir"}, mod.archives(), 1, {"error Unable to open the folder /no/such/dir: No such file or directory"}},
        {"ChooserCancelled", {}, mod.root() / "empty", 0, {"chooser"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::current_path(row.start);
        Strings said;
        const auto say = [&said](std::string what) { return [&said, what](const std::string& text) { said.push_back(what + text); }; };
        const WindowProgram program{
            [&](const Strings& paths) { said.push_back("look into " + paths[0] + " " + paths[1]); return 7; },
            [&](const std::string&) { said.push_back("chooser"); return std::string(); },
            [](const std::string&) { return true; }, say("error "), say("usage "), [&] { said.push_back("main window"); }};
        EXPECT_EQ(std::pair(RunWindowProgram(row.arguments, program), said), std::pair(row.status, row.said));
    }
}
