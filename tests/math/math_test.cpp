#include <gtest/gtest.h>

#include <cmath>

#include "math/matrix.h"
#include "math/quat.h"
#include "math/vector3d.h"

namespace {

void ExpectNear(VECTOR3D v, float x, float y, float z, double eps = 1e-6) {
    EXPECT_NEAR(v.x, x, eps);
    EXPECT_NEAR(v.y, y, eps);
    EXPECT_NEAR(v.z, z, eps);
}

VECTOR3D Rotated(VECTOR3D v, float ax, float ay, float az) {
    Rotate(&v, ax, ay, az);
    return v;
}

}  // namespace

TEST(Vector, NormalizeDistanceRotationAndTheAngleTowardsAPoint) {
    VECTOR3D zero, v{3, 0, 4};
    zero.Normalize();
    v.Normalize();
    ExpectNear(zero, 0, 0, 0, 0.0);
    ExpectNear(v, 0.6f, 0, 0.8f);
    ExpectNear(VECTOR3D{2, 4, 6} / 2.0f, 1, 2, 3, 0.0);
    EXPECT_DOUBLE_EQ(DistanceBetweenVectors(MakePoint(1, 1, 1), MakePoint(4, 5, 1)), 25.0);
    ExpectNear(Rotated({0, 1, 0}, 90, 0, 0), 0, 0, 1);   // about x: y -> z
    ExpectNear(Rotated({1, 0, 0}, 0, 90, 0), 0, 0, -1);  // about y: x -> -z
    ExpectNear(Rotated({1, 0, 0}, 0, 0, 90), 0, 1, 0);   // about z: x -> y
    ExpectNear(Rotated({0, 1, 0}, 90, 90, 0), 1, 0, 0);  // y -> z, then z -> x
    // AngleBetweenVectors turns z towards the target, and stays finite on the spot.
    ExpectNear(AngleBetweenVectors(MakePoint(0, 0, 0), MakePoint(10, 0, 0)), 0, 90, 0, 1e-4);
    ExpectNear(AngleBetweenVectors(MakePoint(1, 0, 1), MakePoint(-9, 0, 1)), 0, -90, 0, 1e-4);
    // Straight ahead or on the spot, the nudge of 0.1 on x gives a small positive yaw.
    ExpectNear(AngleBetweenVectors(MakePoint(0, 0, 0), MakePoint(0, 0, 10)), 0,
               std::atan2(0.1, 10.0) * 180.0 / M_PI, 0, 1e-4);
    ExpectNear(AngleBetweenVectors(MakePoint(2, 0, 2), MakePoint(2, 0, 2)), 0,
               std::atan2(0.1, 1.0) * 180.0 / M_PI, 0, 1e-4);
}

TEST(Matrix, ConventionsProductOrderAndInverses) {
    MATRIX m;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.m[i], (i % 5 == 0) ? 1.0 : 0.0) << i;
    m.m[3] = 7.0;
    m.SetTranslation(MakePoint(1, 2, 3));  // the last column only
    EXPECT_TRUE(m.m[12] == 1.0 && m.m[13] == 2.0 && m.m[14] == 3.0 && m.m[3] == 7.0);
    const MATRIX turn = MatrixFromAngle(MakePoint(0, 90, 0));
    ExpectNear(MatrixRotatePoint(turn, MakePoint(1, 0, 0)), 0, 0, -1);
    // About z the angle matrix turns x towards -y, the other way from Rotate.
    ExpectNear(MatrixRotatePoint(MatrixFromAngle(MakePoint(0, 0, 90)), MakePoint(1, 0, 0)), 0, -1,
               0);
    MATRIX move;
    move.SetTranslation(MakePoint(5, 0, 0));
    // The right factor acts first.
    ExpectNear(MatrixPointMultiply(MultiplyMatrix(move, turn), MakePoint(1, 0, 0)), 5, 0, -1);
    ExpectNear(MatrixPointMultiply(MultiplyMatrix(turn, move), MakePoint(1, 0, 0)), 0, 0, -6);
    MATRIX a = MatrixFromAngle(MakePoint(30, 40, 50));
    a.SetTranslation(MakePoint(1, -2, 3));
    const VECTOR3D p = MakePoint(0.5f, 2.0f, -1.5f), full = MatrixPointMultiply(a, p);
    const VECTOR3D composed = MatrixTranslatePoint(a, MatrixRotatePoint(a, p));
    ExpectNear(full, composed.x, composed.y, composed.z);
    ExpectNear(MatrixInverseRotatePoint(a, MatrixInverseTranslatePoint(a, full)), p.x, p.y, p.z);
}

TEST(Quat, RotationsComposeXThenYThenZAndSlerpTakesTheShorterArc) {
    const VECTOR3D angles = MakePoint(20, 35, -50);
    const MATRIX combined = QuatToRotationMatrix(RotationToQuat(angles));
    const MATRIX rx = QuatToRotationMatrix(RotationToQuat(MakePoint(angles.x, 0, 0)));
    const MATRIX ry = QuatToRotationMatrix(RotationToQuat(MakePoint(0, angles.y, 0)));
    const MATRIX rz = QuatToRotationMatrix(RotationToQuat(MakePoint(0, 0, angles.z)));
    const MATRIX expected = MultiplyMatrix(rz, MultiplyMatrix(ry, rx));
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(combined.m[i], expected.m[i], 1e-12) << i;
    ExpectNear(MatrixRotatePoint(rz, MakePoint(1, 0, 0)), std::cos(50 * M_PI / 180),
               -std::sin(50 * M_PI / 180), 0, 1e-5);
    QUAT doubled;  // not normalised: a short blend of keys stays as short as it is
    doubled.w = 2.0, doubled.x = 1.0;
    EXPECT_EQ(QuatToRotationMatrix(doubled).m[5], -1.0);
    const QUAT a, b = RotationToQuat(MakePoint(0, 90, 0)), negB{-b.x, -b.y, -b.z, -b.w};
    const QUAT expectedMid = RotationToQuat(MakePoint(0, 45, 0));
    const QUAT cases[][3] = {{a, b, b}, {a, negB, b}, {b, b, b}};  // from, to, at t = 1
    for (const auto& c : cases) {
        const QUAT q = QuatSlerp(&c[0], &c[1], 1.0);
        EXPECT_NEAR(std::fabs(q.x - c[2].x) + std::fabs(q.y - c[2].y) + std::fabs(q.w - c[2].w), 0,
                    1e-9);
    }
    const QUAT mid = QuatSlerp(&a, &b, 0.5);
    EXPECT_NEAR(mid.y, expectedMid.y, 1e-9);
    EXPECT_NEAR(mid.w, expectedMid.w, 1e-9);
}
