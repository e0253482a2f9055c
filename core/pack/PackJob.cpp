#include "pack/PackJob.h"

#include "format/ArchiveWriter.h"
#include "pack/ComparingOutput.h"
#include "pack/PendingArchive.h"
#include "pack/ReadAhead.h"
#include "pack/SerialProducer.h"
#include "pack/ReplacedArchive.h"
#include "pack/SourceScanner.h"
#include "platform/Platform.h"
#include "source/PathText.h"

#include <cstdio>
#include <limits>
#include <memory>

using namespace kob;

namespace {

// Free mebibytes available to this user on the volume of `directory`; 0 when
// the query fails.
uint32_t GetFreeDiskSpaceMB(const std::string& directory, const PackContext& context)
{
    const std::optional<uint64_t> available =
        context.freeSpace ? context.freeSpace(directory) : platform::freeSpace(directory);
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

// What the job reports to, and what it watches.
struct Reporting {
    PackControls& controls;
    PackObserver& observer;
    CancelToken cancel;
};

// Each file is shown and the bar set just before it is stored, in list
// order; `store` stores it. A cancel ends the loop. The bar's range is set
// before: nothing is looked at before that.
template <typename Store>
void forEachFile(const NamePool& names, Reporting& to, const Store& store)
{
    for (uint32_t i = 0; i < names.count() && !to.cancel.cancelled(); ++i) {
        to.controls.setUpperLine(names.nameAt(i));
        to.controls.setPosition(i);
        if (!store(i))
            break;
    }
}

void showIndexWritten(Reporting& to)
{
    to.controls.setUpperLine("Writing index");
    to.observer.note("Writing Index...");
}

// Nothing changed: packing would give the archive's own bytes, so nothing is
// read, compared or written. What the user sees is what a pack that takes
// every entry over shows.
PackResult leaveAlone(const SourceScan& scan, uint32_t rootLength, Reporting& to, ReplacedArchive& replaced)
{
    ReuseCounts reused;
    if (!to.cancel.cancelled())
        to.controls.setRange(0, scan.names.count());
    forEachFile(scan.names, to, [&](uint32_t i) {
        replaced.record(scan.names.nameAt(i) + rootLength, scan.stamps[i]);
        ++reused.entries;
        reused.bytes += scan.stamps[i].size;
        return true;
    });
    showIndexWritten(to);
    to.controls.setUpperLine("Cleaning Up");
    const FileStamp archive = replaced.stamp();
    replaced.close();
    if (to.cancel.cancelled())
        return {PackOutcome::Cancelled};
    replaced.saveRecords(archive, to.observer);
    return {PackOutcome::Written, scan.names.count(), reused, true};
}

// Stores every file the scan found, from the producer `makeProducer` gives
// once the bar is set, through `writer`. Returns how many were left out. A
// file another program holds ends the loop with its name in `heldFile`: the
// archive would lack it, so it is not written.
template <typename MakeProducer>
uint32_t writeEntries(const SourceScan& scan, uint32_t rootLength, const MakeProducer& makeProducer,
                      ArchiveWriter& writer, Reporting& to, ReplacedArchive& replaced, ReuseCounts& reused,
                      std::string& heldFile)
{
    uint32_t skipped = 0;
    if (to.cancel.cancelled())
        return skipped;
    to.controls.setRange(0, scan.names.count());
    const std::unique_ptr<FileProducer> made = makeProducer();
    FileProducer& producer = *made;
    forEachFile(scan.names, to, [&](uint32_t i) {
        if (writer.failed())
            return false;
        const char* name = scan.names.nameAt(i);
        ProducedFile& produced = producer.take(i);
        if (produced.problem == InputProblem::Held) {
            to.observer.trace(inputProblemLine(*produced.problem, name));
            heldFile = name;
        } else if (produced.problem) {
            reportSkip(to.observer, *produced.problem, name);
            ++skipped;
        } else if (writer.AddEntry(name + rootLength, produced.size, produced.blocks, produced.pieces)) {
            replaced.record(name + rootLength, produced.stamp);
            if (produced.reused) {
                ++reused.entries;
                reused.bytes += produced.size;
            }
        }
        producer.release(i);
        return heldFile.empty();
    });
    // Work done ahead of a cancel or a failed write is dropped here.
    producer.stop();
    return skipped;
}

// Ends the job once every entry is written: the new archive replaces the
// previous one, or the previous one is left as it was, or nothing is changed
// at all after a cancel or a failure.
PackResult finish(const ArchiveJob& job, ArchiveWriter& writer, ComparingOutput& output, PendingArchive& pending,
                  ReplacedArchive& replaced, Reporting& to, const PackContext& context, const std::string& heldFile)
{
    showIndexWritten(to);
    // An archive that is dropped anyway is neither finished nor synced.
    const bool dropped = to.cancel.cancelled() || !heldFile.empty();
    if (!dropped)
        writer.Finish();
    to.controls.setUpperLine("Cleaning Up");
    const auto entries = static_cast<uint32_t>(writer.entries().size());
    if (!dropped && entries != 0 && !writer.failed())
        writer.CloseOutput();
    else
        output.abandon();
    replaced.close(); // Windows replaces no archive that is open

    if (to.cancel.cancelled()) {
        dropArchive(pending, to.observer);
        return {PackOutcome::Cancelled};
    }
    if (!heldFile.empty()) {
        dropArchive(pending, to.observer);
        to.observer.problem(heldFileText(heldFile));
        return {PackOutcome::Failed};
    }
    if (output.createFailed()) {
        to.observer.problem(couldNotCreate(job.archivePath, pending));
        return {PackOutcome::Failed};
    }
    std::string failure = writer.writeError();
    if (failure.empty() && entries != 0 && !output.unchanged() && !pending.commit(context.afterRename))
        failure = pending.error();
    if (!failure.empty()) {
        // A truncated archive must never look written.
        dropArchive(pending, to.observer);
        const std::string text = pending.archiveBusy()
                                     ? job.archivePath + ": " + failure
                                     : "Error! Could not write .kob file: " + job.archivePath + ": " + failure;
        to.observer.problem(text);
        to.observer.trace(text);
        return {PackOutcome::Failed};
    }
    if (entries == 0) {
        // Nothing could be stored: keep the previous archive rather than
        // replace it with an empty one.
        dropArchive(pending, to.observer);
        return {PackOutcome::Failed};
    }
    if (!output.unchanged() && !pending.hardLinkWarning().empty())
        to.observer.problem(pending.hardLinkWarning());
    replaced.saveRecords(output.unchanged() ? output.previousStamp() : pending.written(), to.observer);
    return {PackOutcome::Written, entries, {}, output.unchanged()};
}

// Why the job cannot go on before anything is written, or nothing.
std::optional<PackResult> refusal(const SourceScan& scan, bool scanComplete, PendingArchive& pending,
                                  const ArchiveJob& job, PackObserver& observer, const PackContext& context)
{
    if (!scanComplete) // a cancel during a long scan: nothing was opened, nothing is touched
        return PackResult{PackOutcome::Cancelled};
    if (scan.names.count() == 0) {
        observer.problem("No files to pack..");
        // Files that could not be listed are not "nothing to pack".
        return PackResult{scan.leftOut ? PackOutcome::Failed : PackOutcome::NothingToPack};
    }
    if (const std::string why = pending.notReplaceable(); !why.empty()) {
        observer.problem("Error! Could not write .kob file: " + job.archivePath + ": " + why);
        return PackResult{PackOutcome::Failed};
    }
    // A killed pack's file would count against the space this one needs.
    for (const std::string& note : pending.removeStale())
        observer.note(note);
    const std::string queryDir = freeSpaceDirectory(pending.archivePath()).first; // beside a link's target
    // Whole mebibytes, truncated before doubling, counted in 64 bits.
    const uint32_t freeMB = GetFreeDiskSpaceMB(queryDir, context);
    if ((scan.totalBytes >> 20) * 2 > freeMB) {
        observer.problem("Not enough free disk space!");
        observer.trace("  Free Disk Space (mb): " + std::to_string(freeMB));
        return PackResult{PackOutcome::Failed};
    }
    return std::nullopt;
}

} // namespace

PackResult kob::PackArchive(const ArchiveJob& job, const PackOptions& options, PackControls& controls,
                            PackObserver& observer, CancelToken cancel, CompressionPool* pool,
                            const PackContext& context)
{
    const uint32_t compress = options.compress ? 1 : 0; // the archive header's word
    observer.trace(" UseCompression: " + std::to_string(compress));
    controls.setLowerLine(options.compress ? "Packing Archive (Compressed)" : "Packing Archive (Uncompressed)");
    Reporting to{controls, observer, cancel};

    const std::string sourcePath = forwardSlashes(job.sourcePath);
    // Names below the source start after its final separator.
    const uint32_t rootLength = static_cast<uint32_t>(job.sourcePath.empty() ? 1 : folderPrefix(sourcePath).size());
    const std::string entryPrefix = entryPrefixOf(job.folderName);
    PendingArchive pending(job.archivePath, context.durabilityTrace);
    ReplacedArchive replaced(pending.archivePath(), entryPrefix, compress, options.reusePrevious, context);
    replaced.lookBefore(sourcePath, observer); // before any file is looked at

    NamePool names;
    SourceScan scan{names, observer, cancel, std::nullopt, context.listingProblem};
    // An existing archive inside the folder being packed would be read while
    // it is rewritten; the scan leaves it out.
    if (const platform::FileInfo archive = platform::statPath(job.archivePath); archive.exists())
        scan.exclude.emplace(archive.volume, archive.index);
    const bool scanComplete = scanSourceTree(sourcePath.c_str(), scan);
    observer.trace("TotalFiles: " + std::to_string(names.count()));
    observer.trace("  Uncompressed .kob size (mb): " + std::to_string(scan.totalBytes >> 20));
    observer.trace("tmpDestDirLoc: " + freeSpaceDirectory(job.archivePath).second);
    if (std::optional<PackResult> refused = refusal(scan, scanComplete, pending, job, observer, context))
        return *refused;

    // Read while the new archive is written beside it; it is replaced only
    // once the new one is whole.
    replaced.open(scan, rootLength, observer);
    if (replaced.unchanged(scan, rootLength))
        return leaveAlone(scan, rootLength, to, replaced);
    // Written only from the first byte that differs from the previous archive's.
    ComparingOutput output(pending);
    if (!output.open(options.reusePrevious)) {
        observer.problem(couldNotCreate(job.archivePath, pending));
        return {PackOutcome::Failed};
    }
    ArchiveWriter writer(entryPrefix, compress, output);
    writer.WriteHeader();
    // A plain archive is a copy: reading ahead on other threads would only
    // add memory traffic, so it is read on this thread alone.
    const FileRule rule(names, scan.stamps, rootLength, compress, replaced.index(), &replaced.unread(),
                        context.source);
    const auto makeProducer = [&]() -> std::unique_ptr<FileProducer> {
        if (pool && pool->threadCount() > 0 && options.compress)
            return std::make_unique<ReadAhead>(*pool, rule, names.count(), cancel);
        return std::make_unique<SerialProducer>(rule);
    };
    ReuseCounts reused;
    std::string heldFile;
    const uint32_t skipped =
        scan.leftOut + writeEntries(scan, rootLength, makeProducer, writer, to, replaced, reused, heldFile);
    PackResult result = finish(job, writer, output, pending, replaced, to, context, heldFile);
    if (result.outcome == PackOutcome::Written) {
        result.reused = reused;
        if (skipped)
            result.outcome = PackOutcome::WrittenWithSkips;
    }
    return result;
}
