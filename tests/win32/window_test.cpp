// The window driven through messages under Wine: what each button packs,
// what the progress dialog shows, what Cancel, Esc, Enter and closing the
// window do, the boxes it shows, and what the quick launch starts.

#include "pack/PackJob.h"
#include "pack/SourceFile.h"
#include "support/TestSupport.h"
#include "win32/DialogHooks.h"
#include "win32/KobPackDlg.h"
#include "win32/PackProgressDlg.h"
#include "win32/WideText.h"
#include "win32/WorkFolder.h"
#include "win32/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace kobtest;

namespace {

struct Box { std::wstring caption, text; UINT type; };

// A mod of the second game with two levels and two folders, the window open
// over it, and recordings of every box, every progress update and every
// start of the game.
class WindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        mod.files({"kelVane/levels/Bay/b.con", "kelVane/levels/Alpine/a.con", "kelVane/game/g.con", "Objects/o.txt",
                   "Menu/m.txt"});
        SetMessageBoxHook([this](HWND, const std::wstring& text, const std::wstring& caption, UINT type) {
            return boxes.push_back({caption, text, type}), IDOK;
        });
        SetProgressTrace([this](HWND dialog, int control, const std::wstring& shown) {
            shows.push_back(std::to_wstring(control) + L":" + shown);
            onShow ? onShow(dialog, control, shown) : void();
        });
        SetDialogOpenedHook([this](HWND dialog, int id) { opened.push_back(id), onOpen ? onOpen(dialog, id) : void(); });
        window = dialog.Create();
        ASSERT_NE(window, nullptr);
    }

    void TearDown() override
    {
        IsWindow(window) && DestroyWindow(window);
        SetMessageBoxHook({}), SetProgressTrace({}), SetDialogOpenedHook({});
    }

    void click(int id) { SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }
    std::wstring text(int id) { return WindowTextW(GetDlgItem(window, id)); }
    void choose(HWND dialog, int list, int index)
    {
        SendDlgItemMessageW(dialog, list, CB_SETCURSEL, WPARAM(index), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), LPARAM(GetDlgItem(dialog, list)));
    }
    // The key as the dialog's modal loop hands it to the dialog manager.
    static void key(HWND dialog, UINT virtualKey)
    {
        MSG message{GetFocus(), WM_KEYDOWN, virtualKey, 0, 0, {}};
        IsDialogMessageW(dialog, &message);
    }
    bool exists(const std::string& archive) { return fs::exists(mod.archives() / archive); }

    ModTree mod{"mods/MyMod"}; // the game root, "../../../", is top()
    RecordingLauncher launcher;
    CKobPackDlg dialog{launcher};
    HWND window = nullptr;
    std::vector<Box> boxes;
    std::vector<std::wstring> shows;
    std::vector<int> opened;
    std::function<void(HWND, int, const std::wstring&)> onShow;
    std::function<void(HWND, int)> onOpen;
};

TEST_F(WindowTest, OpensWithTheFirstEntriesSelectedPacksWhatTheButtonsNameAndHelps)
{
    EXPECT_EQ(text(IDC_LEVEL_LIST), L"Alpine");
    EXPECT_EQ(text(IDC_FOLDER_LIST), L"kelVane/game"); // sorted without regard to case
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_PACK_LEVEL);

    choose(window, IDC_LEVEL_LIST, 1);
    click(IDC_PACK_LEVEL);
    EXPECT_TRUE(exists("kelVane/levels/Bay.kob"));
    EXPECT_FALSE(exists("kelVane/levels/Alpine.kob"));

    // A name typed into the field is packed as typed.
    SetDlgItemTextW(window, IDC_FOLDER_LIST, L"Menu");
    click(IDC_PACK_FOLDER);
    EXPECT_EQ(entryNames(mod.archives() / "Menu.kob"), Strings{"Menu/m.txt"});
    EXPECT_TRUE(boxes.empty());

    click(IDC_HELP_BUTTON);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(std::pair(boxes[0].caption, boxes[0].type), std::pair(std::wstring(L"Help"), UINT(MB_OK | MB_ICONQUESTION)));
    EXPECT_TRUE(boxes[0].text.starts_with(L"- Place this utility"));
}

