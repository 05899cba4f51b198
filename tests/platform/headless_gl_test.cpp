#include <gtest/gtest.h>

#include <GL/gl.h>

#include "platform/headless_gl.h"

TEST(HeadlessGL, ClearsAndReadsBackWithoutADisplay) {
    HeadlessGL gl;
    ASSERT_TRUE(gl.Create(64, 32)) << gl.Error();
    EXPECT_EQ(gl.Width(), 64);
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    ASSERT_NE(renderer, nullptr);

    // Lower half red, upper half blue: the read-back must come top row first.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 64, 16);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, 16, 64, 16);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    gl.Finish();

    const std::vector<uint8_t> pixels = gl.ReadPixels();
    ASSERT_EQ(pixels.size(), 64u * 32u * 4u);
    EXPECT_EQ(pixels[0], 0);  // top-left is blue
    EXPECT_EQ(pixels[2], 255);
    const size_t bottomLeft = (31u * 64u) * 4u;
    EXPECT_EQ(pixels[bottomLeft], 255);  // bottom-left is red
    EXPECT_EQ(pixels[bottomLeft + 2], 0);

    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 16);
}

TEST(HeadlessGL, RefusesAnEmptySize) {
    HeadlessGL gl;
    EXPECT_FALSE(gl.Create(0, 10));
    EXPECT_FALSE(gl.Error().empty());
}
