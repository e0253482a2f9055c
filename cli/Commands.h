#pragma once
// The kobpack commands. main() parses the arguments into these plain option
// structs; each command runs over the core and returns the exit status.

#include <string>
#include <vector>

// Exit statuses of kobpack.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;     // an archive could not be written, read, extracted or verified
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

struct PackOptions {
    bool compress = false;
    bool allFolders = false;  // add discovery's folder list
    bool allLevels = false;   // add discovery's level list
    bool anyFolder = false;   // allow the two above in a folder not named Archives
    std::vector<std::string> names; // packed first, in the order given
    unsigned threads = 0;           // 0: one per hardware thread; 1: the single-thread path
    bool fresh = false;             // compress every file, taking nothing over from the previous archive
    bool verbose = false;           // -v: notes and a summary line per archive on standard error
    bool quiet = false;             // -q: no progress line, even on a terminal
};

struct ExtractOptions {
    std::string archive;
    std::string directory = ".";
    std::vector<std::string> entries; // empty: every entry
};

struct VerifyOptions {
    std::vector<std::string> archives;
    std::string against; // empty: no comparison with source files
};

// Packs the names as one batch in the current directory (the Archives folder).
int RunPack(const PackOptions& options);
// Prints each archive's entries and totals.
int RunList(const std::vector<std::string>& archives);
// Writes the chosen entries below options.directory, each whole or not at
// all, refusing unsafe names.
int RunExtract(const ExtractOptions& options);
// Checks each archive's layout and data, and optionally its bytes against
// the source files.
int RunVerify(const VerifyOptions& options);
