#pragma once
// Runs the built kobpack as a user would: in a chosen folder, capturing
// standard output, standard error and the exit status.

#include "support/TestSupport.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kobtest {

struct CliResult {
    int status = -1; // exit status, or 128 + signal when killed by one
    std::string out, err;
};

class CliProcess {
public:
    // A `fileSizeLimit` above 0 stands in for a full disk: writes past it fail.
    CliProcess(const std::vector<std::string>& args, const fs::path& folder, uint64_t fileSizeLimit = 0)
    {
        const std::string out = (m_files.path() / "out").string(), err = (m_files.path() / "err").string();
        if ((m_pid = fork()) == 0) {
            const int fds[3] = {open("/dev/null", O_RDONLY), open(out.c_str(), O_WRONLY | O_CREAT, 0644),
                                open(err.c_str(), O_WRONLY | O_CREAT, 0644)};
            for (int fd = 0; fd < 3; ++fd)
                if (fds[fd] < 0 || dup2(fds[fd], fd) < 0)
                    _exit(126);
            if (fileSizeLimit && !limitFileSize(fileSizeLimit))
                _exit(125);
            std::vector<char*> argv{const_cast<char*>(KOBPACK_EXE)};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            if (chdir(folder.c_str()) == 0)
                execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~CliProcess()
    {
        if (m_pid > 0 && kill(m_pid, SIGKILL) == 0)
            waitpid(m_pid, nullptr, 0);
    }

    void signal(int sig) { kill(m_pid, sig); }

    // Looks a millisecond later whether the process still runs.
    bool running()
    {
        usleep(1000);
        int status = 0;
        if (m_pid <= 0 || waitpid(m_pid, &status, WNOHANG) != m_pid)
            return m_pid > 0;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        m_pid = 0;
        return false;
    }

    // Waits for the end, killing the process after `limit`.
    CliResult wait(std::chrono::seconds limit = std::chrono::seconds(120))
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (running())
            if (std::chrono::steady_clock::now() > deadline)
                signal(SIGKILL);
        return {m_status, readFile(m_files.path() / "out"), readFile(m_files.path() / "err")};
    }

private:
    TempDir m_files;
    pid_t m_pid = -1;
    int m_status = -1;
};

inline CliResult runKobpack(const std::vector<std::string>& args, const fs::path& folder, uint64_t fileSizeLimit = 0)
{
    return CliProcess(args, folder, fileSizeLimit).wait();
}

// Every file and folder below `dir`, relative to it, sorted.
inline std::vector<std::string> below(const fs::path& dir)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        found.push_back(entry.path().lexically_relative(dir).string());
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace kobtest
