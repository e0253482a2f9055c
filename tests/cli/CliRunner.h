#pragma once
// Runs the built kobpack as a user would: in a chosen folder, with
// arguments, capturing standard output, standard error and the exit status.
// Standard error can be given a terminal (a pseudo-terminal) instead of a
// file, to see the progress display.

#include "support/TestSupport.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kobtest {

struct CliResult {
    int status = -1;       // exit status, or 128 + signal when killed by one
    std::string out;       // standard output
    std::string err;       // standard error (from a terminal: its line ends are CR LF)
};

class CliProcess {
public:
    // Starts kobpack with `args` in `folder`.
    CliProcess(const std::vector<std::string>& args, const fs::path& folder, bool stderrOnTerminal = false)
    {
        m_outPath = m_files.path() / "stdout";
        m_errPath = m_files.path() / "stderr";
        std::vector<std::string> argv{KOBPACK_EXE};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> cargv;
        for (std::string& a : argv)
            cargv.push_back(a.data());
        cargv.push_back(nullptr);
        const std::string dir = folder.string(), out = m_outPath.string(), err = m_errPath.string();

        int terminal = -1;
        if (stderrOnTerminal && openpty(&m_master, &terminal, nullptr, nullptr, nullptr) != 0)
            throw std::runtime_error("cannot open a pseudo-terminal");
        m_pid = fork();
        if (m_pid < 0)
            throw std::runtime_error("cannot fork");
        if (m_pid == 0) {
            const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int errFd = terminal >= 0 ? terminal : open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int inFd = open("/dev/null", O_RDONLY);
            if (outFd < 0 || errFd < 0 || inFd < 0 || chdir(dir.c_str()) != 0)
                _exit(126);
            dup2(inFd, 0);
            dup2(outFd, 1);
            dup2(errFd, 2);
            if (m_master >= 0)
                close(m_master);
            execv(cargv[0], cargv.data());
            _exit(127);
        }
        if (terminal >= 0)
            close(terminal);
    }

    ~CliProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_master >= 0)
            close(m_master);
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    void signal(int sig) { kill(m_pid, sig); }

    // True while the process runs.
    bool running()
    {
        if (m_pid <= 0)
            return false;
        drainTerminal(0);
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_status = decode(status);
            m_pid = 0;
            return false;
        }
        return true;
    }

    // Waits for the end, killing the process after `limit`; then collects
    // what it wrote. A killed process gives the status 128 + 9.
    CliResult wait(std::chrono::seconds limit = std::chrono::seconds(120))
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (running()) {
            if (std::chrono::steady_clock::now() > deadline)
                signal(SIGKILL);
            if (m_master >= 0)
                drainTerminal(20);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        drainTerminal(0);
        CliResult result;
        result.status = m_status;
        result.out = readFile(m_outPath);
        result.err = m_master >= 0 ? m_terminalText : readFile(m_errPath);
        return result;
    }

private:
    static int decode(int status)
    {
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // Reads what the process wrote to its terminal, so that it never blocks
    // on a full terminal buffer.
    void drainTerminal(int timeoutMs)
    {
        if (m_master < 0)
            return;
        for (;;) {
            pollfd p{m_master, POLLIN, 0};
            if (poll(&p, 1, timeoutMs) <= 0 || !(p.revents & POLLIN))
                return;
            char buffer[4096];
            const ssize_t n = read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                return;
            m_terminalText.append(buffer, static_cast<size_t>(n));
            timeoutMs = 0;
        }
    }

    TempDir m_files;
    fs::path m_outPath, m_errPath;
    pid_t m_pid = -1;
    int m_master = -1;
    int m_status = -1;
    std::string m_terminalText;
};

// Runs kobpack to its end.
inline CliResult runKobpack(const std::vector<std::string>& args, const fs::path& folder,
                            bool stderrOnTerminal = false)
{
    return CliProcess(args, folder, stderrOnTerminal).wait();
}

// Waits until `path` exists or `limit` has passed; true when it exists.
inline bool waitForFile(const fs::path& path, CliProcess& process,
                        std::chrono::seconds limit = std::chrono::seconds(60))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        std::error_code ec;
        if (fs::exists(path, ec))
            return true;
        if (!process.running())
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

} // namespace kobtest
