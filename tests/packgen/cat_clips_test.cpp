// The cat's clips played through the engine's model instance, as the cats play them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "tests/packgen/generated_art.h"

using generated_art::ClipSeconds;
using generated_art::JointOrigins;
using generated_art::LoadedCat;
using generated_art::Paws;
using generated_art::PoseAt;

namespace {

using GeneratedClips = generated_art::CatTest;

constexpr double kFootDown = 0.175;  // world units: below it a paw lays a footprint
constexpr int kSamplesPerFrame = 2;

// Every paw sampled through a clip at kSamplesPerFrame samples per frame, from its first to its
// last frame, played forwards as the cats play it.
std::vector<std::array<VECTOR3D, 4>> Track(ONEMODEL& cat, int clip) {
    const int samples = (dogAnims[clip].end - dogAnims[clip].start) * kSamplesPerFrame;
    const double dt = 1.0 / (kDogAnimFps * kSamplesPerFrame);
    std::vector<std::array<VECTOR3D, 4>> track;
    cat.SetAnimation(dogAnims[clip].start, dogAnims[clip].end, 1000.0, false, false);
    cat.Animate(0.0);
    cat.UpdateSkeleton();
    track.push_back(Paws(cat));
    for (int i = 1; i <= samples; ++i) {
        cat.Animate(dt);
        cat.UpdateSkeleton();
        track.push_back(Paws(cat));
    }
    return track;
}

// The largest distance between the same joint in two poses, in world units.
double PoseDistance(const std::vector<VECTOR3D>& a, const std::vector<VECTOR3D>& b) {
    double worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::sqrt(DistanceBetweenVectors(a[i], b[i])));
    return worst;
}

std::vector<VECTOR3D> StartPose(ONEMODEL& cat, int clip) {
    PoseAt(cat, clip, 0.0);
    return JointOrigins(cat);
}

std::vector<VECTOR3D> EndPose(ONEMODEL& cat, int clip) {
    PoseAt(cat, clip, ClipSeconds(clip) + 0.1);
    return JointOrigins(cat);
}

TEST_F(GeneratedClips, WalkingPawsPlantAtTheGaitSpeedAndLiftOncePerStep) {
    PoseAt(cat->instance, 0, 0.0);
    const auto standing = Paws(cat->instance);
    for (const WALKCLIP& walk : walkClips) {
        SCOPED_TRACE("walk clip " + std::to_string(walk.clip));
        const auto track = Track(cat->instance, walk.clip);
        const double dt = 1.0 / (kDogAnimFps * kSamplesPerFrame);
        int steps[4] = {0, 0, 0, 0};
        for (int foot = 0; foot < 4; ++foot) {
            // The cat moves forward (+z) at the gait speed, so a planted paw's world position
            // is its position relative to the cat plus the distance walked.
            auto worldZ = [&](size_t i) { return track[i][foot].z + walk.gait * dt * i; };
            // Down on the ground: at the standing paw's height, give or take a centimetre.
            auto planted = [&](size_t i) { return track[i][foot].y < standing[foot].y + 0.01; };
            int touchDowns = 0, lifts = 0;
            double highest = 0;
            for (size_t i = 1; i < track.size(); ++i) {
                highest = std::max(highest, double(track[i][foot].y));
                touchDowns += track[i - 1][foot].y >= kFootDown && track[i][foot].y < kFootDown;
                lifts += track[i - 1][foot].y < kFootDown && track[i][foot].y >= kFootDown;
            }
            steps[foot] = touchDowns;
            EXPECT_GE(touchDowns, 1) << "foot " << foot << " never lays a print";
            EXPECT_EQ(touchDowns, lifts) << "foot " << foot;
            EXPECT_GE(highest, kFootDown + 0.02) << "foot " << foot;
            // A looping clip starts and ends with the paw at the same height: no step is lost
            // or doubled at the seam.
            EXPECT_NEAR(track.front()[foot].y, track.back()[foot].y, 0.01) << "foot " << foot;

            const double stride = walk.gait * ClipSeconds(walk.clip) / std::max(1, touchDowns);
            double worstSlide = 0, worstRate = 0;
            size_t plantedSamples = 0;
            for (size_t i = 0; i < track.size();) {
                if (!planted(i)) {
                    ++i;
                    continue;
                }
                size_t j = i;
                while (j + 1 < track.size() && planted(j + 1)) ++j;
                plantedSamples += j - i + 1;
                double lo = worldZ(i), hi = worldZ(i);
                for (size_t k = i; k <= j; ++k) {
                    lo = std::min(lo, worldZ(k));
                    hi = std::max(hi, worldZ(k));
                }
                worstSlide = std::max(worstSlide, hi - lo);
                if (j > i)
                    worstRate =
                        std::max(worstRate, std::fabs(worldZ(j) - worldZ(i)) / ((j - i) * dt));
                i = j + 1;
            }
            EXPECT_GT(plantedSamples, track.size() / 6) << "foot " << foot << " is hardly down";
            EXPECT_LT(worstSlide, stride * 0.1) << "foot " << foot << " slides";
            // A planted paw keeps pace with the cat: it drifts at under a twentieth of the gait.
            EXPECT_LT(worstRate, walk.gait * 0.05) << "foot " << foot << " drifts";
        }
        // Every paw takes the same number of steps in a clip.
        EXPECT_TRUE(steps[0] == steps[1] && steps[0] == steps[2] && steps[0] == steps[3])
            << steps[0] << " " << steps[1] << " " << steps[2] << " " << steps[3];
    }
}

