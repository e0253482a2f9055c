#include "cli/Commands.h"
#include "cli/Console.h"

#include "format/ArchiveReader.h"
#include "platform/Folders.h"
#include "source/ArchiveCheck.h"
#include "source/PathText.h"

#include <cstdio>

int RunVerify(const VerifyOptions& options)
{
    if (!options.against.empty() && !platform::isFolder(options.against)) {
        PrintError(options.against + ": no folder to compare with");
        return kExitFailure;
    }
    bool failed = false;
    for (const std::string& archive : options.archives) {
        ArchiveReader reader;
        if (!reader.open(archive)) {
            PrintError(reader.error());
            std::printf("%s: FAILED, cannot be read\n", PrintableName(archive).c_str());
            failed = true;
            continue;
        }
        const std::vector<std::string> problems = CheckArchive(reader, archive, options.against);
        for (const std::string& problem : problems)
            PrintError(problem);
        const std::string summary =
            CheckSummary(PrintableName(archive), reader.entries().size(), problems.size(), options.against);
        std::printf("%s\n", summary.c_str());
        failed = failed || !problems.empty();
    }
    return failed ? kExitFailure : kExitOk;
}
