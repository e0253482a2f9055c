#include "pack/PackJob.h"

#include "pack/ArchivePacker.h"
#include "pack/MessageSink.h"
#include "pack/PendingArchive.h"
#include "pack/PreviousArchive.h"
#include "pack/ReadAhead.h"
#include "pack/SourceScanner.h"
#include "pack/Trace.h"

#include <cstdio>
#include <filesystem>
#include <limits>
#include <mutex>
#include <sys/stat.h>

using namespace kob;

std::atomic<int> g_cancelPack{0};

namespace {

std::mutex g_queryMutex;
std::function<uint32_t(const std::string&)> g_freeSpaceQuery;

uint32_t realFreeSpaceMB(const std::string& directory)
{
    std::error_code ec;
    const std::filesystem::space_info info = std::filesystem::space(directory, ec);
    if (ec)
        return 0;
    const uint64_t mebibytes = uint64_t(info.available) >> 20;
    return static_cast<uint32_t>(std::min<uint64_t>(mebibytes, std::numeric_limits<uint32_t>::max()));
}

bool endsInSeparator(const std::string& text)
{
    return !text.empty() && (text.back() == '/' || text.back() == '\\');
}

void toForwardSlashes(std::string& text)
{
    for (char& c : text)
        if (c == '\\')
            c = '/';
}

// Drops the new archive; the previous one stays. A failure to remove the
// temporary file is reported.
void dropArchive(PendingArchive& pending)
{
    const std::string problem = pending.discard();
    if (!problem.empty())
        ReportMessage("Error! Could not delete temporary file: " + problem);
}

// The writer's loop: each file is shown and the bar set just before it is
// stored, in list order; a cancel or a failed write ends it.
template <class StoreFile>
void storeEach(ArchivePacker& packer, uint32_t fileCount, PackControls& controls, StoreFile storeFile)
{
    for (uint32_t i = 0; i < fileCount && !packer.failed(); ++i) {
        if (g_cancelPack.load())
            break;
        const char* name = packer.m_namePool->nameAt(i);
        controls.setUpperLine(name);
        controls.setPosition(i);
        storeFile(i, name);
    }
}

// Reads, compresses and writes one file after the other.
void storeFiles(ArchivePacker& packer, uint32_t fileCount, PackControls& controls)
{
    storeEach(packer, fileCount, controls, [&](uint32_t, const char* name) { packer.AddInputFile(name); });
}

// The same for a compressed archive, with the reading and compressing done
// ahead on the pool; a file's skip line is printed when its turn comes.
void storeFilesAhead(ArchivePacker& packer, uint32_t fileCount, PackControls& controls, CompressionPool& pool)
{
    ReadAhead ahead(pool, *packer.m_namePool, fileCount, packer.m_sourceRootLength, packer.m_previous);
    storeEach(packer, fileCount, controls, [&](uint32_t i, const char* name) {
        AheadFile& file = ahead.take(i);
        if (file.problem) {
            packer.SkipInput(*file.problem, name);
        } else {
            packer.StoreBlocks(name, file.size, file.blocks, file.pieces);
            if (file.reused)
                packer.NoteReused(file.size);
        }
        ahead.release(i);
    });
    // Work done ahead of a cancel or a failed write is dropped here.
    ahead.stop();
}

void setOutcome(PackOutcome* outcome, PackOutcome value)
{
    if (outcome)
        *outcome = value;
}

} // namespace

uint32_t GetFreeDiskSpaceMB(const std::string& directory)
{
    std::function<uint32_t(const std::string&)> query;
    {
        std::lock_guard<std::mutex> lock(g_queryMutex);
        query = g_freeSpaceQuery;
    }
    return query ? query(directory) : realFreeSpaceMB(directory);
}

void SetFreeSpaceQuery(std::function<uint32_t(const std::string&)> query)
{
    std::lock_guard<std::mutex> lock(g_queryMutex);
    g_freeSpaceQuery = std::move(query);
}

