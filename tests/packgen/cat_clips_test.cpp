// The generated cat as the cats load it: its skeleton, timeline, mesh, size and facing, and its
// clips played through the engine's model instance, as the cats play them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "tests/packgen/generated_art.h"

using namespace generated_art;

namespace {

using GeneratedClips = generated_art::CatTest;

constexpr double kFootDown = 0.175;  // world units: below it a paw lays a footprint
constexpr double kEnd = 1e3;  // seconds: past the end of every clip, which holds its last pose

// The largest distance between the same joint in two poses, in world units.
double PoseDistance(const std::vector<VECTOR3D>& a, const std::vector<VECTOR3D>& b) {
    double worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::sqrt(DistanceBetweenVectors(a[i], b[i])));
    return worst;
}

TEST_F(GeneratedClips, WalkingPawsPlantAtTheGaitSpeedAndLiftOncePerStep) {
    PoseAt(cat->instance, 0, 0.0);
    const auto standing = Paws(cat->instance);
    const double dt = 0.5 / kDogAnimFps;  // two samples a frame
    for (const WALKCLIP& walk : walkClips) {
        std::vector<std::array<VECTOR3D, 4>> track;  // every paw, from the first frame to the last
        for (int i = 0; i * dt <= ClipSeconds(walk.clip) + dt / 2; ++i) {
            PoseAt(cat->instance, walk.clip, i * dt);
            track.push_back(Paws(cat->instance));
        }
        int steps[4] = {0, 0, 0, 0};
        for (int foot = 0; foot < 4; ++foot) {
            SCOPED_TRACE("walk clip " + std::to_string(walk.clip) + " foot " +
                         std::to_string(foot));
            auto y = [&](size_t i) { return double(track[i][foot].y); };
            // The cat moves forward (+z) at the gait speed, so a planted paw's world position
            // is its position relative to the cat plus the distance walked.
            auto worldZ = [&](size_t i) { return track[i][foot].z + walk.gait * dt * i; };
            // Down on the ground: at the standing paw's height, give or take a centimetre.
            auto planted = [&](size_t i) { return y(i) < standing[foot].y + 0.01; };
            int lifts = 0;
            for (size_t i = 1; i < track.size(); ++i) {
                steps[foot] += y(i - 1) >= kFootDown && y(i) < kFootDown;
                lifts += y(i - 1) < kFootDown && y(i) >= kFootDown;
            }
            EXPECT_GE(steps[foot], 1) << "never lays a print";
            EXPECT_EQ(steps[foot], lifts);
            // A looping clip starts and ends with the paw at the same height: no step is lost
            // or doubled at the seam.
            EXPECT_NEAR(y(0), y(track.size() - 1), 0.01);
            // A planted paw stays put in the world: it slides under a tenth of a stride.
            const double stride = walk.gait * ClipSeconds(walk.clip) / std::max(1, steps[foot]);
            double worstSlide = 0;
            size_t plantedSamples = 0;
            for (size_t i = 0; i < track.size(); ++i) {
                if (!planted(i)) continue;
                double lo = worldZ(i), hi = lo;
                for (; i + 1 < track.size() && planted(i + 1); ++i, ++plantedSamples) {
                    lo = std::min(lo, worldZ(i + 1));
                    hi = std::max(hi, worldZ(i + 1));
                }
                ++plantedSamples;
                worstSlide = std::max(worstSlide, hi - lo);
            }
            EXPECT_GT(plantedSamples, track.size() / 6) << "hardly down";
            EXPECT_LT(worstSlide, stride * 0.1) << "slides";
        }
        // Every paw takes the same number of steps in a clip.
        EXPECT_TRUE(steps[0] == steps[1] && steps[0] == steps[2] && steps[0] == steps[3])
            << steps[0] << " " << steps[1] << " " << steps[2] << " " << steps[3];
    }
}

TEST_F(GeneratedClips, LoopsChainsAndIdleClipsJoinWithoutAJump) {
    ONEMODEL& m = cat->instance;
    constexpr double kBound = 0.01;  // world units, about a tenth of a paw
    // The standing pose (before the first clip) is where the walk blends from and where idle
    // clips start, and where their chains end.
    const std::vector<VECTOR3D> stand = PoseAt(m, 0, 0.0);
    // Every joint is keyed up to the last frame that a clip uses.
    for (const MS3DJOINT& j : cat->model.joints) {
        ASSERT_GT(j.rotationKeyCount, 0) << j.name;
        EXPECT_GE(j.rotationKeys.back().time, float(kDogAnimLastFrame) / kDogAnimFps - 1e-3f);
    }
    for (int c = 0; c < kDogAnimCount; ++c) {
        const DOGANIM& clip = dogAnims[c];
        if (clip.repeat) {
            EXPECT_LT(PoseDistance(PoseAt(m, c, 0.0), PoseAt(m, c, kEnd)), kBound) << "clip " << c;
        }
        if (clip.next >= 0 && !dogAnims[clip.next].blend) {
            EXPECT_LT(PoseDistance(PoseAt(m, c, kEnd), PoseAt(m, clip.next, 0.0)), kBound)
                << "clip " << c << " into " << clip.next;
        }
    }
    for (int idle : idleClips) {
        EXPECT_LT(PoseDistance(PoseAt(m, idle, 0.0), stand), kBound) << "idle clip " << idle;
        int last = idle;
        while (dogAnims[last].next >= 0 && !dogAnims[dogAnims[last].next].blend)
            last = dogAnims[last].next;
        if (dogAnims[last].next < 0) {  // not handing over to a clip that blends
            EXPECT_LT(PoseDistance(PoseAt(m, last, kEnd), stand), kBound) << "idle clip " << idle;
        }
    }
}

