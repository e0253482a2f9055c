#include "pack/PackJob.h"

#include "format/ArchiveWriter.h"
#include "pack/ComparingOutput.h"
#include "pack/PendingArchive.h"
#include "pack/PreviousArchive.h"
#include "pack/ReadAhead.h"
#include "pack/SerialProducer.h"
#include "pack/SourceRecords.h"
#include "pack/SourceScanner.h"
#include "platform/Platform.h"
#include "source/PathText.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <mutex>

using namespace kob;

std::atomic<int> g_cancelPack{0};

namespace {

std::mutex g_queryMutex;
std::function<uint32_t(const std::string&)> g_freeSpaceQuery;

uint32_t realFreeSpaceMB(const std::string& directory)
{
    const std::optional<uint64_t> available = platform::freeSpace(directory);
    if (!available)
        return 0;
    const uint64_t mebibytes = *available >> 20;
    return static_cast<uint32_t>(std::min<uint64_t>(mebibytes, std::numeric_limits<uint32_t>::max()));
}

// Every entry name starts with it, so it is never empty.
std::string entryPrefixOf(const std::string& folderName)
{
    return folderName.empty() ? "/" : folderPrefix(folderName);
}

// Drops the new archive; the previous one stays. A failure to remove the
// temporary file is reported.
void dropArchive(PendingArchive& pending, PackObserver& observer)
{
    const std::string problem = pending.discard();
    if (!problem.empty())
        observer.problem("Error! Could not delete temporary file: " + problem);
}

std::string couldNotCreate(const std::string& archivePath, const PendingArchive& pending)
{
    return "Error! Could not create .kob file: " + archivePath + ": " + pending.error();
}

void reportSkip(PackObserver& observer, InputProblem problem, const char* path)
{
    observer.trace(inputProblemLine(problem, path));
    observer.problem(skipText(problem, path));
}

// The directory whose free space is asked about, and its spelling in the trace.
std::pair<std::string, std::string> freeSpaceDirectory(const std::string& archivePath)
{
    std::string dir = archivePath.substr(0, 512);
    const size_t separator = dir.find_last_of("/\\");
    dir.resize(separator == std::string::npos ? 0 : separator);
    if (dir.size() < 2)
        return {".", ".\\"}; // the trace keeps the old spelling; the query asks about the current directory
    return {dir, dir};
}

// The files that the records of the archive being replaced show unchanged
// since it took them in; none unless it is the very archive recorded.
UnreadFiles unreadFiles(const SourceRecords& records, const PreviousArchive& previous, const SourceScan& scan,
                        uint32_t rootLength)
{
    UnreadFiles unread;
    const FileStamp archive = previous.stamp();
    if (!archive.telling() || !(records.archive() == archive))
        return unread;
    unread.resize(scan.names.count());
    for (uint32_t i = 0; i < scan.names.count(); ++i)
        if (records.unchanged(scan.names.nameAt(i) + rootLength, scan.stamps[i]))
            unread[i] = scan.stamps[i];
    return unread;
}

// Records what the archive at `path` now holds for the next repack, unless
// the `recorded` ones say as much; one that cannot be written costs only speed.
void saveRecords(SourceRecords& records, const SourceRecords& recorded, const std::string& path,
                 PackObserver& observer)
{
    records.setArchive(FileStamp::of(platform::statPath(path)));
    if (recorded.covers(records))
        return;
    const std::string problem = records.save();
    if (!problem.empty())
        observer.note("Records of unchanged files not written: " + problem);
}

bool everyFileUnread(const UnreadFiles& unread, uint32_t fileCount)
{
    if (unread.size() != fileCount)
        return false;
    for (const std::optional<FileStamp>& stamp : unread)
        if (!stamp)
            return false;
    return true;
}

// The records show every file unchanged since the very archive on disk took
// it in, and that archive holds exactly these files in this order: packing
// would give its bytes again, so nothing is read, compared or written. What
// the user sees is what a pack that takes every entry over shows.
PackResult showUnchangedArchive(const NamePool& names, uint32_t rootLength, const std::vector<FileStamp>& stamps,
                                PackControls& controls, PackObserver& observer, CancelToken cancel,
                                PreviousArchive& previous, SourceRecords& records, const SourceRecords& recorded,
                                const std::string& archivePath)
{
    ReuseCounts reused;
    if (!cancel.cancelled()) {
        controls.setRange(0, names.count());
        for (uint32_t i = 0; i < names.count() && !cancel.cancelled(); ++i) {
            controls.setUpperLine(names.nameAt(i));
            controls.setPosition(i);
            records.add(names.nameAt(i) + rootLength, stamps[i]);
            ++reused.entries;
            reused.bytes += stamps[i].size;
        }
    }
    controls.setUpperLine("Writing index");
    observer.note("Writing Index...");
    controls.setUpperLine("Cleaning Up");
    previous.close();
    if (cancel.cancelled())
        return {kPackCancelled, PackOutcome::Cancelled, {}};
    saveRecords(records, recorded, archivePath, observer);
    return {static_cast<int>(names.count()), PackOutcome::Written, reused, true};
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

PackResult kob::packArchive(const ArchiveJob& job, const PackOptions& options, PackControls& controls,
                            PackObserver& observer, CancelToken cancel, CompressionPool* pool)
{
    const uint32_t compress = options.compress;
    const int64_t lookedAt = RecordClock(); // before any file is looked at
    observer.trace(" UseCompression: " + std::to_string(compress));
    controls.setLowerLine(compress == 1 ? "Packing Archive (Compressed)" : "Packing Archive (Uncompressed)");

    const std::string sourcePath = forwardSlashes(job.sourcePath);
    // Names below the source start after its final separator.
    const uint32_t rootLength = static_cast<uint32_t>(job.sourcePath.empty() ? 1 : folderPrefix(sourcePath).size());
    const std::string entryPrefix = entryPrefixOf(job.folderName);

    NamePool names;
    SourceScan scan{names, observer, cancel, std::nullopt};
    // An existing archive inside the folder being packed would be read while
    // it is rewritten; the scan leaves it out.
    if (const platform::FileInfo archive = platform::statPath(job.archivePath); archive.exists())
        scan.exclude.emplace(archive.volume, archive.index);
    const bool scanComplete = scanSourceTree(sourcePath.c_str(), scan);

    const uint32_t fileCount = names.count();
    observer.trace("TotalFiles: " + std::to_string(fileCount));
    observer.trace("  Uncompressed .kob size (mb): " + std::to_string(scan.totalBytes >> 20));
    observer.trace("tmpDestDirLoc: " + freeSpaceDirectory(job.archivePath).second);

    if (!scanComplete) // a cancel during a long scan: nothing was opened, nothing is touched
        return {kPackCancelled, PackOutcome::Cancelled, {}};
    if (fileCount == 0) {
        observer.problem("No files to pack..");
        // Files that could not be listed are not "nothing to pack".
        return {kPackEndedEarly, scan.leftOut ? PackOutcome::Failed : PackOutcome::NothingToPack, {}};
    }
    // A killed pack's file would count against the space this one needs.
    PendingArchive pending(job.archivePath);
    for (const std::string& note : pending.removeStale())
        observer.note(note);
    const std::string queryDir = freeSpaceDirectory(pending.archivePath()).first; // beside a link's target
    // Whole mebibytes, truncated before doubling, counted in 64 bits.
    if ((scan.totalBytes >> 20) * 2 > GetFreeDiskSpaceMB(queryDir)) {
        observer.problem("Not enough free disk space!");
        observer.trace("  Free Disk Space (mb): " + std::to_string(GetFreeDiskSpaceMB(queryDir)));
        return {kPackEndedEarly, PackOutcome::Failed, {}};
    }

    // Read while the new archive is written beside it; it is replaced only
    // once the new one is whole.
    PreviousArchive previousArchive(entryPrefix);
    const PreviousArchive* previous =
        compress == 1 && options.reusePrevious && previousArchive.open(job.archivePath) ? &previousArchive : nullptr;
    const std::string recordKey = SourceRecords::recordKey(pending.archivePath());
    SourceRecords recorded;
    const UnreadFiles unread =
        previous && recorded.load(recordKey) ? unreadFiles(recorded, *previous, scan, rootLength) : UnreadFiles{};
    SourceRecords records(recordKey, lookedAt);
    if (previous && scan.leftOut == 0 && everyFileUnread(unread, fileCount)
        && previous->holdsExactly(names, rootLength, scan.stamps))
        return showUnchangedArchive(names, rootLength, scan.stamps, controls, observer, cancel, previousArchive,
                                    records, recorded, pending.archivePath());
    // Written only from the first byte that differs from the previous archive's.
    ComparingOutput output(pending);
    if (!output.open(options.reusePrevious)) {
        observer.problem(couldNotCreate(job.archivePath, pending));
        return {kPackEndedEarly, PackOutcome::Failed, {}};
    }
    ArchiveWriter writer(entryPrefix, compress, output);
    writer.WriteHeader();

    uint32_t skipped = scan.leftOut;
    std::string heldFile; // set: the archive would lack it, so it is not written
    ReuseCounts reused;
    if (!cancel.cancelled()) {
        controls.setRange(0, fileCount);
        // A plain archive is a copy: reading ahead on other threads would
        // only add memory traffic, so it is read on this thread alone.
        std::unique_ptr<FileProducer> producer;
        if (pool && pool->threadCount() > 0 && compress == 1)
            producer = std::make_unique<ReadAhead>(*pool, names, fileCount, rootLength, cancel, previous, &unread);
        else
            producer = std::make_unique<SerialProducer>(names, rootLength, compress, previous, &unread);
        // Each file is shown and the bar set just before it is stored, in
        // list order; a cancel or a failed write ends the loop.
        for (uint32_t i = 0; i < fileCount && !writer.failed() && heldFile.empty() && !cancel.cancelled(); ++i) {
            const char* name = names.nameAt(i);
            controls.setUpperLine(name);
            controls.setPosition(i);
            ProducedFile& produced = producer->take(i);
            if (produced.problem == InputProblem::Held) {
                observer.trace(inputProblemLine(*produced.problem, name));
                heldFile = name;
            } else if (produced.problem) {
                reportSkip(observer, *produced.problem, name);
                ++skipped;
            } else if (writer.AddEntry(name + rootLength, produced.size, produced.blocks, produced.pieces)) {
                if (compress == 1)
                    records.add(name + rootLength, produced.stamp);
                if (produced.reused) {
                    ++reused.entries;
                    reused.bytes += produced.size;
                }
            }
            producer->release(i);
        }
        // Work done ahead of a cancel or a failed write is dropped here.
        producer->stop();
    }

    controls.setUpperLine("Writing index");
    observer.note("Writing Index...");
    // An archive that is dropped anyway is neither finished nor synced.
    if (!cancel.cancelled() && heldFile.empty())
        writer.Finish();
    controls.setUpperLine("Cleaning Up");
    const int entries = static_cast<int>(writer.entries().size());
    if (!cancel.cancelled() && heldFile.empty() && entries != 0 && !writer.failed())
        writer.CloseOutput();
    else
        output.abandon();
    previousArchive.close(); // Windows replaces no archive that is open

    if (cancel.cancelled()) {
        dropArchive(pending, observer);
        return {kPackCancelled, PackOutcome::Cancelled, {}};
    }
    if (!heldFile.empty()) {
        dropArchive(pending, observer);
        observer.problem(heldFileText(heldFile));
        return {kPackEndedEarly, PackOutcome::Failed, {}};
    }
    if (output.createFailed()) {
        observer.problem(couldNotCreate(job.archivePath, pending));
        return {kPackEndedEarly, PackOutcome::Failed, {}};
    }
    std::string failure = writer.writeError();
    if (failure.empty() && entries != 0 && !output.unchanged() && !pending.commit())
        failure = pending.error();
    if (!failure.empty()) {
        // A truncated archive must never look written.
        dropArchive(pending, observer);
        const std::string text = pending.archiveBusy()
                                     ? job.archivePath + ": " + failure
                                     : "Error! Could not write .kob file: " + job.archivePath + ": " + failure;
        observer.problem(text);
        observer.trace(text);
        return {kPackWriteFailed, PackOutcome::Failed, {}};
    }
    if (entries == 0) {
        // Nothing could be stored: keep the previous archive rather than
        // replace it with an empty one.
        dropArchive(pending, observer);
        return {0, PackOutcome::Failed, {}};
    }
    if (!output.unchanged() && !pending.hardLinkWarning().empty())
        observer.problem(pending.hardLinkWarning());
    if (compress == 1)
        saveRecords(records, recorded, pending.archivePath(), observer);
    return {entries, skipped ? PackOutcome::WrittenWithSkips : PackOutcome::Written, reused, output.unchanged()};
}

int PackArchive(std::string& sourcePath, std::string& folderName, const std::string& archivePath,
                uint32_t compress, PackControls& controls, PackOutcome* outcome, CompressionPool* pool,
                bool reusePrevious, ReuseCounts* reused)
{
    SinkObserver observer;
    const PackResult result = packArchive({sourcePath, folderName, archivePath}, {compress, 1, reusePrevious},
                                          controls, observer, CancelToken(g_cancelPack), pool);
    sourcePath = forwardSlashes(sourcePath);
    folderName = entryPrefixOf(folderName);
    if (outcome)
        *outcome = result.outcome;
    if (reused)
        *reused = result.reused;
    return result.code;
}
