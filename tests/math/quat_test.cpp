#include <gtest/gtest.h>

#include <cmath>

#include "math/quat.h"

namespace {

void ExpectQuat(const QUAT& q, double x, double y, double z, double w, double eps = 1e-12) {
    EXPECT_NEAR(q.x, x, eps);
    EXPECT_NEAR(q.y, y, eps);
    EXPECT_NEAR(q.z, z, eps);
    EXPECT_NEAR(q.w, w, eps);
}

}  // namespace

TEST(Quat, RotationToQuatAndBackAgreeWithTheAngleMatrix) {
    ExpectQuat(QUAT(), 0, 0, 0, 1);
    const double h = std::sqrt(0.5);
    ExpectQuat(RotationToQuat(MakePoint(0, 0, 90)), 0, 0, h, h);

    // A single-axis quaternion matrix turns +x to +y about z (right-handed).
    const MATRIX z90 = QuatToRotationMatrix(RotationToQuat(MakePoint(0, 0, 90)));
    const VECTOR3D turned = MatrixRotatePoint(z90, MakePoint(1, 0, 0));
    EXPECT_NEAR(turned.x, 0.0f, 1e-6);
    EXPECT_NEAR(turned.y, 1.0f, 1e-6);

    // X first, then Y, then Z: R = Rz * Ry * Rx.
    const VECTOR3D a = MakePoint(20, 35, -50);
    const MATRIX combined = QuatToRotationMatrix(RotationToQuat(a));
    const MATRIX rx = QuatToRotationMatrix(RotationToQuat(MakePoint(a.x, 0, 0)));
    const MATRIX ry = QuatToRotationMatrix(RotationToQuat(MakePoint(0, a.y, 0)));
    const MATRIX rz = QuatToRotationMatrix(RotationToQuat(MakePoint(0, 0, a.z)));
    const MATRIX expected = MultiplyMatrix(rz, MultiplyMatrix(ry, rx));
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(combined.m[i], expected.m[i], 1e-12) << i;
}

TEST(Quat, QuatToRotationMatrixDoesNotNormalise) {
    QUAT doubled;
    doubled.w = 2.0;
    const MATRIX m = QuatToRotationMatrix(doubled);
    EXPECT_EQ(m.m[0], 1.0);  // 1 - 2(y^2 + z^2) with zero vector part
    QUAT skew{1, 0, 0, 0};
    EXPECT_EQ(QuatToRotationMatrix(skew).m[5], -1.0);
}

TEST(Quat, SlerpEndsShorterArcAndLinearBranch) {
    const QUAT a = RotationToQuat(MakePoint(0, 0, 0));
    const QUAT b = RotationToQuat(MakePoint(0, 90, 0));
    const QUAT start = QuatSlerp(&a, &b, 0.0);
    ExpectQuat(start, a.x, a.y, a.z, a.w);
    const QUAT end = QuatSlerp(&a, &b, 1.0);
    ExpectQuat(end, b.x, b.y, b.z, b.w);
    const QUAT mid = QuatSlerp(&a, &b, 0.5);
    const QUAT expectedMid = RotationToQuat(MakePoint(0, 45, 0));
    ExpectQuat(mid, expectedMid.x, expectedMid.y, expectedMid.z, expectedMid.w, 1e-9);

    // A negative dot product takes the negated target.
    const QUAT negB{-b.x, -b.y, -b.z, -b.w};
    const QUAT viaNeg = QuatSlerp(&a, &negB, 1.0);
    ExpectQuat(viaNeg, b.x, b.y, b.z, b.w);

    // Equal inputs take the linear branch and return the input, inputs untouched.
    const QUAT same = QuatSlerp(&b, &b, 0.3);
    ExpectQuat(same, b.x, b.y, b.z, b.w);
    ExpectQuat(negB, -b.x, -b.y, -b.z, -b.w);
}
