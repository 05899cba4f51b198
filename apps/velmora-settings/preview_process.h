// The saver running as a live preview: one child process drawing into an X window, replaced
// whenever the preview's options change.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class PreviewProcess {
  public:
    explicit PreviewProcess(std::string program) : program_(std::move(program)) {}
    ~PreviewProcess() { Stop(); }
    PreviewProcess(const PreviewProcess&) = delete;
    PreviewProcess& operator=(const PreviewProcess&) = delete;

    // The saver program exists and may be run.
    bool Available() const;
    // Stops the running preview, then starts the program with `arguments` (no shell is
    // involved). False, with the reason in Error(), when it could not be started.
    bool Restart(const std::vector<std::string>& arguments);
    // Ends the child with SIGTERM (SIGKILL if it lingers) and reaps it.
    void Stop();
    // True while the child runs; once it has ended by itself it is reaped, and ExitStatus()
    // tells how it ended.
    bool Running();
    std::string ExitStatus() const { return exitStatus_; }

    pid_t Pid() const { return pid_; }
    const std::string& Error() const { return error_; }

  private:
    std::string program_;
    std::string error_;
    std::string exitStatus_;
    pid_t pid_ = -1;
};

// The saver program beside this one (both live in the same bin/ folder).
std::string SaverProgramPath();
