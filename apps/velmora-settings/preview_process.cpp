#include "apps/velmora-settings/preview_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

extern char** environ;

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
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (length <= 0) return "velmora";
    std::string path(self, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/') + 1) + "velmora";
}

bool PreviewProcess::Available() const {
    return access(program_.c_str(), X_OK) == 0;
}

bool PreviewProcess::Restart(const std::vector<std::string>& arguments) {
    Stop();
    error_.clear();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program_.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int result = posix_spawn(&pid, program_.c_str(), nullptr, nullptr, argv.data(), environ);
    if (result != 0) {
        error_ = program_ + ": " + std::strerror(result);
        return false;
    }
    pid_ = pid;
    return true;
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