TEST_F(WindowTest, AllFoldersPacksTheListWithCompressAndSelectsAsBefore)
{
    click(IDC_COMPRESS);
    choose(window, IDC_FOLDER_LIST, 2);
    click(IDC_ALL_FOLDERS);

    for (const char* archive : {"kelVane/game.kob", "Menu.kob", "Objects.kob"})
        EXPECT_EQ(wordAt(readFile(mod.archives() / archive), 4), 1u) << archive << " is compressed";
    EXPECT_EQ(text(IDC_FOLDER_LIST), L"Objects");
    // Each update was on the screen before the job went on; the bar is not set to its end.
    std::vector<std::wstring> expected;
    const std::wstring folders[] = {L"kelVane/game/g.con", L"Menu/m.txt", L"Objects/o.txt"};
    for (int i = 0; i < 3; ++i) {
        const std::wstring name = folders[i].substr(0, folders[i].rfind(L'/'));
        expected.insert(expected.end(), {L"0:Creating (" + std::to_wstring(i + 1) + L" of 3): " + name + L".kob",
                                         L"1018:Packing Archive (Compressed)", L"1017:0 of 0..1", L"1016:../" + folders[i],
                                         L"1017:0 of 0..1", L"1016:Writing index", L"1016:Cleaning Up"});
    }
    EXPECT_EQ(shows, expected);
}

// The last way, closing the window, stops the batch and closes the window
// once the pack has ended.
TEST_F(WindowTest, EnterDoesNothingWhileEscCancelTheCloseBoxAndClosingTheWindowStopTheBatchKeepingThePreviousArchive)
{
    for (int way = 0; way < 5; ++way) { // Enter, Esc, the Cancel button, the close box, closing the window
        writeFile(mod.archives() / "Objects.kob", "previous");
        onShow = [&](HWND progress, int control, const std::wstring& shown) {
            if (control != 0 || shown.find(L"(1 of 1)") == std::wstring::npos)
                return;
            if (way < 2)
                key(progress, way == 0 ? VK_RETURN : VK_ESCAPE);
            else if (way == 2)
                SendMessageW(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
            else if (way == 3) // the close box, whose IDCANCEL the dialog manager posts
                SendMessageW(progress, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                SendMessageW(window, WM_CLOSE, 0, 0);
            for (MSG message; PeekMessageW(&message, progress, 0, 0, PM_REMOVE);)
                DispatchMessageW(&message);
        };
        SetDlgItemTextW(window, IDC_FOLDER_LIST, L"Objects");
        click(IDC_PACK_FOLDER);
        EXPECT_EQ(readFile(mod.archives() / "Objects.kob") == "previous", way != 0) << "way " << way;
        EXPECT_TRUE(way < 4 ? text(IDC_STATUS) == L"Ready" : !IsWindow(window)) << "way " << way << ": Ready, or the window closed";
    }
    EXPECT_TRUE(boxes.empty()) << "a cancel is no failure";
}

// Another program (an editor still saving) holds a file: after a short wait
// the archive is not replaced, and the box after the batch says which file
// and what to do.
// The progress dialog opens centred on the window.
TEST_F(WindowTest, AHeldFileGetsTheBoxAndThePreviousArchiveStays)
{
    writeFile(mod.archives() / "Objects.kob", "previous");
    const fs::path ready = mod.top() / "held.ready";
    std::wstring line = L"\"" KOBTEST_HELPER_W L"\" --hold \"" + fs::absolute(mod.root() / "Objects/o.txt").wstring()
                        + L"\" \"" + ready.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION helper{};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &helper));
    for (int i = 0; i < 600 && !fs::exists(ready); ++i)
        Sleep(50);
    ASSERT_TRUE(fs::exists(ready)) << "the helper holds nothing";
    POINT centres[2]{};
    onOpen = [&](HWND progress, int id) {
        RECT box{}, owner{};
        if (id == IDD_PACK_PROGRESS && GetWindowRect(progress, &box) && GetWindowRect(window, &owner))
            centres[0] = {(box.left + box.right) / 2, (box.top + box.bottom) / 2},
            centres[1] = {(owner.left + owner.right) / 2, (owner.top + owner.bottom) / 2};
    };
    dialog.m_packContext.source.heldRetry = std::chrono::milliseconds(300);
    dialog.m_packContext.source.heldStep = std::chrono::milliseconds(50);
    SetDlgItemTextW(window, IDC_FOLDER_LIST, L"Objects");
    click(IDC_PACK_FOLDER);
    fs::remove(ready); // the helper lets go
    WaitForSingleObject(helper.hProcess, 30000);
    CloseHandle(helper.hProcess), CloseHandle(helper.hThread);
    EXPECT_EQ(readFile(mod.archives() / "Objects.kob"), "previous");
    EXPECT_LE(std::abs(centres[0].x - centres[1].x) + std::abs(centres[0].y - centres[1].y), 2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Not everything was packed");
    EXPECT_EQ(boxes[0].text, L"Objects.kob: ../Objects/o.txt is in use by another program: close it and pack again\n"
                             L"Objects.kob: not written");
}

// Started where it was unpacked (beside Desktop, Documents...), the window
// goes straight to the chooser, which says why; Cancel quits.
TEST(FirstStart, OutsideAnArchivesFolderTheChooserOpensAndSaysWhy)
{
    TempDir downloads;
    fs::create_directories(downloads.path() / "Documents/Pictures");
    const fs::path kept = fs::current_path();
    fs::current_path(downloads.path());
    SetMessageBoxHook([](HWND, const std::wstring&, const std::wstring&, UINT) { return IDNO; });
    std::vector<std::wstring> texts;
    std::thread user([&] {
        for (int i = 0; i < 600; ++i, Sleep(50)) {
            const HWND chooser = FindWindowW(nullptr, L"Choose your mod's Archives folder");
            if (!chooser)
                continue;
            EnumChildWindows(chooser, [](HWND child, LPARAM seen) {
                reinterpret_cast<std::vector<std::wstring>*>(seen)->push_back(WindowTextW(child));
                return TRUE;
            }, reinterpret_cast<LPARAM>(&texts));
            PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
            return;
        }
    });
    const WorkFolderResult result = EnterWorkFolder("", AskForArchivesFolder, AskUseFolderAnyway);
    user.join();
    SetMessageBoxHook({});
    fs::current_path(kept);
    EXPECT_EQ(result.outcome, WorkFolderOutcome::Cancelled);
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::wstring& text) {
        return text.find(L", which is not a mod's Archives folder: choose your mod's Archives folder.") != text.npos;
    })) << "the reason is in the chooser";
}