// The extent of a set of bind-pose vertices (model space at the default scale).
struct Extent {
    float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
    void Add(const float* p) {
        for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], p[k]), hi[k] = std::max(hi[k], p[k]);
    }
    float Size(int k) const { return hi[k] - lo[k]; }
};

TEST_F(GeneratedClips, SizeFacingAndTheProportionsOfADomesticCat) {
    const MS3D& m = cat->bind;  // model space, scaled by 0.25
    // The footprint joints are the paws: low in the bind pose, one under each corner of the cat.
    std::set<std::pair<bool, bool>> corners;
    float pawZ[4];
    for (int foot = 0; foot < 4; ++foot) {
        const VECTOR3D p =
            MatrixPointMultiply(cat->model.skeleton[dogFeet[0][foot]].absolute, VECTOR3D{});
        EXPECT_LT(p.y, kFootDown) << "paw " << foot << " is above the footprint height";
        corners.insert({p.x > 0, p.z > 0});
        pawZ[foot] = p.z;
    }
    EXPECT_EQ(corners.size(), 4u);
    const float frontPawZ = pawZ[0], hindPawZ = pawZ[2];
    Extent all, body, tail, head;
    float shoulder = 0.0f;
    for (const MS3DVERTEX& v : m.vertices) {
        ASSERT_GE(v.jointIndex, 0) << "a vertex on no joint stays behind when the cat moves";
        const std::string joint = m.joints[v.jointIndex].name;
        all.Add(v.position);
        Extent& part = joint.rfind("tail", 0) == 0 ? tail : body;
        part.Add(v.position);
        for (const char* p : {"head", "jaw", "tongue", "eye", "nose", "whisker", "cheek", "chin"})
            if (joint.rfind(p, 0) == 0) head.Add(v.position);
        if (&part == &body && std::fabs(v.position[2] - frontPawZ) < 0.1f &&
            std::fabs(v.position[0]) < 0.1f)
            shoulder = std::max(shoulder, v.position[1]);
    }
    // Paws on the ground, the nose foremost (towards -z), the hind paws behind, a shoulder of
    // 1.2 world units.
    EXPECT_NEAR(all.lo[1], 0.0f, 0.02f);
    EXPECT_EQ(all.lo[2], head.lo[2]);
    EXPECT_GT(hindPawZ, 0.0f);
    EXPECT_NEAR(shoulder, 1.2f, 0.15f);
    // Nose to rump about twice the shoulder height, a tail over half that, the head above the
    // back.
    const float length = body.Size(2);
    const float tailLength = tail.hi[2] - body.hi[2] + 0.1f;  // its root lies inside the rump
    EXPECT_TRUE(length / shoulder >= 1.8f && length / shoulder <= 2.0f) << length / shoulder;
    EXPECT_TRUE(tailLength / length >= 0.55f && tailLength / length <= 0.7f) << tailLength;
    EXPECT_TRUE(head.hi[1] > shoulder && head.hi[1] < shoulder * 1.3f) << head.hi[1];
    // A head about a fifth of the length and nearly as wide as long; from above, the chest and
    // the haunches about a quarter of the length wide.
    EXPECT_TRUE(head.Size(2) / length >= 0.17f && head.Size(2) / length <= 0.23f);
    EXPECT_TRUE(head.Size(0) / head.Size(2) >= 0.8f && head.Size(0) / head.Size(2) <= 1.0f);
    for (float z : {frontPawZ, hindPawZ}) {
        Extent slice;
        for (const MS3DVERTEX& v : m.vertices)
            if (std::fabs(v.position[2] - z) < 0.05f * length &&
                std::string(m.joints[v.jointIndex].name).rfind("tail", 0) != 0)
                slice.Add(v.position);
        EXPECT_TRUE(slice.Size(0) / length >= 0.22f && slice.Size(0) / length <= 0.28f) << z;
    }
}

// The back seen from above: the joints from the chest back to the pelvis (found by name and
// parent, so the check does not depend on how many there are) and the triangles whose three
// corners move with them.
struct Back {
    std::vector<int> joints;  // pelvis first
    std::vector<std::array<int, 3>> triangles;
};

