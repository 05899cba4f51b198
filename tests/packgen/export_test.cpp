// The generator's poses against what the engine makes of the exported keys.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/packgen/generated_art.h"
#include "tools/packgen/body.h"
#include "tools/packgen/clips.h"
#include "tools/packgen/ms3d_export.h"

namespace {

using namespace packgen;

TEST(AnimationExport, KeysOnlyWhereInterpolationWouldMissAndAlwaysWherePinned) {
    const std::vector<Joint> skeleton = {{"root", -1, {0, 1, 0}}, {"arm", 0, {0, 2, 0}}};
    std::vector<Pose> frames;
    for (int f = 0; f <= 20; ++f) {
        Pose p = BindPose(2);
        p.rotation[1].x = 0.02 * f;          // a steady turn: two keys describe it
        if (f >= 15) p.rotation[1].x = 1.0;  // then a jump to a held pose
        p.rootOffset = {0, 0.1 * f, 0};      // a steady rise
        frames.push_back(p);
    }
    std::vector<bool> pinned(frames.size(), false);
    pinned[7] = true;
    MS3D m;
    AddAnimation(m, skeleton, frames, 30.0f, pinned);
    ASSERT_EQ(m.jointCount, 2);
    std::vector<int> keyed;
    for (const MS3DKEY& k : m.joints[1].rotationKeys)
        keyed.push_back(int(std::lround(k.time * 30)));
    EXPECT_EQ(keyed, (std::vector<int>{0, 7, 14, 15, 20}));
    EXPECT_FLOAT_EQ(m.joints[1].rotationKeys[2].x, 0.28f);
    // The root's rise needs no key between the ends and the pinned frame.
    ASSERT_EQ(m.joints[0].translationKeyCount, 3);
    EXPECT_FLOAT_EQ(m.joints[0].translationKeys[2].y, 2.0f);
    // Other joints keep their bind offset through one still translation key.
    ASSERT_EQ(m.joints[1].translationKeyCount, 1);
    EXPECT_FLOAT_EQ(m.joints[1].position[1], 1.0f);
    EXPECT_STREQ(m.joints[1].parentName, "root");
}

TEST(AnimationExport, TheEngineReproducesEveryGeneratedPose) {
    generated_art::Cat* cat = generated_art::LoadedCat();
    ASSERT_NE(cat, nullptr);
    const std::vector<Body> timeline = BuildTimeline();
    ASSERT_GT(int(timeline.size()), kDogAnimLastFrame);
    const auto& skeleton = CatSkeleton();
    double worst = 0;
    int worstFrame = 0;
    for (int f = 0; f <= kDogAnimLastFrame; f += 3) {
        cat->instance.SetAnimation(0, kDogAnimLastFrame, 1000.0, false, false);
        cat->instance.Animate(f / double(kDogAnimFps));
        cat->instance.UpdateSkeleton();
        const std::vector<MATRIX> expected = ForwardKinematics(skeleton, Solve(timeline[f]));
        for (size_t j = 0; j < skeleton.size(); ++j) {
            const V3 e = Origin(expected[j]) * 0.25;
            const VECTOR3D got = MatrixPointMultiply(cat->instance.joints[j].absolute, VECTOR3D{});
            const double d = Length(e - V3{got.x, got.y, got.z});
            if (d > worst) worst = d, worstFrame = f;
        }
    }
    // Within a few millimetres of a one-metre cat, anywhere on the timeline.
    EXPECT_LT(worst, 0.01) << "at frame " << worstFrame;
}

}  // namespace
