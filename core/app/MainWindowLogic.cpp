#include "app/MainWindowLogic.h"

#include "app/BatchReport.h"
#include "app/WindowTexts.h"
#include "game/Discovery.h"
#include "source/PathText.h"

PackChoice ChoiceFor(PackButton button, const std::string& fieldText, const std::vector<std::string>& entries)
{
    switch (button) {
    case PackButton::PackLevel:
        return {{}, {fieldText}};
    case PackButton::PackFolder:
        return {{fieldText}, {}};
    case PackButton::AllLevels:
        return {{}, entries};
    case PackButton::AllFolders:
        return {entries, {}};
    }
    return {};
}

std::string PackProblemsText(const std::vector<std::string>& refused, const kob::BatchReport& report)
{
    std::string text;
    for (const std::string& line : refused)
        text += (text.empty() ? "" : "\n") + line;
    const std::string failures = report.failureText();
    if (!failures.empty())
        text += (text.empty() ? "" : "\n") + failures;
    return text;
}

int InitialSelection(const std::vector<std::string>& entries)
{
    return entries.empty() ? -1 : 0;
}

void MainWindowLogic::Discover()
{
    m_game = DetectGame();
    m_levels = ListLevels(m_game);
    m_folders = ListFolders(m_game);
    SortNoCase(m_levels);
    SortNoCase(m_folders);
}

const std::vector<std::string>& MainWindowLogic::entries(WindowList list) const
{
    return list == WindowList::Levels ? m_levels : m_folders;
}

void MainWindowLogic::Press(PackButton button)
{
    const bool compress = m_view.compressChecked();
    const bool all = button == PackButton::AllLevels || button == PackButton::AllFolders;
    if (button == PackButton::AllFolders) {
        if (m_allFoldersBusy == 1)
            return;
        m_allFoldersBusy = 1;
    }
    const int levelIndex = m_view.selectedIndex(WindowList::Levels);
    const int folderIndex = m_view.selectedIndex(WindowList::Folders);
    const WindowList list = button == PackButton::PackLevel || button == PackButton::AllLevels ? WindowList::Levels
                                                                                               : WindowList::Folders;
    PackPlan plan = PlanPack(m_game, ChoiceFor(button, all ? std::string() : m_view.fieldText(list), entries(list)));
    if (!all) // a mistyped name gets the box, not a silent "Ready"
        RefuseMissingFolders(plan);
    MakeDirectories(plan.folders);

    kob::BatchReport report;
    const std::vector<std::string> names = plan.names();
    if (!names.empty()) {
        m_view.setStatus(kStatusPleaseWait);
        m_batchRunning = true;
        m_view.runBatch(names, compress, report);
        m_batchRunning = false;
    }
    m_view.setStatus(kStatusReady);
    if (all) {
        m_view.select(WindowList::Levels, levelIndex);
        m_view.select(WindowList::Folders, folderIndex);
    }
    // A typed name whose folder holds no file is told so; in an All batch an
    // empty folder is no news.
    std::vector<std::string> said = plan.refused;
    if (!all)
        for (const std::string& archive : report.nothingPacked())
            said.push_back(archive + ": nothing to pack: the folder holds no files");
    const std::string problems = PackProblemsText(said, report);
    if (!problems.empty())
        m_view.showProblems(kBatchReportCaption, problems);
    if (button == PackButton::AllFolders)
        m_allFoldersBusy = 0;
    if (m_closeRequested) {
        m_closeRequested = false;
        m_view.closeWindow();
    }
}

bool MainWindowLogic::RequestClose()
{
    if (!m_batchRunning)
        return true;
    m_closeRequested = true;
    m_view.cancelBatch();
    return false;
}
