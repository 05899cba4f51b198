#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/alert.h"
#include "math/errors.h"
#include "tests/support/recording_alert.h"

TEST(Errors, MessagesReachTheInstalledSinkAndStandardErrorByDefault) {
    {
        RecordingAlert sink;
        MessageBox(nullptr, "Could not read file header", "ERROR", 0);
        ERRORCLOSE("Not a valid MS3D file!");
        EXPECT_EQ(sink.lines, (std::vector<std::string>{"ERROR|Could not read file header",
                                                        "Not a valid MS3D file!"}));
    }
    testing::internal::CaptureStderr();
    MessageBox(nullptr, "TGA file be type 2 or type 10 ", "Invalid Image", 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "velmora: Invalid Image: TGA file be type 2 or type 10 \n");
}
