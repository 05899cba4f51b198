// The generator's own pieces: the leg solver, the shapes and their texture layout, the
// timeline's contact with the ground, and the pictures' transparency.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tools/packgen/body.h"
#include "tools/packgen/cat_mesh.h"
#include "tools/packgen/clips.h"
#include "tools/packgen/pictures.h"
#include "tools/packgen/poses.h"
#include "tools/packgen/skins.h"
#include "tools/packgen/toy.h"

namespace {

using namespace packgen;

TEST(LegSolver, PlacesEveryPawOnItsGoalAndBendsTheJointsTheNaturalWay) {
    const auto& skeleton = CatSkeleton();
    for (double pitch : {-0.15, 0.0, 0.05}) {
        for (double dz : {-0.8, 0.0, 0.8}) {
            for (double lift : {0.0, 0.8}) {
                Body b = Stand();
                b.root.x = pitch;
                b.shift.y = -0.9;
                for (int leg = 0; leg < 4; ++leg) MovePaw(b, leg, lift, dz);
                const Pose pose = Solve(b);
                const std::vector<V3> paws = PawPositions(pose);
                const std::vector<MATRIX> abs = ForwardKinematics(skeleton, pose);
                for (int leg = 0; leg < 4; ++leg) {
                    SCOPED_TRACE("leg " + std::to_string(leg) + " pitch " + std::to_string(pitch) +
                                 " dz " + std::to_string(dz));
                    EXPECT_LT(Length(paws[leg] - b.legs[leg].paw), 1e-3);
                    // The middle joint lies behind the line from the upper joint to the wrist
                    // for the front legs (elbows), in front of it for the hind legs (knees).
                    const V3 up = Origin(abs[kLegs[leg].upper]);
                    const V3 mid = Origin(abs[kLegs[leg].middle]);
                    const V3 low = Origin(abs[kLegs[leg].lower]);
                    const double side =
                        (low.y - up.y) * (mid.z - up.z) - (low.z - up.z) * (mid.y - up.y);
                    EXPECT_LT(kLegs[leg].front ? side : -side, 0.0);
                }
            }
        }
    }
    // A goal out of reach: the leg stretches straight towards it.
    Body far = Stand();
    far.legs[0].paw = RestPaw(0) + V3{0, -5.0, -6.0};
    const V3 reached = PawPositions(Solve(far))[0];
    EXPECT_GT(Length(reached - far.legs[0].paw), 3.0);
    EXPECT_LT(reached.z, RestPaw(0).z - 0.5);
}

TEST(CatShape, SurfacesFaceOutwardsAndChartsDoNotOverlap) {
    const CatModel cat = BuildCatModel();
    for (const MeshTriangle& t : cat.mesh.triangles) {
        const V3 p0 = cat.mesh.vertices[t.v[0]].position, p1 = cat.mesh.vertices[t.v[1]].position,
                 p2 = cat.mesh.vertices[t.v[2]].position;
        // Counter-clockwise seen from outside: back-face culling keeps the side we see.
        const V3 facing = Cross(p1 - p0, p2 - p0);
        ASSERT_GT(Dot(facing, t.normal[0] + t.normal[1] + t.normal[2]), 0.0);
        for (int k = 0; k < 3; ++k) ASSERT_NEAR(Length(t.normal[k]), 1.0, 1e-6);
    }
    // Each part paints its own rectangle of the skin and nobody else's.
    const std::vector<const Surface*> parts = cat.Surfaces();
    for (size_t i = 0; i < parts.size(); ++i) {
        const Chart& a = parts[i]->chart;
        EXPECT_TRUE(0 <= a.s0 && a.s0 < a.s1 && a.s1 <= 1 && 0 <= a.t0 && a.t0 < a.t1 && a.t1 <= 1)
            << "part " << i;
        for (size_t j = i + 1; j < parts.size(); ++j) {
            const Chart& b = parts[j]->chart;
            const bool apart = a.s1 <= b.s0 || b.s1 <= a.s0 || a.t1 <= b.t0 || b.t1 <= a.t0;
            EXPECT_TRUE(apart) << "parts " << i << " and " << j;
        }
    }
    // The toy is a closed ball of thread, centred on its origin.
    const Mesh ball = BuildYarnBall();
    V3 centre;
    for (const MeshVertex& v : ball.vertices) centre = centre + v.position;
    EXPECT_LT(Length(centre * (1.0 / ball.vertices.size())), 0.5);
}

TEST(CatTimeline, NoPartSinksIntoTheGround) {
    const auto& skeleton = CatSkeleton();
    const std::vector<Body> frames = BuildTimeline();
    double lowest = 1e9;
    int lowestFrame = 0, lowestJoint = 0;
    for (size_t f = 0; f < frames.size(); ++f) {
        const std::vector<MATRIX> abs = ForwardKinematics(skeleton, Solve(frames[f]));
        for (size_t j = 0; j < abs.size(); ++j) {
            if (Origin(abs[j]).y < lowest) {
                lowest = Origin(abs[j]).y;
                lowestFrame = int(f);
                lowestJoint = int(j);
            }
        }
    }
    EXPECT_GT(lowest, -0.05) << skeleton[lowestJoint].name << " at frame " << lowestFrame;
}

TEST(ScenePictures, TransparencyComesOutWhereTheSceneNeedsIt) {
    // The footprint: brightness becomes alpha, so the print is bright and its surround black.
    const Image paw = PawPrint();
    EXPECT_LT(paw.At(0, 0).r, 0.02);
    EXPECT_LT(paw.At(paw.width - 1, paw.height - 1).r, 0.02);
    EXPECT_GT(paw.At(64, 80).r, 0.7);  // the big pad
    EXPECT_GT(paw.At(51, 34).r, 0.7);  // a toe, towards the top (the cat's forward)

    Font font;
    ASSERT_TRUE(font.Load(kFontPath));
    EXPECT_FALSE(Font().Load("/nonexistent/font.ttf"));
    // Keyed strip: the first pixel the loader reads (bottom left) is the key colour, and the
    // letters are drawn in other colours.
    const Image keyed = MessageStrip(font, kMessages[3], StripBackground::Key);
    const Rgb key = StripKeyColour();
    const Rgb corner = keyed.At(0, keyed.height - 1);
    EXPECT_TRUE(corner.r == key.r && corner.g == key.g && corner.b == key.b);
    int ink = 0, keyLike = 0;
    for (int y = 0; y < keyed.height; ++y)
        for (int x = 0; x < keyed.width; ++x) {
            const Rgb c = keyed.At(x, y);
            ink += c.r > 0.9;
            // Edges of the letters must not take the exact key colour's neighbours: they are
            // either the key (transparent) or clearly not.
            keyLike += c.r > 0.0 && c.r < 0.05;
        }
    EXPECT_GT(ink, 200);
    EXPECT_EQ(keyLike, 0);
    // Transparent strip and corner mark: clear background, opaque letters.
    const Image strip = MessageStrip(font, kMessages[0], StripBackground::Transparent);
    EXPECT_EQ(strip.AlphaAt(0, 0), 0.0);
    const Image mark = CornerMark(font);
    double most = 0;
    for (int x = 0; x < mark.width; ++x) most = std::max(most, mark.AlphaAt(x, 16));
    EXPECT_EQ(most, 1.0);
    EXPECT_LT(mark.AlphaAt(0, 0), 0.1);
}

}  // namespace

