#include "app/WindowStart.h"

#include "app/ArchiveWindowLogic.h"

int RunWindowProgram(const std::vector<std::string>& arguments, const WindowProgram& program)
{
    if (!arguments.empty() && IsArchiveArgument(arguments.front()))
        return program.lookIntoArchives(arguments);
    if (arguments.size() > 1) {
        program.showUsageError("give at most one DIR");
        return kUsageErrorStatus;
    }
    const WorkFolderResult start
        = EnterWorkFolder(arguments.empty() ? std::string() : arguments.front(), program.choose, program.useAnyway);
    switch (start.outcome) {
    case WorkFolderOutcome::Entered:
        program.runMainWindow();
        return 0;
    case WorkFolderOutcome::Cancelled:
        return 0;
    case WorkFolderOutcome::Failed:
        program.showError(start.message);
        return 1;
    }
    return 1;
}
