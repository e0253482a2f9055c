#include "pack/ReplacedArchive.h"

#include "pack/PendingArchive.h"
#include "pack/RecordStore.h"
#include "platform/Platform.h"
#include "source/PathText.h"

namespace {

constexpr const char* kNotUsed = "Records of unchanged files not used, every file is compared: ";

// The time of a file made beside the archive now, by the file system's clock;
// the file is named as the pack's own temporary files, so one left by a kill
// is tidied up like them.
std::optional<int64_t> timeBeside(const std::string& archivePath)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::string path = archivePath + ".tmp-kobpack-" + randomLetters(6);
        platform::Error error;
        platform::File file = platform::File::createHeld(path, error);
        if (error.problem == platform::OpenProblem::Exists)
            continue;
        if (!file.isOpen())
            return std::nullopt;
        const platform::FileInfo info = file.info();
        file.close();
        platform::removeFile(path, error);
        if (!info.exists() || info.modified == 0)
            return std::nullopt;
        return std::max(info.modified, info.changed);
    }
    return std::nullopt;
}

} // namespace

ReplacedArchive::ReplacedArchive(std::string archivePath, std::string entryPrefix, uint32_t compress, bool reuse,
                                 const kob::PackContext& context)
    : m_archivePath(std::move(archivePath))
    , m_key(recordStore::keyOf(m_archivePath))
    , m_reuse(reuse)
    , m_context(context)
    , m_index(std::move(entryPrefix), compress)
{
}

bool ReplacedArchive::distrust(const std::string& why, kob::PackObserver& observer)
{
    observer.note(kNotUsed + why);
    m_trusted = false;
    return false;
}

void ReplacedArchive::lookBefore(const std::string& sourcePath, kob::PackObserver& observer)
{
    const std::string folder = ArchiveFolderOf(m_archivePath);
    const platform::FileSystemKind kind =
        m_context.fileSystemKind ? m_context.fileSystemKind(sourcePath) : platform::fileSystemKind(sourcePath);
    if (!kind.vouches) {
        distrust("the file system of " + sourcePath + " (" + kind.name + ") does not show every change of a file",
                 observer);
        return;
    }
    const platform::FileInfo source = platform::statPath(sourcePath);
    const platform::FileInfo archiveFolder = platform::statPath(folder);
    if (!source.exists() || !archiveFolder.exists() || source.volume != archiveFolder.volume) {
        distrust("the archive is not on the file system of " + sourcePath, observer);
        return;
    }
    const std::optional<int64_t> now =
        m_context.fileSystemClock ? m_context.fileSystemClock(m_archivePath) : timeBeside(m_archivePath);
    if (!now) {
        distrust("no file could be made in " + folder + " to read the file system's time", observer);
        return;
    }
    m_trusted = true;
    m_sourceVolume = source.volume;
    m_records = SourceRecords(m_key, *now);
}

void ReplacedArchive::open(const SourceScan& scan, uint32_t rootLength, kob::PackObserver& observer)
{
    if (!m_reuse || !(m_open = m_index.open(m_archivePath)) || !m_trusted)
        return;
    std::string problem;
    m_recorded = recordStore::load(m_key, problem);
    if (!problem.empty())
        distrust(problem, observer);
    const FileStamp archive = m_index.stamp();
    if (!m_trusted || !m_recorded || !archive.telling() || !(m_recorded->archive() == archive))
        return;
    m_unread.resize(scan.names.count());
    for (uint32_t i = 0; i < scan.names.count(); ++i)
        if (scan.stamps[i].volume == m_sourceVolume
            && m_recorded->unchanged(scan.names.nameAt(i) + rootLength, scan.stamps[i]))
            m_unread[i] = scan.stamps[i];
}

bool ReplacedArchive::unchanged(const SourceScan& scan, uint32_t rootLength) const
{
    if (!m_open || scan.leftOut != 0 || m_unread.size() != scan.names.count())
        return false;
    for (const std::optional<FileStamp>& stamp : m_unread)
        if (!stamp)
            return false;
    return m_index.holdsExactly(scan.names, rootLength, scan.stamps);
}

void ReplacedArchive::record(std::string name, const FileStamp& stamp)
{
    if (m_trusted)
        m_records.add(std::move(name), stamp);
}

void ReplacedArchive::saveRecords(const FileStamp& archive, kob::PackObserver& observer)
{
    if (!m_trusted)
        return;
    m_records.setArchive(archive);
    if (m_recorded && m_recorded->covers(m_records))
        return;
    const std::string problem = recordStore::save(m_records);
    if (!problem.empty())
        observer.note("Records of unchanged files not written: " + problem);
}
