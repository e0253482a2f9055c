#include "source/TemporaryFile.h"

#include "source/PathText.h"

#include <utility>

namespace {

constexpr int kRandomLength = 6;

} // namespace

TemporaryFile::TemporaryFile(DurabilityTrace trace, bool lasting)
    : m_trace(std::move(trace)), m_lasting(lasting)
{
}

TemporaryFile::~TemporaryFile()
{
    discard();
}

bool TemporaryFile::create(const std::string& stem)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = stem + randomLetters(kRandomLength);
        m_file = platform::File::createHeld(path, m_error);
        if (m_file.isOpen()) {
            m_path = path;
            return true;
        }
        if (m_error.problem != platform::OpenProblem::Exists)
            return false;
    }
    m_error = {platform::OpenProblem::Exists, 0, "no free temporary name beside it"};
    return false;
}

bool TemporaryFile::sync()
{
    if (!m_lasting)
        return true;
    if (!m_file.sync()) {
        m_error = m_file.error();
        return false;
    }
    if (m_trace)
        m_trace("sync", m_path);
    return true;
}

platform::RenameResult TemporaryFile::commit(const std::string& target)
{
    if (m_trace)
        m_trace("rename", m_path);
    bool lasting = false;
    const platform::RenameResult result =
        platform::renameOver(m_path, target, m_error, &m_file, m_lasting ? &lasting : nullptr);
    if (result != platform::RenameResult::Done)
        return result;
    m_path.clear();
    if (lasting && m_trace)
        m_trace("folder sync", target);
    return result;
}

bool TemporaryFile::discard()
{
    // Windows removes no file that is open.
    m_file.close();
    if (m_path.empty())
        return true;
    const std::string path = std::exchange(m_path, {});
    platform::Error error;
    if (platform::removeFile(path, error) || error.problem == platform::OpenProblem::Missing)
        return true;
    m_error = error;
    return false;
}
