#include "apps/velmora-settings/preview_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/install_paths.h"

namespace {

// Waits up to `milliseconds` for `pid` to end; true once it is reaped.
bool ReapWithin(pid_t pid, int milliseconds) {
    for (int waited = 0;; waited += 10) {
        const pid_t done = waitpid(pid, nullptr, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD)) return true;
        if (waited >= milliseconds) return false;
        const timespec pause{0, 10 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
}

}  // namespace

std::string SaverProgramPath() {
    return ProgramFolder() + "velmora";
}

bool PreviewProcess::Available() const {
    return access(program_.c_str(), X_OK) == 0;
}

bool PreviewProcess::Restart(const std::vector<std::string>& arguments) {
    Stop();
    error_.clear();
    exitStatus_.clear();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program_.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // The child reports a failed exec through this pipe; a successful exec closes it.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        error_ = std::string("cannot start the preview: ") + std::strerror(errno);
        return false;
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        error_ = std::string("cannot start the preview: ") + std::strerror(errno);
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (pid == 0) {
        // Only async-signal-safe calls here. The preview must not outlive the dialog, even
        // when the dialog is killed.
        close(report[0]);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        execv(argv[0], argv.data());
        const int failure = errno;
        (void)!write(report[1], &failure, sizeof(failure));
        _exit(127);
    }
    close(report[1]);
    int failure = 0;
    ssize_t got;
    do {
        got = read(report[0], &failure, sizeof(failure));
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof(failure))) {
        waitpid(pid, nullptr, 0);
        error_ = program_ + ": " + std::strerror(failure);
        return false;
    }
    pid_ = pid;
    return true;
}

bool PreviewProcess::Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == 0) return true;
    if (done == pid_ && WIFEXITED(status)) {
        exitStatus_ = "exit status " + std::to_string(WEXITSTATUS(status));
    } else if (done == pid_ && WIFSIGNALED(status)) {
        exitStatus_ = std::string("signal ") + strsignal(WTERMSIG(status));
    } else {
        exitStatus_ = "unknown";
    }
    pid_ = -1;
    return false;
}

void PreviewProcess::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    // A saver ends within a frame or two; one that hangs is not left behind.
    if (!ReapWithin(pid_, 2000)) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}
