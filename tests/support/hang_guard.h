// Bounds a call that might block forever (opening a FIFO, say): while a HangGuard lives, a blocked
// system call is interrupted after `seconds` and fails with EINTR, so a test of "never blocks"
// fails instead of hanging.
#pragma once

#include <signal.h>
#include <unistd.h>

class HangGuard {
  public:
    explicit HangGuard(unsigned seconds) {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no SA_RESTART: the blocked call returns
        sigaction(SIGALRM, &action, &previous_);
        alarm(seconds);
    }
    ~HangGuard() {
        alarm(0);
        sigaction(SIGALRM, &previous_, nullptr);
    }
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;

  private:
    struct sigaction previous_ {};
};
