#include <gtest/gtest.h>

#include "math/matrix.h"

namespace {

void ExpectNear(VECTOR3D v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-6);
    EXPECT_NEAR(v.y, y, 1e-6);
    EXPECT_NEAR(v.z, z, 1e-6);
}

}  // namespace

TEST(Matrix, DefaultIsIdentityAndTranslationSetsOnlyTheLastColumn) {
    MATRIX m;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.m[i], (i % 5 == 0) ? 1.0 : 0.0) << i;
    m.m[3] = 7.0;
    m.SetTranslation(MakePoint(1, 2, 3));
    EXPECT_EQ(m.m[12], 1.0);
    EXPECT_EQ(m.m[13], 2.0);
    EXPECT_EQ(m.m[14], 3.0);
    EXPECT_EQ(m.m[3], 7.0);
    EXPECT_EQ(m.m[15], 1.0);
}

TEST(Matrix, MatrixFromAngleFollowsItsSignConvention) {
    const MATRIX y90 = MatrixFromAngle(MakePoint(0, 90, 0));
    EXPECT_NEAR(y90.m[2], -1.0, 1e-12);
    EXPECT_NEAR(y90.m[8], 1.0, 1e-12);
    EXPECT_NEAR(y90.m[0], 0.0, 1e-12);
    EXPECT_NEAR(y90.m[10], 0.0, 1e-12);
    ExpectNear(MatrixRotatePoint(y90, MakePoint(1, 0, 0)), 0, 0, -1);

    // About z the matrix turns x towards -y (m1 = -sin z).
    const MATRIX z90 = MatrixFromAngle(MakePoint(0, 0, 90));
    ExpectNear(MatrixRotatePoint(z90, MakePoint(1, 0, 0)), 0, -1, 0);
    EXPECT_EQ(z90.m[15], 1.0);
    EXPECT_EQ(z90.m[12], 0.0);
}

TEST(Matrix, MultiplyAppliesTheRightFactorFirst) {
    MATRIX move;
    move.SetTranslation(MakePoint(5, 0, 0));
    const MATRIX turn = MatrixFromAngle(MakePoint(0, 90, 0));
    // turn first, then move: (1,0,0) -> (0,0,-1) -> (5,0,-1)
    ExpectNear(MatrixPointMultiply(MultiplyMatrix(move, turn), MakePoint(1, 0, 0)), 5, 0, -1);
    // move first, then turn: (1,0,0) -> (6,0,0) -> (0,0,-6)
    ExpectNear(MatrixPointMultiply(MultiplyMatrix(turn, move), MakePoint(1, 0, 0)), 0, 0, -6);

    MATRIX general;
    for (int i = 0; i < 16; ++i) general.m[i] = i + 1;
    const MATRIX product = MultiplyMatrix(general, MATRIX());
    for (int i = 0; i < 16; ++i) EXPECT_EQ(product.m[i], general.m[i]);
    // The bottom row takes part too.
    const MATRIX square = MultiplyMatrix(general, general);
    EXPECT_EQ(square.m[3], 4 * 1 + 8 * 2 + 12 * 3 + 16 * 4);
}

TEST(Matrix, PointTransformsAndTheirInverses) {
    MATRIX m = MatrixFromAngle(MakePoint(30, 40, 50));
    m.SetTranslation(MakePoint(1, -2, 3));
    const VECTOR3D p = MakePoint(0.5f, 2.0f, -1.5f);

    const VECTOR3D full = MatrixPointMultiply(m, p);
    const VECTOR3D composed = MatrixTranslatePoint(m, MatrixRotatePoint(m, p));
    ExpectNear(full, composed.x, composed.y, composed.z);

    const VECTOR3D back = MatrixInverseRotatePoint(m, MatrixInverseTranslatePoint(m, full));
    ExpectNear(back, p.x, p.y, p.z);
    ExpectNear(MatrixTranslatePoint(m, MakePoint(0, 0, 0)), 1, -2, 3);
    ExpectNear(MatrixInverseTranslatePoint(m, MakePoint(1, -2, 3)), 0, 0, 0);
}
