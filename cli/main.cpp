// kobpack: packs a mod's folders into .kob archives and lists, extracts and
// verifies archives, over the same core as the window.

#include "cli/Commands.h"
#include "cli/Console.h"
#include "platform/Platform.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace {

constexpr const char* kCommands[] = {"pack", "list", "extract", "verify"};

// The first word that is neither an option nor -C's folder: the command, or
// nullptr when there is none.
const char* commandWord(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--")
            return i + 1 < argc ? argv[i + 1] : nullptr;
        if (word == "-C")
            ++i;
        else if (word.empty() || word[0] != '-')
            return argv[i];
    }
    return nullptr;
}

bool isCommand(const std::string& word)
{
    for (const char* command : kCommands)
        if (word == command)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Packs the folders of a game mod into .kob archives, and lists, extracts and verifies them.",
                 "kobpack"};
    app.set_version_flag("--version", "kobpack " KOBPACK_VERSION);
    // Usage errors read like every other message of the tool.
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return "kobpack: " + std::string(e.what()) + " (see kobpack --help)\n";
    });
    // Options of kobpack itself may also follow the command: kobpack pack -v.
    app.fallthrough();
    // At most one; the missing command is reported below, after any unknown
    // word, which says more.
    app.require_subcommand(0, 1);
    std::string workDir;
    app.add_option("-C", workDir, "Work in DIR, the mod's Archives folder, as if started there")
        ->option_text("DIR");
    PackOptions pack;
    app.add_flag("-v,--verbose", pack.verbose, "Also print notes, the packing trace (on standard output) and a summary line per archive written");
    app.add_flag("-q,--quiet", pack.quiet, "Draw no progress line, even on a terminal");

    CLI::App* packCmd = app.add_subcommand("pack", "Pack ../NAME into NAME.kob for each NAME, as one batch");
    packCmd->add_flag("-c,--compress", pack.compress, "Compress with LZO1X-999 (sound and music stay plain)");
    packCmd->add_flag("--all-folders", pack.allFolders, "Also pack every folder the window lists");
    packCmd->add_flag("--all-levels", pack.allLevels, "Also pack every level of the game");
    packCmd->add_flag("--any-folder", pack.anyFolder,
                      "Allow --all-folders and --all-levels in a folder not named Archives");
    packCmd->add_flag("--fresh", pack.fresh,
                      "Compress every file anew and write every archive; without it, entries the previous archive "
                      "holds unchanged are copied, which gives a fresh pack's bytes only when KobPack wrote that "
                      "archive, and an archive that would not change is left as it was");
    packCmd->add_option("-j,--jobs", pack.threads, "Compress on N threads (default: every hardware thread; 1: one)")
        ->option_text("N")
        ->check(CLI::Range(1u, 1024u));
    packCmd->add_option("NAME", pack.names, "Folder below the mod root, e.g. objects or kelVane/game");
    packCmd->footer("--all-folders and --all-levels pack the folders beside the work folder, so they are refused in a\n"
                    "folder not named Archives unless --any-folder is given.\n"
                    "Ctrl-C stops as the window's Cancel does: the archive in hand is not written (its previous\n"
                    "version stays), the names after it are not packed, earlier archives stay; exit status 130.");

    std::vector<std::string> listArchives;
    CLI::App* listCmd = app.add_subcommand("list", "List the entries of each archive");
    listCmd->add_option("ARCHIVE", listArchives, "Archive to list")->required();

    ExtractOptions extract;
    CLI::App* extractCmd = app.add_subcommand("extract", "Write the entries of an archive to DIR/<entry name>");
    extractCmd->add_option("ARCHIVE", extract.archive, "Archive to extract")->required();
    extractCmd->add_option("-o", extract.directory, "Folder to extract into (default: the current folder)")
        ->option_text("DIR");
    extractCmd->add_option("ENTRY", extract.entries, "Entry to extract (default: every entry)");

    VerifyOptions verify;
    CLI::App* verifyCmd = app.add_subcommand("verify", "Check each archive's layout and decompress every block");
    verifyCmd->add_option("ARCHIVE", verify.archives, "Archive to verify")->required();
    verifyCmd
        ->add_option("--against", verify.against,
                     "Also compare each entry with the file DIR/<entry name>, and list the files of the archive's "
                     "folder in DIR that have no entry")
        ->option_text("DIR");

    // A mistyped command would otherwise be taken for stray words.
    if (const char* word = commandWord(argc, argv); word && !isCommand(word)) {
        PrintError(std::string("unknown command: ") + word);
        std::fputs(("usage: kobpack [-C DIR] [-v] [-q] COMMAND ...\n"
                    "commands: pack, list, extract, verify (see kobpack --help)\n"),
                   stderr);
        return kExitUsage;
    }
    try {
        app.parse(argc, argv);
        if (app.get_subcommands().empty())
            throw CLI::RequiredError("A COMMAND (pack, list, extract or verify)");
        if (packCmd->parsed() && pack.names.empty() && !pack.allFolders && !pack.allLevels)
            throw CLI::ValidationError("pack", "give a NAME, --all-folders or --all-levels");
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? kExitOk : kExitUsage;
    }

    platform::Error reason;
    if (!workDir.empty() && !platform::changeFolder(workDir, reason)) {
        PrintError(workDir + ": cannot work in this folder: " + reason.text);
        return kExitUsage;
    }
    const int status = packCmd->parsed()      ? RunPack(pack)
                       : listCmd->parsed()    ? RunList(listArchives)
                       : extractCmd->parsed() ? RunExtract(extract)
                                              : RunVerify(verify);
    // A closed console window waits for this before it ends the process.
    platform::interruptHandled();
    return status;
}