namespace {

// The colour the skin holds at (u, v) of a part's chart.
Rgb SkinAt(const Image& skin, const Surface& part, double u, double v) {
    const int x = int((part.chart.s0 + (part.chart.s1 - part.chart.s0) * u) * skin.width);
    const int y = int((part.chart.t0 + (part.chart.t1 - part.chart.t0) * v) * skin.height);
    return skin.At(std::min(x, skin.width - 1), std::min(y, skin.height - 1));
}

const Egg& FirstPart(const CatModel& cat, Part part) {
    for (const Egg& e : cat.eggs)
        if (e.part == part) return e;
    return cat.eggs.front();
}

double Brightness(Rgb c) {
    return (c.r + c.g + c.b) / 3.0;
}

TEST(Coats, EyesNoseAndCoatPatternLandOnTheirParts) {
    const CatModel cat = BuildCatModel();
    const Egg& eye = FirstPart(cat, Part::Eye);
    const Egg& nose = FirstPart(cat, Part::Nose);
    const Tube& body = cat.tubes.front();  // the back from the rump to the neck
    ASSERT_EQ(body.part, Part::Body);
    for (Coat coat : kCoats) {
        const Image skin = PaintCoat(cat, coat);
        // The front of the eye is the slit pupil, dark; beside it the coloured iris.
        EXPECT_LT(Brightness(SkinAt(skin, eye, 0.25, 0.97)), 0.15);
        const Rgb iris = SkinAt(skin, eye, 0.0, 0.62);
        EXPECT_GT(std::max({iris.r, iris.g, iris.b}) - std::min({iris.r, iris.g, iris.b}), 0.15);
        // A pink nose.
        const Rgb n = SkinAt(skin, nose, 0.25, 0.6);
        EXPECT_GT(n.r, n.g + 0.1);
        EXPECT_GT(n.r, n.b + 0.05);
        // Back and belly differ: the underside is lighter than the top of the back.
        const Rgb top = SkinAt(skin, body, 0.25, 0.6), under = SkinAt(skin, body, 0.75, 0.6);
        EXPECT_GT(Brightness(under), Brightness(top)) << int(coat);
    }
    // The tabbies are striped: along the back the brightness swings, the tuxedo's does not.
    auto swing = [&](Coat coat) {
        const Image skin = PaintCoat(cat, coat);
        double lo = 1, hi = 0;
        for (double v = 0.1; v < 0.9; v += 0.01) {
            const double b = Brightness(SkinAt(skin, body, 0.2, v));
            lo = std::min(lo, b);
            hi = std::max(hi, b);
        }
        return hi - lo;
    };
    EXPECT_GT(swing(Coat::GingerTabby), 0.2);
    EXPECT_GT(swing(Coat::SilverTabby), 0.3);
    EXPECT_LT(swing(Coat::Tuxedo), 0.15);
}

}  // namespace