TEST_F(GeneratedClips, LoopsEndAsTheyStartAndChainsJoinWithoutAJump) {
    ONEMODEL& m = cat->instance;
    constexpr double kBound = 0.01;  // world units, about a tenth of a paw
    for (int c = 0; c < kDogAnimCount; ++c) {
        const DOGANIM& clip = dogAnims[c];
        if (clip.repeat) {
            EXPECT_LT(PoseDistance(StartPose(m, c), EndPose(m, c)), kBound) << "clip " << c;
        }
        if (clip.next >= 0 && !dogAnims[clip.next].blend) {
            EXPECT_LT(PoseDistance(EndPose(m, c), StartPose(m, clip.next)), kBound)
                << "clip " << c << " into " << clip.next;
        }
    }
}

TEST_F(GeneratedClips, IdleChainsStartAndEndStanding) {
    ONEMODEL& m = cat->instance;
    // The standing pose is where the walk blends from and the idle clips return to: the pose
    // between clips, before the first one.
    PoseAt(m, 0, 0.0);
    const std::vector<VECTOR3D> stand = JointOrigins(m);
    for (int idle : idleClips) {
        EXPECT_LT(PoseDistance(StartPose(m, idle), stand), 0.01) << "idle clip " << idle;
        int last = idle;
        while (dogAnims[last].next >= 0 && !dogAnims[dogAnims[last].next].blend)
            last = dogAnims[last].next;
        if (dogAnims[last].next >= 0) continue;  // hands over to a clip that blends
        EXPECT_LT(PoseDistance(EndPose(m, last), stand), 0.01)
            << "the chain of idle clip " << idle << " ends in clip " << last;
    }
}

TEST_F(GeneratedClips, TheStrikingPawReachesForwardInsideEachHitWindow) {
    ONEMODEL& m = cat->instance;
    PoseAt(m, 0, 0.0);
    const auto rest = Paws(m);
    for (const HITWINDOW& w : hitWindows) {
        SCOPED_TRACE("toy clip " + std::to_string(w.clip));
        const auto track = Track(m, w.clip);
        const int start = dogAnims[w.clip].start;
        auto frameOf = [&](size_t i) { return start + double(i) / kSamplesPerFrame; };
        // The paw that reaches furthest forward (+z in the world) over the clip strikes.
        int striker = 0;
        double furthest = -1e9;
        for (const auto& sample : track)
            for (int foot = 0; foot < 2; ++foot)
                if (sample[foot].z - rest[foot].z > furthest) {
                    furthest = sample[foot].z - rest[foot].z;
                    striker = foot;
                }
        EXPECT_GT(furthest, 0.5) << "no front paw reaches forward";
        double insideBest = -1e9, atOpening = 0;
        for (size_t i = 0; i < track.size(); ++i) {
            const double reach = track[i][striker].z - rest[striker].z;
            if (frameOf(i) == w.firstFrame) atOpening = reach;
            if (frameOf(i) > w.firstFrame && frameOf(i) < w.lastFrame)
                insideBest = std::max(insideBest, reach);
        }
        // It is at full reach inside the window, and gets there while the window is open.
        EXPECT_GT(insideBest, furthest - 0.05);
        EXPECT_GT(insideBest - atOpening, 0.1) << "the paw is not moving forward in the window";
    }
}

}  // namespace

namespace {

using GeneratedBack = generated_art::CatTest;

// The back seen from above: the joints from the chest back to the pelvis (found by name and
// parent, so the check does not depend on how many there are) and the triangles whose three
// corners move with them.
struct Back {
    std::vector<int> joints;  // pelvis first
    std::vector<int> vertices;
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
    for (int v = 0; v < m.vertexCount; ++v)
        if (onBack(v)) back.vertices.push_back(v);
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
    for (int v : back.vertices) {
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

TEST_F(GeneratedBack, FromAboveTheBodyWidthChangesSmoothlyAlongTheSpine) {
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
