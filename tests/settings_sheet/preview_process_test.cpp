#include "apps/velmora-settings/preview_process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

namespace {

// Gone for good: neither running nor left as a zombie for someone to reap.
bool Reaped(pid_t pid) {
    return kill(pid, 0) != 0 && errno == ESRCH;
}

// Waits until `path` exists, so the child is known to have started its script.
bool Appears(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        if (access(path.c_str(), F_OK) == 0) return true;
        usleep(10 * 1000);
    }
    return false;
}

}  // namespace

TEST(PreviewProcess, AMissingSaverIsReportedNotRun) {
    PreviewProcess preview("/nonexistent/velmora");
    EXPECT_FALSE(preview.Available());
    EXPECT_FALSE(preview.Restart({"--preview"}));
    EXPECT_NE(preview.Error().find("/nonexistent/velmora"), std::string::npos);
    EXPECT_EQ(preview.Pid(), -1);
}

TEST(PreviewProcess, EachRestartEndsAndReapsThePreviousChild) {
    const std::string marker = "/tmp/velmora-preview-test-" + std::to_string(getpid());
    PreviewProcess preview("/bin/sh");
    ASSERT_TRUE(preview.Available());
    // The options arrive unchanged, one argument each (no shell splits them).
    ASSERT_TRUE(preview.Restart({"-c",
                                 "printf '%s' \"$0\" > " + marker + "1.tmp; mv " + marker +
                                     "1.tmp " + marker + "1; exec sleep 600",
                                 "a folder/with spaces"}));
    const pid_t first = preview.Pid();
    ASSERT_TRUE(Appears(marker + "1"));
    std::string written;
    std::getline(std::ifstream(marker + "1"), written);
    EXPECT_EQ(written, "a folder/with spaces");

    ASSERT_TRUE(preview.Restart({"-c", "touch " + marker + "2; exec sleep 600"}));
    const pid_t second = preview.Pid();
    EXPECT_NE(second, first);
    EXPECT_TRUE(Reaped(first));
    ASSERT_TRUE(Appears(marker + "2"));
    EXPECT_EQ(kill(second, 0), 0);

    preview.Stop();
    EXPECT_TRUE(Reaped(second));
    EXPECT_EQ(preview.Pid(), -1);
    unlink((marker + "1").c_str());
    unlink((marker + "2").c_str());
}

TEST(PreviewProcess, AChildThatIgnoresTerminationIsStillEnded) {
    const std::string marker = "/tmp/velmora-preview-stubborn-" + std::to_string(getpid());
    pid_t child = -1;
    {
        PreviewProcess preview("/bin/sh");
        ASSERT_TRUE(preview.Restart(
            {"-c", "trap '' TERM; touch " + marker + "; while :; do sleep 1; done"}));
        child = preview.Pid();
        ASSERT_TRUE(Appears(marker));
    }  // leaving scope stops the preview
    EXPECT_TRUE(Reaped(child));
    unlink(marker.c_str());
}

namespace {

// True once `pid` has ended: gone, or a zombie waiting for whoever adopted it.
bool Ended(pid_t pid) {
    for (int i = 0; i < 500; ++i) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string pidField, name, state;
        if (!(stat >> pidField >> name >> state) || state == "Z") return true;
        usleep(10 * 1000);
    }
    return false;
}

}  // namespace

TEST(PreviewProcess, APreviewDoesNotOutliveAKilledDialog) {
    const std::string marker = "/tmp/velmora-preview-orphan-" + std::to_string(getpid());
    const pid_t dialog = fork();
    ASSERT_GE(dialog, 0);
    if (dialog == 0) {
        PreviewProcess preview("/bin/sh");
        preview.Restart({"-c", "echo $$ > " + marker + ".tmp; mv " + marker + ".tmp " + marker +
                                   "; exec sleep 600"});
        Appears(marker);
        raise(SIGKILL);  // no destructor runs, as when the dialog is killed
    }
    int status = 0;
    waitpid(dialog, &status, 0);
    ASSERT_TRUE(Appears(marker));
    pid_t child = -1;
    std::ifstream(marker) >> child;
    ASSERT_GT(child, 0);
    const bool ended = Ended(child);
    EXPECT_TRUE(ended);
    if (!ended) kill(child, SIGKILL);  // not left running after a failure
    unlink(marker.c_str());
}

TEST(PreviewProcess, ASaverThatEndsByItselfIsReapedAndItsEndTold) {
    PreviewProcess preview("/bin/sh");
    ASSERT_TRUE(preview.Restart({"-c", "exit 3"}));
    const pid_t child = preview.Pid();
    for (int i = 0; i < 500 && preview.Running(); ++i) usleep(10 * 1000);
    EXPECT_FALSE(preview.Running());
    EXPECT_EQ(preview.ExitStatus(), "exit status 3");
    EXPECT_TRUE(Reaped(child));
    ASSERT_TRUE(preview.Restart({"-c", "kill -9 $$"}));
    for (int i = 0; i < 500 && preview.Running(); ++i) usleep(10 * 1000);
    EXPECT_NE(preview.ExitStatus().find("signal"), std::string::npos) << preview.ExitStatus();
    ASSERT_TRUE(preview.Restart({"-c", "exec sleep 600"}));
    EXPECT_TRUE(preview.Running());
    EXPECT_EQ(preview.ExitStatus(), "");
}