TEST_F(WindowTest, QuickLaunchShowsItsChoicesOnceThenStartsAtOnce)
{
    mod.file("../kelvane/Settings/.keep");
    mod.file("init.con", "game.setCustomGameName MyMod\n");
    onOpen = [&](HWND quick, int id) {
        if (id != IDD_QUICK_LAUNCH)
            return;
        EXPECT_EQ(WindowTextW(GetDlgItem(quick, IDC_GPM_COMBO)), L"GPM_CQ");
        EXPECT_EQ(WindowTextW(GetDlgItem(quick, IDC_MAP_COMBO)), L"Alpine");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(quick, IDC_USE_DEBUG))); // no debug build in the game root
        const HWND map = GetDlgItem(quick, IDC_MAP_COMBO); // typing stops at 255 bytes of the saved text
        SetWindowTextW(map, L"");
        SendMessageW(FindWindowExW(map, nullptr, L"Edit", nullptr), EM_REPLACESEL, TRUE, LPARAM(std::wstring(300, L'm').c_str()));
        EXPECT_EQ(WindowBytes(map), std::string(255, 'm'));
        choose(quick, IDC_MAP_COMBO, 1);
        PostMessageW(GetDlgItem(quick, IDOK), BM_CLICK, 0, 0);
    };
    click(IDC_QUICK_LAUNCH);
    click(IDC_QUICK_LAUNCH); // the saved settings start the game without the dialog
    EXPECT_EQ(std::count(opened.begin(), opened.end(), IDD_QUICK_LAUNCH), 1);
    ASSERT_EQ(launcher.starts.size(), 2u);
    EXPECT_TRUE(launcher.starts[0].starts_with("kelvane.exe|+restart 1 +game MyMod +hostServer 1 +dedicated 0|in "));
    EXPECT_EQ(readFile(mod.top() / "mods/kelvane/Settings/maplist.con"),
              "game.addLevel Bay GPM_CQ MyMod\r\ngame.setCurrentLevel Bay GPM_CQ MyMod\r\n");

    // The small button forgets the settings: the dialog again, and its Cancel starts nothing.
    onOpen = [&](HWND quick, int id) {
        if (id == IDD_QUICK_LAUNCH)
            PostMessageW(GetDlgItem(quick, IDCANCEL), BM_CLICK, 0, 0);
    };
    click(IDC_RESET_QUICK_LAUNCH);
    EXPECT_EQ(std::tuple(std::count(opened.begin(), opened.end(), IDD_QUICK_LAUNCH), launcher.starts.size(),
                         fs::exists(mod.archives() / "_quickLaunch.cfg")), std::tuple(2, 2u, false));
}

} // namespace