Back FindBack(const MS3D& m) {
    Back back;
    for (int j = 0; j < m.jointCount; ++j)
        if (std::string(m.joints[j].name) == "chest")
            for (int k = j; k >= 0; k = m.ParentOf(k)) back.joints.insert(back.joints.begin(), k);
    auto onBack = [&](int vertex) {
        const int j = m.vertices[vertex].jointIndex;
        return std::find(back.joints.begin(), back.joints.end(), j) != back.joints.end();
    };
    for (const MS3DTRIANGLE& t : m.triangles)
        if (onBack(t.vertexIndices[0]) && onBack(t.vertexIndices[1]) && onBack(t.vertexIndices[2]))
            back.triangles.push_back({t.vertexIndices[0], t.vertexIndices[1], t.vertexIndices[2]});
    return back;
}

// Width from above of the posed mesh where a vertical plane through `at`, across the
// horizontal direction `along`, cuts it: the lateral extent of the cut's edge crossings.
double WidthAcross(const std::vector<VECTOR3D>& posed, const Back& back, VECTOR3D at, double alongX,
                   double alongZ) {
    double lo = 1e9, hi = -1e9;
    for (const auto& t : back.triangles)
        for (int k = 0; k < 3; ++k) {
            const VECTOR3D a = posed[t[k]], b = posed[t[(k + 1) % 3]];
            const double sa = (a.x - at.x) * alongX + (a.z - at.z) * alongZ;
            const double sb = (b.x - at.x) * alongX + (b.z - at.z) * alongZ;
            if ((sa < 0) == (sb < 0)) continue;
            const double f = sa / (sa - sb);
            const double x = a.x + (b.x - a.x) * f - at.x, z = a.z + (b.z - a.z) * f - at.z;
            const double side = -x * alongZ + z * alongX;
            lo = std::min(lo, side);
            hi = std::max(hi, side);
        }
    return hi - lo;
}

constexpr int kSteps = 4;  // widths sampled from one joint of the back to the next

// Widths from above at every joint of the back and at kSteps - 1 points between each two, each
// across the local direction of the spine; 0 where the back stands rather than lies (a cat
// rearing up has no width from above to speak of).
std::vector<double> WidthsAlongTheBack(const ONEMODEL& cat, const MS3D& model, const Back& back) {
    std::vector<VECTOR3D> posed(model.vertexCount);
    for (int v = 0; v < model.vertexCount; ++v) {
        const float* p = model.vertices[v].position;
        posed[v] = MatrixPointMultiply(cat.joints[model.vertices[v].jointIndex].absolute,
                                       MakePoint(p[0], p[1], p[2]));
    }
    std::vector<double> widths;
    for (size_t j = 0; j + 1 < back.joints.size(); ++j) {
        const VECTOR3D a = MatrixPointMultiply(cat.joints[back.joints[j]].absolute, VECTOR3D{});
        const VECTOR3D b = MatrixPointMultiply(cat.joints[back.joints[j + 1]].absolute, VECTOR3D{});
        const double dx = b.x - a.x, dz = b.z - a.z, d = std::hypot(dx, dz);
        const bool lying = d > 0.7 * std::sqrt(DistanceBetweenVectors(a, b));
        for (int s = 0; s < kSteps + (j + 2 == back.joints.size()); ++s) {
            const double u = double(s) / kSteps;
            const VECTOR3D at = MakePoint(float(a.x + dx * u), 0, float(a.z + dz * u));
            widths.push_back(lying ? WidthAcross(posed, back, at, dx / d, dz / d) : 0.0);
        }
    }
    return widths;
}

// The deepest notch, as a share of the width there: a width below both widths half a joint's
// spacing before and after it.
double DeepestNotch(const std::vector<double>& widths) {
    constexpr size_t kReach = kSteps / 2;
    double deepest = 0;
    for (size_t i = kReach; i + kReach < widths.size(); ++i) {
        const double around = std::min(widths[i - kReach], widths[i + kReach]);
        if (widths[i] > 0 && around > 0) deepest = std::max(deepest, around / widths[i] - 1.0);
    }
    return deepest;
}

TEST_F(GeneratedClips, FromAboveTheBodyWidthChangesSmoothlyAlongTheSpine) {
    const Back back = FindBack(cat->model);
    ASSERT_GE(back.joints.size(), 4u);
    ASSERT_GT(back.triangles.size(), 100u);
    std::vector<int> clips(idleClips, idleClips + kIdleClipCount);
    for (const WALKCLIP& w : walkClips) clips.push_back(w.clip);
    double worst = 0;
    int worstClip = 0, worstFrame = 0;
    for (int clip : clips) {
        for (int f = dogAnims[clip].start; f <= dogAnims[clip].end; ++f) {
            PoseAt(cat->instance, clip, double(f - dogAnims[clip].start) / kDogAnimFps);
            const double notch = DeepestNotch(WidthsAlongTheBack(cat->instance, cat->model, back));
            if (notch > worst) worst = notch, worstClip = clip, worstFrame = f;
        }
    }
    EXPECT_LT(worst, 0.15) << "clip " << worstClip << " frame " << worstFrame;
}

}  // namespace
