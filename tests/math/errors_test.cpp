#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/alert.h"
#include "math/errors.h"
#include "tests/support/recording_alert.h"

TEST(Errors, MessagesReachTheInstalledSinkAndStandardErrorByDefault) {
    RecordingAlert sink;
    SetAlert(&sink);
    MessageBox(nullptr, "Could not read file header", "ERROR", 0);
    ERRORCLOSE("Not a valid MS3D file!");
    SetAlert(nullptr);
    ASSERT_EQ(sink.lines.size(), 2u);
    EXPECT_EQ(sink.lines[0], "ERROR|Could not read file header");
    EXPECT_EQ(sink.lines[1], "Not a valid MS3D file!");

    testing::internal::CaptureStderr();
    MessageBox(nullptr, "TGA file be type 2 or type 10 ", "Invalid Image", 0);
    ERRORCLOSE("Unable to allocate memory!");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "velmora: Invalid Image: TGA file be type 2 or type 10 \n"
              "velmora: Unable to allocate memory!\n");
}
