// The progress line on a console: erased with an escape sequence where the
// console acts on them, else overwritten after a carriage return, blanks
// covering what a longer line left (a Windows console without its
// virtual-terminal mode printed "[K" on a new line each time). Off a
// console nothing is drawn at all (the other CLI tests read standard error).
#include "cli/TerminalProgress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

TEST(TerminalProgress, EscapesWhereTheConsoleHasThemCarriageReturnsAndBlanksWhereNot)
{
    const std::string bar = "pack [....................]   0% ";
    const std::string longer = bar + "../objects/long.txt", shorter = bar + "a";
    for (const bool escapes : {true, false}) {
        SCOPED_TRACE(escapes);
        std::FILE* out = std::tmpfile();
        ASSERT_NE(out, nullptr);
        TerminalProgress progress(escapes, out);
        progress.setCaption("pack");
        progress.setUpperLine("../objects/long.txt");
        progress.setRange(0, 2); // always drawn
        progress.setUpperLine("a");
        progress.setRange(0, 2);
        progress.clear();
        std::string written(4096, '\0');
        std::rewind(out);
        written.resize(std::fread(written.data(), 1, written.size(), out));
        std::fclose(out);
        const std::string blanks(longer.size() - shorter.size(), ' ');
        EXPECT_EQ(written, escapes ? "\r\033[K" + longer + "\r\033[K" + shorter + "\r\033[K"
                                   : "\r" + longer + "\r" + shorter + blanks + "\r"
                                         + std::string(longer.size(), ' ') + "\r");
    }
}
