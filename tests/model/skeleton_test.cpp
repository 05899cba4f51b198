// Where the bind pose puts vertices and normals is checked through playback, whose poses start
// from it; here, how the skeleton is built from the file's joints.
#include <gtest/gtest.h>

#include "model_fixtures.h"

using namespace model_fixtures;

TEST(Skeleton, ParentsAreResolvedByNameAndRotationsConvertedOnce) {
    MS3D m;
    m.joints = {Joint("hip", "", MakePoint(0, 1.5707964f, 0), MakePoint(0, 0, 0)),
                Joint("leg", "nobody", MakePoint(0, 0, 0), MakePoint(0, 0, 0)),
                Joint("hip", "hip", MakePoint(0, 0, 0), MakePoint(0, 0, 0)),
                Joint("self", "self", MakePoint(0, 0, 0.3f), MakePoint(1, 2, 3))};
    SyncMS3DCounts(&m);
    m.InitialSetup();
    ASSERT_EQ(m.skeleton.size(), 4u);
    EXPECT_NEAR(m.skeleton[0].rotation.y, 90.0f, 1e-4f);
    EXPECT_EQ(m.joints[0].rotation[1], m.skeleton[0].rotation.y);  // converted in place
    EXPECT_EQ(m.skeleton[1].parent, -1);                           // names no joint
    EXPECT_EQ(m.skeleton[2].parent, 0);  // two joints named "hip": the first
    // A joint naming itself is a root: as its own parent it would compound its own pose.
    EXPECT_EQ(m.skeleton[3].parent, -1);
    EXPECT_EQ(m.skeleton[3].absolute.m[13], 2.0);
    // Running it again changes nothing: the angles are converted once.
    const std::vector<uint8_t> once = Bytes(m);
    ASSERT_FALSE(once.empty());
    m.InitialSetup();
    EXPECT_EQ(Bytes(m), once);
}
