#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "math/vector3d.h"

TEST(Vector, NormalizeScalesToUnitLengthAndLeavesZeroAlone) {
    VECTOR3D zero{0, 0, 0};
    zero.Normalize();
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);

    VECTOR3D v{3, 0, 4};
    v.Normalize();
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.0f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);

    const VECTOR3D half = VECTOR3D{2, 4, 6} / 2.0f;
    EXPECT_EQ(half.x, 1.0f);
    EXPECT_EQ(half.y, 2.0f);
    EXPECT_EQ(half.z, 3.0f);
}

TEST(Vector, DistanceIsTheSquaredDistance) {
    EXPECT_DOUBLE_EQ(DistanceBetweenVectors(MakePoint(0, 0, 0), MakePoint(3, 4, 0)), 25.0);
    EXPECT_DOUBLE_EQ(DistanceBetweenVectors(MakePoint(1, 1, 1), MakePoint(1, 1, 1)), 0.0);
}

TEST(Vector, AngleBetweenVectorsEncodesAxisTimesDegrees) {
    // Equal points: d becomes (0.1, 0, 1), a small finite turn about +Y.
    const VECTOR3D same = AngleBetweenVectors(MakePoint(2, 0, 2), MakePoint(2, 0, 2));
    EXPECT_TRUE(std::isfinite(same.x) && std::isfinite(same.y) && std::isfinite(same.z));
    EXPECT_NEAR(same.y, std::acos(1.0 / std::sqrt(1.01)) * 180.0 / M_PI, 1e-4);

    // Straight along +X (far enough that no nudge applies): a quarter turn about +Y.
    const VECTOR3D east = AngleBetweenVectors(MakePoint(0, 0, 0), MakePoint(10, 0, 0));
    EXPECT_NEAR(east.y, 90.0f, 1e-4);
    EXPECT_EQ(east.x, 0.0f);
    EXPECT_EQ(east.z, 0.0f);

    // Straight along -X: a quarter turn about -Y.
    const VECTOR3D west = AngleBetweenVectors(MakePoint(0, 0, 0), MakePoint(-10, 0, 0));
    EXPECT_NEAR(west.y, -90.0f, 1e-4);

    // Straight ahead (+Z): the nudge of 0.1 on x gives a small positive yaw.
    const VECTOR3D ahead = AngleBetweenVectors(MakePoint(0, 0, 0), MakePoint(0, 0, 10));
    EXPECT_NEAR(ahead.y, std::atan2(0.1, 10.0) * 180.0 / M_PI, 1e-4);
}

TEST(Vector, RotateTurnsAboutXThenYThenZ) {
    VECTOR3D v{1.25f, -3.5f, 7.0f};
    const VECTOR3D before = v;
    Rotate(&v, 0, 0, 0);
    EXPECT_EQ(std::memcmp(&v, &before, sizeof v), 0);

    VECTOR3D up{0, 1, 0};
    Rotate(&up, 90, 0, 0);  // about X: y -> z
    EXPECT_NEAR(up.y, 0.0f, 1e-6);
    EXPECT_NEAR(up.z, 1.0f, 1e-6);

    VECTOR3D x{1, 0, 0};
    Rotate(&x, 0, 90, 0);  // about Y: x -> -z
    EXPECT_NEAR(x.x, 0.0f, 1e-6);
    EXPECT_NEAR(x.z, -1.0f, 1e-6);

    VECTOR3D chain{0, 1, 0};
    Rotate(&chain, 90, 90, 0);  // y -> z, then z -> x
    EXPECT_NEAR(chain.x, 1.0f, 1e-6);
    EXPECT_NEAR(chain.y, 0.0f, 1e-6);
    EXPECT_NEAR(chain.z, 0.0f, 1e-6);

    VECTOR3D z{1, 0, 0};
    Rotate(&z, 0, 0, 90);  // about Z: x -> y
    EXPECT_NEAR(z.x, 0.0f, 1e-6);
    EXPECT_NEAR(z.y, 1.0f, 1e-6);
}