int PackArchive(std::string& sourcePath, std::string& folderName, const std::string& archivePath,
                uint32_t compress, PackControls& controls, PackOutcome* outcome, CompressionPool* pool,
                bool reusePrevious, ReuseCounts* reused)
{
    if (reused)
        *reused = {};
    std::printf(" UseCompression: %d\n", static_cast<int>(compress));
    controls.setLowerLine(compress == 1 ? "Packing Archive (Compressed)" : "Packing Archive (Uncompressed)");

    SetCurrentPacker(std::make_unique<ArchivePacker>());
    ArchivePacker& packer = *CurrentPacker();

    packer.m_sourceRootLength = static_cast<uint32_t>(sourcePath.size() + (endsInSeparator(sourcePath) ? 0 : 1));
    toForwardSlashes(sourcePath);

    if (!endsInSeparator(folderName))
        folderName += '/';
    toForwardSlashes(folderName);
    packer.m_entryPrefix = folderName.c_str();
    packer.m_entryPrefixLength = static_cast<uint32_t>(folderName.size());

    packer.m_namePool = std::make_unique<NamePool>();
    // An existing archive inside the folder being packed would be read while
    // it is rewritten; the scanner leaves it out.
    struct stat archiveStat {};
    if (stat(archivePath.c_str(), &archiveStat) == 0) {
        packer.m_hasExclude = true;
        packer.m_excludeDevice = static_cast<uint64_t>(archiveStat.st_dev);
        packer.m_excludeInode = static_cast<uint64_t>(archiveStat.st_ino);
    }
    const bool scanComplete = scanSourceTree(sourcePath.c_str());

    const uint32_t fileCount = packer.m_namePool->count();
    std::printf("TotalFiles: %u\n", fileCount);
    std::printf("  Uncompressed .kob size (mb): %llu\n",
                static_cast<unsigned long long>(packer.m_totalSourceBytes >> 20));

    std::string freeSpaceDir = archivePath.substr(0, 512);
    const size_t separator = freeSpaceDir.find_last_of("/\\");
    const size_t p = separator == std::string::npos ? 0 : separator;
    freeSpaceDir.resize(p);
    std::string queryDir = freeSpaceDir;
    if (p < 2) {
        freeSpaceDir = ".\\";
        queryDir = "."; // the trace keeps the old spelling; the query asks about the current directory
    }
    TraceLine("tmpDestDirLoc: " + freeSpaceDir);

    if (!scanComplete) {
        // A cancel during a long scan: nothing was opened, nothing is touched.
        setOutcome(outcome, PackOutcome::Cancelled);
        return kPackCancelled;
    }
    if (fileCount == 0) {
        ReportMessage("No files to pack..");
        // Files that could not be listed are not "nothing to pack".
        setOutcome(outcome, packer.m_skippedFiles ? PackOutcome::Failed : PackOutcome::NothingToPack);
        return kPackEndedEarly;
    }

    // Whole mebibytes, truncated before doubling, counted in 64 bits.
    const uint64_t requiredMB = (packer.m_totalSourceBytes >> 20) * 2;
    if (requiredMB > GetFreeDiskSpaceMB(queryDir)) {
        ReportMessage("Not enough free disk space!");
        std::printf("  Free Disk Space (mb): %u\n", GetFreeDiskSpaceMB(queryDir));
        setOutcome(outcome, PackOutcome::Failed);
        return kPackEndedEarly;
    }

    // Read while the new archive is written beside it; it is replaced only
    // once the new one is whole.
    PreviousArchive previous(folderName);
    if (compress == 1 && reusePrevious && previous.open(archivePath))
        packer.m_previous = &previous;
    PendingArchive pending(archivePath);
    std::FILE* file = pending.create();
    if (!file) {
        packer.m_previous = nullptr; // the packer outlives this call
        ReportMessage("Error! Could not create .kob file: " + archivePath);
        setOutcome(outcome, PackOutcome::Failed);
        return kPackEndedEarly;
    }
    std::setvbuf(file, nullptr, _IOFBF, 1 << 20);
    packer.SetOutput(file);
    packer.m_compression = compress;

    packer.WriteWord(0);
    packer.WriteWord(1);
    packer.WriteBytes(kHeaderBlock, sizeof kHeaderBlock);

    if (!g_cancelPack.load()) {
        controls.setRange(0, fileCount);
        // A plain archive is a copy: reading ahead on other threads would
        // only add memory traffic, so it is written on this thread alone.
        if (pool && pool->threadCount() > 0 && compress == 1)
            storeFilesAhead(packer, fileCount, controls, *pool);
        else
            storeFiles(packer, fileCount, controls);
    }

    controls.setUpperLine("Writing index");
    if (packer.outputPosition() <= kMaxArchiveSize) {
        packer.m_indexOffset = static_cast<uint32_t>(packer.outputPosition());
        packer.WriteIndex();
        packer.WriteWord(0);
        packer.PatchHeader();
    }
    controls.setUpperLine("Cleaning Up");

    const int result = static_cast<int>(packer.m_entryCount);
    const uint32_t skipped = packer.m_skippedFiles;
    const ReuseCounts reuse{packer.m_reusedEntries, packer.m_reusedBytes};
    packer.CloseOutput();
    const std::string writeError = packer.writeError();
    DestroyCurrentPacker();

    if (g_cancelPack.load()) {
        dropArchive(pending);
        setOutcome(outcome, PackOutcome::Cancelled);
        return kPackCancelled;
    }
    std::string failure = writeError;
    if (failure.empty() && result != 0 && !pending.commit())
        failure = pending.error();
    if (!failure.empty()) {
        // A truncated archive must never look written.
        dropArchive(pending);
        const std::string text = "Error! Could not write .kob file: " + archivePath + ": " + failure;
        ReportMessage(text);
        TraceLine(text);
        setOutcome(outcome, PackOutcome::Failed);
        return kPackWriteFailed;
    }
    if (result == 0) {
        // Nothing could be stored: keep the previous archive rather than
        // replace it with an empty one.
        dropArchive(pending);
        setOutcome(outcome, PackOutcome::Failed);
        return 0;
    }
    setOutcome(outcome, skipped ? PackOutcome::WrittenWithSkips : PackOutcome::Written);
    if (reused)
        *reused = reuse;
    return result;
}
