// kobpack-benchpack [-C DIR] pack [-c] [-j N] [--fresh] [--all-folders] [--all-levels] [NAME...]
// kobpack-benchpack [-C DIR] names
//
// A stand-in for `kobpack pack` with the same arguments, for the benchmark:
// packs one batch through PackBatch with N threads (default: every core),
// with no trace and no progress. `names` prints the pack names that
// --all-folders --all-levels give, one a line, so the benchmark can copy and
// compress the very same folders.

#include "app/PackPlan.h"
#include "game/Discovery.h"
#include "app/PackBatch.h"
#include "pack/CompressionPool.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Prints problems; remembers whether any archive failed.
class StderrObserver : public kob::PackObserver {
public:
    void problem(const std::string& text) override { std::fprintf(stderr, "kobpack-benchpack: %s\n", text.c_str()); }
    void note(const std::string&) override {}
    void trace(const std::string&) override {}
    void archiveDone(const std::string&, const kob::PackResult& result) override
    {
        failed = failed || result.outcome == PackOutcome::Failed || result.outcome == PackOutcome::Cancelled;
    }
    bool failed = false;
};

int usage()
{
    std::fprintf(stderr, "usage: kobpack-benchpack [-C DIR] pack [-c] [-j N] [--fresh] [--all-folders] [--all-levels] [NAME...]\n"
                         "       kobpack-benchpack [-C DIR] names\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    int i = 1;
    if (i + 1 < argc && std::strcmp(argv[i], "-C") == 0) {
        if (chdir(argv[i + 1]) != 0) {
            std::fprintf(stderr, "kobpack-benchpack: cannot enter %s: %s\n", argv[i + 1], std::strerror(errno));
            return 1;
        }
        i += 2;
    }
    if (i >= argc)
        return usage();
    const std::string command = argv[i++];
    const Game game = DetectGame();

    if (command == "names") {
        for (const std::string& name : PlanPack(game, {ListFolders(game), ListLevels(game)}).names())
            std::printf("%s\n", name.c_str());
        return 0;
    }
    if (command != "pack")
        return usage();

    bool compress = false;
    bool fresh = false;
    unsigned threads = 0;
    PackChoice choice;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-c" || arg == "--compress") {
            compress = true;
        } else if (arg == "--fresh") {
            fresh = true;
        } else if (arg == "-j" && i + 1 < argc) {
            threads = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
            if (threads == 0)
                return usage();
        } else if (arg == "--all-folders") {
            for (const std::string& folder : ListFolders(game))
                choice.folders.push_back(folder);
        } else if (arg == "--all-levels") {
            for (const std::string& level : ListLevels(game))
                choice.levels.push_back(level);
        } else if (!arg.empty() && arg[0] == '-') {
            return usage();
        } else {
            choice.folders.push_back(arg);
        }
    }
    const PackPlan plan = PlanPack(game, choice);
    MakeDirectories(plan.folders);
    const std::vector<std::string> names = plan.names();

    StderrObserver observer;
    NullPackControls controls;
    const kob::BatchEnd end = kob::PackBatch(names, {compress, threads, !fresh}, controls, observer, {});
    return end == kob::BatchEnd::Finished && !observer.failed ? 0 : 1;
}
