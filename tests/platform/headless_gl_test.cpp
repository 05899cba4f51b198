#include <gtest/gtest.h>

#include <GL/gl.h>

#include "platform/headless_gl.h"

TEST(HeadlessGL, ClearsAndReadsBackTopRowFirstWithADepthBufferAndRefusesAnEmptySize) {
    HeadlessGL gl;
    ASSERT_TRUE(gl.Create(64, 32)) << gl.Error();
    // Lower half red, upper half blue.
    glEnable(GL_SCISSOR_TEST);
    for (const int half : {0, 1}) {
        glScissor(0, 16 * half, 64, 16);
        glClearColor(half ? 0.0f : 1.0f, 0.0f, half ? 1.0f : 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    gl.Finish();
    const std::vector<uint8_t> pixels = gl.ReadPixels();
    ASSERT_EQ(pixels.size(), 64u * 32u * 4u);
    EXPECT_TRUE(pixels[0] == 0 && pixels[2] == 255);  // top-left is blue
    const size_t bottomLeft = (31u * 64u) * 4u;
    EXPECT_TRUE(pixels[bottomLeft] == 255 && pixels[bottomLeft + 2] == 0);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 16);

    HeadlessGL empty;
    EXPECT_FALSE(empty.Create(0, 10));
    EXPECT_FALSE(empty.Error().empty());
}
