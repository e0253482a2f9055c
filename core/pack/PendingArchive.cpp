#include "pack/PendingArchive.h"

#include "source/DirListing.h"

#include <random>

namespace {

constexpr const char* kTemporaryMark = ".tmp-";
constexpr int kRandomLength = 6;

std::string fileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string randomSuffix()
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, int(sizeof kLetters) - 2);
    std::string suffix;
    for (int i = 0; i < kRandomLength; ++i)
        suffix += kLetters[pick(generator)];
    return suffix;
}

} // namespace

std::string ArchiveFolderOf(const std::string& archivePath)
{
    const size_t slash = archivePath.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : archivePath.substr(0, slash);
}

PendingArchive::PendingArchive(std::string archivePath)
    : m_archivePath(std::move(archivePath))
{
}

PendingArchive::~PendingArchive()
{
    discard();
}

std::FILE* PendingArchive::create()
{
    const std::string folder = ArchiveFolderOf(m_archivePath);
    const std::string prefix = fileNameOf(m_archivePath) + kTemporaryMark;
    if (const auto entries = listDirectory(folder)) {
        for (const ListingEntry& entry : *entries)
            if (entry.name.size() == prefix.size() + kRandomLength && entry.name.compare(0, prefix.size(), prefix) == 0)
                platform::removeIfUnheld(folder + "/" + entry.name);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = m_archivePath + kTemporaryMark + randomSuffix();
        platform::OpenProblem problem;
        platform::File held = platform::File::createHeld(path, problem, m_error);
        if (problem == platform::OpenProblem::Exists)
            continue;
        if (!held.isOpen())
            return nullptr;
        // The stream writes through a duplicate; the original keeps the file
        // held after the stream is closed, until commit() or discard().
        platform::File writer = held.duplicate();
        std::FILE* stream = writer.toStream("wb");
        if (!stream) {
            m_error = writer.error().empty() ? held.error() : writer.error();
            held.close();
            std::string ignored;
            platform::removeFile(path, ignored);
            return nullptr;
        }
        m_held = std::move(held);
        m_temporaryPath = path;
        return stream;
    }
    m_error = "no free temporary name beside the archive";
    return nullptr;
}

bool PendingArchive::commit()
{
    if (m_temporaryPath.empty())
        return false;
    switch (platform::renameOver(m_temporaryPath, m_archivePath, m_error, &m_held)) {
    case platform::RenameResult::Done:
        m_temporaryPath.clear();
        m_held.close();
        return true;
    case platform::RenameResult::TargetBusy:
        m_archiveBusy = true;
        m_error = "cannot be replaced while another program has it open (is the game running?)";
        return false;
    case platform::RenameResult::Failed:
        break;
    }
    return false;
}

std::string PendingArchive::discard()
{
    std::string problem;
    if (!m_temporaryPath.empty()) {
        std::string reason;
        bool missing = false;
        // Windows removes no file that is open.
        m_held.close();
        if (!platform::removeFile(m_temporaryPath, reason, &missing) && !missing)
            problem = m_temporaryPath + ": " + reason;
        m_temporaryPath.clear();
    }
    m_held.close();
    return problem;
}
