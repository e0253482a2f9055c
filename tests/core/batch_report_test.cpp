// What a window's box says after a batch, from each archive's problems and outcome.

#include "app/BatchReport.h"

#include <gtest/gtest.h>

TEST(BatchReport, ListsWhatWentWrongShortensLongListsAndLeavesOutCancelAndEmptyFolders)
{
    const auto pack = [](kob::BatchReport& report, const std::string& archive, PackOutcome outcome, int problems) {
        report.archiveStarted(archive);
        for (int i = 1; i <= problems; ++i)
            report.problem("p" + std::to_string(i));
        report.archiveDone(archive, {outcome});
    };
    kob::BatchReport fine;
    pack(fine, "empty.kob", PackOutcome::NothingToPack, 1);
    pack(fine, "whole.kob", PackOutcome::Written, 0);
    pack(fine, "cut.kob", PackOutcome::Cancelled, 0);
    EXPECT_EQ(fine.failureText(), "");

    kob::BatchReport wrong;
    pack(wrong, "many.kob", PackOutcome::WrittenWithSkips, 14);
    pack(wrong, "warned.kob", PackOutcome::Written, 1);
    pack(wrong, "cut.kob", PackOutcome::Cancelled, 0);
    std::string expected;
    for (int i = 1; i <= 12; ++i)
        expected += "many.kob: p" + std::to_string(i) + "\n";
    EXPECT_EQ(wrong.failureText(), expected + "many.kob: 2 more problems\n"
                                   "many.kob: written without the files named above\n"
                                   "warned.kob: p1");
    // A text that begins with its archive's name does not name it twice (one
    // that names it after a colon is with the main window's and the CLI's tests).
    kob::BatchReport named;
    named.archiveStarted("objects.kob");
    named.problem("objects.kob: cannot be replaced");
    named.archiveDone("objects.kob", {PackOutcome::Failed});
    EXPECT_EQ(named.failureText(), "objects.kob: cannot be replaced\nobjects.kob: not written");
}
