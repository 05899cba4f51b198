#include "apps/velmora-settings/preview_process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <string>

namespace {

// Gone for good: neither running nor left as a zombie for someone to reap.
bool Reaped(pid_t pid) {
    return kill(pid, 0) != 0 && errno == ESRCH;
}

// Waits up to five seconds for `done`.
bool Eventually(const std::function<bool()>& done) {
    for (int i = 0; i < 500 && !done(); ++i) usleep(10 * 1000);
    return done();
}

// Waits until `path` exists, so the child is known to have started its script.
bool Appears(const std::string& path) {
    return Eventually([&] { return access(path.c_str(), F_OK) == 0; });
}

// A script that writes its first argument into `marker` (whole, by renaming), then waits.
std::string Writes(const std::string& marker, const std::string& what = "\"$0\"") {
    return "printf '%s' " + what + " > " + marker + ".tmp; mv " + marker + ".tmp " + marker +
           "; exec sleep 600";
}

}  // namespace

TEST(PreviewProcess, AMissingSaverIsReportedNotRun) {
    PreviewProcess preview("/nonexistent/velmora");
    EXPECT_FALSE(preview.Available());
    EXPECT_FALSE(preview.Restart({"--preview"}));
    EXPECT_NE(preview.Error().find("/nonexistent/velmora"), std::string::npos);
}

TEST(PreviewProcess, EachRestartEndsAndReapsThePreviousChildEvenOneIgnoringTermination) {
    const std::string marker = "/tmp/velmora-preview-test-" + std::to_string(getpid());
    PreviewProcess preview("/bin/sh");
    ASSERT_TRUE(preview.Available());
    // The options arrive unchanged, one argument each (no shell splits them).
    ASSERT_TRUE(preview.Restart({"-c", "trap '' TERM; " + Writes(marker), "a folder/with spaces"}));
    const pid_t first = preview.Pid();
    ASSERT_TRUE(Appears(marker));
    std::string written;
    std::getline(std::ifstream(marker), written);
    EXPECT_EQ(written, "a folder/with spaces");
    unlink(marker.c_str());

    ASSERT_TRUE(preview.Restart({"-c", "exec sleep 600"}));
    const pid_t second = preview.Pid();
    EXPECT_TRUE(Reaped(first));
    EXPECT_TRUE(preview.Running());
    preview.Stop();
    EXPECT_TRUE(Reaped(second));
}

TEST(PreviewProcess, APreviewDoesNotOutliveAKilledDialog) {
    const std::string marker = "/tmp/velmora-preview-orphan-" + std::to_string(getpid());
    const pid_t dialog = fork();
    ASSERT_GE(dialog, 0);
    if (dialog == 0) {
        PreviewProcess preview("/bin/sh");
        preview.Restart({"-c", Writes(marker, "$$")});
        Appears(marker);
        raise(SIGKILL);  // no destructor runs, as when the dialog is killed
    }
    waitpid(dialog, nullptr, 0);
    ASSERT_TRUE(Appears(marker));
    pid_t child = -1;
    std::ifstream(marker) >> child;
    unlink(marker.c_str());
    ASSERT_GT(child, 0);
    // Ended: gone, or a zombie waiting for whoever adopted it.
    const bool ended = Eventually([child] {
        std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
        std::string pidField, name, state;
        return !(stat >> pidField >> name >> state) || state == "Z";
    });
    EXPECT_TRUE(ended);
    if (!ended) kill(child, SIGKILL);  // not left running after a failure
}

TEST(PreviewProcess, ASaverThatEndsByItselfIsReapedAndItsEndTold) {
    PreviewProcess preview("/bin/sh");
    ASSERT_TRUE(preview.Restart({"-c", "exit 3"}));
    const pid_t child = preview.Pid();
    EXPECT_TRUE(Eventually([&] { return !preview.Running(); }));
    EXPECT_EQ(preview.ExitStatus(), "exit status 3");
    EXPECT_TRUE(Reaped(child));
    ASSERT_TRUE(preview.Restart({"-c", "kill -9 $$"}));
    EXPECT_TRUE(Eventually([&] { return !preview.Running(); }));
    EXPECT_NE(preview.ExitStatus().find("signal"), std::string::npos) << preview.ExitStatus();
}
