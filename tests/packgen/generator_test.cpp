// The generator's own pieces: the shapes, the timeline's contact with the ground, the coats and
// the exported timeline as the engine plays it.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/packgen/generated_art.h"
#include "tools/packgen/body.h"
#include "tools/packgen/cat_mesh.h"
#include "tools/packgen/clips.h"
#include "tools/packgen/poses.h"
#include "tools/packgen/skins.h"

namespace {

using namespace packgen;

TEST(CatShape, SurfacesFaceOutwards) {
    const CatModel cat = BuildCatModel();
    for (const MeshTriangle& t : cat.mesh.triangles) {
        const V3 p0 = cat.mesh.vertices[t.v[0]].position, p1 = cat.mesh.vertices[t.v[1]].position,
                 p2 = cat.mesh.vertices[t.v[2]].position;
        // Counter-clockwise seen from outside: back-face culling keeps the side we see.
        const V3 facing = Cross(p1 - p0, p2 - p0);
        ASSERT_GT(Dot(facing, t.normal[0] + t.normal[1] + t.normal[2]), 0.0);
        for (int k = 0; k < 3; ++k) ASSERT_NEAR(Length(t.normal[k]), 1.0, 1e-6);
    }
}

TEST(CatTimeline, NoPartSinksIntoTheGround) {
    const auto& skeleton = CatSkeleton();
    const std::vector<Body> frames = BuildTimeline();
    for (size_t f = 0; f < frames.size(); ++f) {
        const std::vector<MATRIX> abs = ForwardKinematics(skeleton, Solve(frames[f]));
        for (size_t j = 0; j < abs.size(); ++j)
            ASSERT_GT(Origin(abs[j]).y, -0.05) << skeleton[j].name << " at frame " << f;
    }
}

// The brightness the skin holds at (u, v) of a part's chart.
double BrightnessAt(const Image& skin, const Surface& part, double u, double v) {
    const int x = int((part.chart.s0 + (part.chart.s1 - part.chart.s0) * u) * skin.width);
    const int y = int((part.chart.t0 + (part.chart.t1 - part.chart.t0) * v) * skin.height);
    const Rgb c = skin.At(std::min(x, skin.width - 1), std::min(y, skin.height - 1));
    return (c.r + c.g + c.b) / 3.0;
}

TEST(Coats, PupilsUndersideAndStripesLandOnTheirParts) {
    const CatModel cat = BuildCatModel();
    const Egg eye = *std::find_if(cat.eggs.begin(), cat.eggs.end(),
                                  [](const Egg& e) { return e.part == Part::Eye; });
    const Tube& body = cat.tubes.front();  // the back from the rump to the neck
    ASSERT_EQ(body.part, Part::Body);
    for (Coat coat : kCoats) {
        SCOPED_TRACE(int(coat));
        const Image skin = PaintCoat(cat, coat);
        // The front of the eye is the slit pupil, dark.
        EXPECT_LT(BrightnessAt(skin, eye, 0.25, 0.97), 0.15);
        // The underside is lighter than the top of the back.
        EXPECT_GT(BrightnessAt(skin, body, 0.75, 0.6), BrightnessAt(skin, body, 0.25, 0.6));
        // The tabbies are striped: along the back the brightness swings, the tuxedo's does not.
        double lo = 1, hi = 0;
        for (double v = 0.1; v < 0.9; v += 0.01) {
            lo = std::min(lo, BrightnessAt(skin, body, 0.2, v));
            hi = std::max(hi, BrightnessAt(skin, body, 0.2, v));
        }
        EXPECT_TRUE(coat == Coat::Tuxedo ? hi - lo < 0.15 : hi - lo > 0.2) << hi - lo;
    }
}

using AnimationExport = generated_art::CatTest;

TEST_F(AnimationExport, TheEngineReproducesEveryGeneratedPose) {
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
