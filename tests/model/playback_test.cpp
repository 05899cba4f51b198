#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "model/animation_template.h"
#include "model/ms3d.h"
#include "model/one_model.h"
#include "model_fixtures.h"

using namespace model_fixtures;

namespace {

// ---- An independent rigid-transform toolkit, to compute expected poses without the engine. ----

struct Quat {
    double w = 1, x = 0, y = 0, z = 0;
};

Quat Multiply(const Quat& a, const Quat& b) {
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

Quat AxisAngle(int axis, double radians) {
    Quat q;
    q.w = std::cos(radians / 2);
    (axis == 0 ? q.x : axis == 1 ? q.y : q.z) = std::sin(radians / 2);
    return q;
}

// Rotation about X first, then Y, then Z.
Quat FromEuler(double x, double y, double z) {
    return Multiply(AxisAngle(2, z), Multiply(AxisAngle(1, y), AxisAngle(0, x)));
}

Quat Slerp(Quat a, Quat b, double t) {
    double dot = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
    if (dot < 0) dot = -dot, b = {-b.w, -b.x, -b.y, -b.z};
    const double angle = std::acos(std::min(1.0, dot));
    double wa = 1 - t, wb = t;
    if (angle > 1e-9)
        wa = std::sin((1 - t) * angle) / std::sin(angle),
        wb = std::sin(t * angle) / std::sin(angle);
    return {wa * a.w + wb * b.w, wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z};
}

struct Affine {
    double r[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double t[3] = {0, 0, 0};
};

Affine FromQuat(const Quat& q, const double* translation) {
    Affine a;
    const double w = q.w, x = q.x, y = q.y, z = q.z;
    const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
                            {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
                            {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}};
    std::memcpy(a.r, r, sizeof r);
    for (int i = 0; i < 3; ++i) a.t[i] = translation[i];
    return a;
}

// (a * b)(p) = a(b(p)).
Affine Compose(const Affine& a, const Affine& b) {
    Affine c;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            c.r[i][j] = 0;
            for (int k = 0; k < 3; ++k) c.r[i][j] += a.r[i][k] * b.r[k][j];
        }
        c.t[i] = a.t[i];
        for (int k = 0; k < 3; ++k) c.t[i] += a.r[i][k] * b.t[k];
    }
    return c;
}

void Apply(const Affine& a, const double* p, double* out) {
    for (int i = 0; i < 3; ++i)
        out[i] = a.r[i][0] * p[0] + a.r[i][1] * p[1] + a.r[i][2] * p[2] + a.t[i];
}

void ApplyInverse(const Affine& a, const double* p, double* out) {
    const double d[3] = {p[0] - a.t[0], p[1] - a.t[1], p[2] - a.t[2]};
    for (int i = 0; i < 3; ++i) out[i] = a.r[0][i] * d[0] + a.r[1][i] * d[1] + a.r[2][i] * d[2];
}

// The model as a file describes it: joints in radians and seconds, vertices in model space.
struct Rig {
    MS3D file;

    // Bind transform of joint j relative to its parent.
    Affine Bind(int j) const {
        const MS3DJOINT& joint = file.joints[j];
        const double p[3] = {joint.position[0], joint.position[1], joint.position[2]};
        return FromQuat(FromEuler(joint.rotation[0], joint.rotation[1], joint.rotation[2]), p);
    }

    // The keyed transform of joint j at `ms` milliseconds, between the keys around it.
    Affine Keyed(int j, double ms) const {
        // The keys before and after `ms` (the same one outside the keyed span) and the fraction
        // of the way from the first to the second.
        const auto around = [ms](const std::vector<MS3DKEY>& keys, size_t& a, size_t& b) {
            size_t k = 0;
            while (k < keys.size() && ms > keys[k].time * 1000.0) ++k;
            a = k == 0 ? 0 : k - 1, b = k == keys.size() ? k - 1 : k;
            return a == b ? 0.0
                          : (ms - keys[a].time * 1000.0) / ((keys[b].time - keys[a].time) * 1000.0);
        };
        const MS3DJOINT& joint = file.joints[j];
        const auto& rk = joint.rotationKeys;
        const auto& tk = joint.translationKeys;
        size_t a = 0, b = 0;
        Quat q;
        if (!rk.empty()) {
            const double f = around(rk, a, b);
            q = Slerp(FromEuler(rk[a].x, rk[a].y, rk[a].z), FromEuler(rk[b].x, rk[b].y, rk[b].z),
                      f);
        }
        double t[3] = {0, 0, 0};
        if (!tk.empty()) {
            const double f = around(tk, a, b);
            t[0] = tk[a].x + (tk[b].x - tk[a].x) * f;
            t[1] = tk[a].y + (tk[b].y - tk[a].y) * f;
            t[2] = tk[a].z + (tk[b].z - tk[a].z) * f;
        }
        return FromQuat(q, t);
    }

    int Parent(int j) const {
        for (int i = 0; i < int(file.joints.size()); ++i)
            if (std::strcmp(file.joints[j].parentName, file.joints[i].name) == 0) return i;
        return -1;
    }

    // Model-space transform of joint j: at bind pose, or posed at `ms`.
    Affine World(int j, bool posed, double ms) const {
        Affine local = Bind(j);
        if (posed) local = Compose(local, Keyed(j, ms));
        const int parent = Parent(j);
        return parent < 0 ? local : Compose(World(parent, posed, ms), local);
    }

    // Where vertex v of the file lands at `ms`.
    void Posed(int v, double ms, double* out) const {
        const MS3DVERTEX& vertex = file.vertices[v];
        const double p[3] = {vertex.position[0], vertex.position[1], vertex.position[2]};
        if (vertex.jointIndex < 0) {
            std::copy(p, p + 3, out);
            return;
        }
        double local[3];
        ApplyInverse(World(vertex.jointIndex, false, 0), p, local);
        Apply(World(vertex.jointIndex, true, ms), local, out);
    }
};

// A tail of three joints swinging through keys at 0, 1 and 2 s, with vertices along it.
Rig TailRig() {
    Rig rig;
    MS3D& m = rig.file;
    m.joints = {Joint("base", "", MakePoint(0.1f, 0, 0), MakePoint(0, 0.5f, 0)),
                Joint("mid", "base", MakePoint(0, 0.3f, 0.2f), MakePoint(0, 1, 0)),
                Joint("tip", "mid", MakePoint(0, 0, -0.4f), MakePoint(0.2f, 1, 0))};
    m.joints[0].rotationKeys = {Key(0, 0, 0, 0), Key(1, 0.6f, 0, 0.2f), Key(2, 0, 0.9f, 0)};
    m.joints[0].translationKeys = {Key(0, 0, 0, 0), Key(2, 0.5f, 0, -0.25f)};
    m.joints[1].rotationKeys = {Key(0, 0, 0, 0.5f), Key(1, -0.4f, 0.3f, 0), Key(2, 0, 0, 1.2f)};
    m.joints[2].rotationKeys = {Key(0.5f, 0.8f, 0, 0), Key(1.5f, 0, 0, -0.8f)};
    m.joints[2].translationKeys = {Key(0, 0, 0, 0), Key(1, 0, 0.3f, 0)};
    for (int i = 0; i < 12; ++i) {
        const float y = 0.25f * float(i);
        m.vertices.push_back(Vertex(0.1f * float(i % 3), y, 0.2f - 0.05f * float(i % 4),
                                    int8_t(std::min(2, i / 4))));
    }
    m.vertices.push_back(Vertex(4, 4, 4, -1));
    const float s[3] = {0.1f, 0.2f, 0.3f}, t[3] = {0.4f, 0.5f, 0.6f};
    for (int i = 0; i + 2 < 13; ++i)
        m.triangles.push_back(
            Triangle(uint16_t(i), uint16_t(i + 1), uint16_t(i + 2), MakePoint(0, 0, 1), s, t));
    MS3DGROUP g;
    for (int i = 0; i < int(m.triangles.size()); ++i) g.triangleIndices.push_back(uint16_t(i));
    g.materialIndex = 0;
    m.groups = {g};
    m.materials = {Material("fur", 0)};
    m.fps = 30.0f;
    m.totalFrames = 60;
    SyncMS3DCounts(&m);
    return rig;
}

// The buffer vertex of file vertex v: the first corner that uses it.
const MODELVERTEX& BufferVertexOf(const Built& in, int v) {
    for (int i = 0; i < 3 * in.instance.triangleCount; ++i) {
        const MODELVERTEX& candidate = in.instance.vertices[in.instance.indices[i]];
        int k = i % 3;
        const MS3DTRIANGLE& tri = in.model.triangles[in.model.groups[0].triangleIndices[i / 3]];
        if (tri.vertexIndices[k] == v) return candidate;
    }
    return in.instance.vertices[0];
}

std::vector<float> Positions(const ONEMODEL& m) {
    std::vector<float> out;
    for (int i = 0; i < m.vertexCount; ++i)
        out.insert(out.end(), m.vertices[i].position, m.vertices[i].position + 3);
    return out;
}

double MaxDifference(const std::vector<float>& a, const std::vector<float>& b) {
    double worst = 0;
    for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::fabs(double(a[i]) - b[i]));
    return worst;
}

// A template of one joint with translation keys at 0, 100 and 200 ms (fps 1000: frames are ms).
MS3D KeyedJoint() {
    MS3D m;
    m.joints = {Joint("j", "", MakePoint(0, 0, 0), MakePoint(0, 0, 0)),
                Joint("still", "j", MakePoint(0, 0, 0), MakePoint(0, 1, 0)),
                Joint("turn", "j", MakePoint(0, 0, 0), MakePoint(1, 0, 0))};
    m.joints[0].translationKeys = {Key(0, 1, 0, 0), Key(0.1f, 3, 0, 0), Key(0.2f, 7, 4, 0)};
    m.joints[0].rotationKeys = {Key(0, 0, 0, 0), Key(0.2f, 0, 0, 1.0f)};
    m.joints[2].rotationKeys = {Key(0, 0, 0.5f, 0), Key(0.2f, 0, 1.0f, 0)};  // no translation keys
    m.fps = 1000.0f;
    m.totalFrames = 300;
    SyncMS3DCounts(&m);
    return m;
}

}  // namespace

TEST(Playback, PosedVerticesFollowTheJointChainComputedFromTheKeys) {
    const Rig rig = TailRig();
    Built in(rig.file);
    in.instance.SetAnimation(0, 60, 1000.0, false, false);
    double ms = 0;
    for (const double dt : {0.05, 0.1, 0.2, 0.15, 0.33, 0.4, 0.27, 0.5}) {
        in.Frame(dt);
        ms += dt * 1000.0;
        SCOPED_TRACE(ms);
        ASSERT_NEAR(in.instance.animTime, ms, 1e-3);
        for (int v = 0; v < in.model.vertexCount; ++v) {
            double expected[3];
            rig.Posed(v, ms, expected);
            const MODELVERTEX& got = BufferVertexOf(in, v);
            for (int c = 0; c < 3; ++c) ASSERT_NEAR(got.position[c], expected[c], 2e-4) << v;
        }
    }
}

TEST(Playback, ClipTimesAdvanceEndAndLoop) {
    Built in(TailRig().file);
    ONEMODEL& m = in.instance;
    m.SetAnimation(10, 20, 1000.0, false, false);
    EXPECT_NEAR(m.startTime, 333.333f, 1e-3f);
    EXPECT_NEAR(m.endTime, 666.667f, 1e-3f);
    EXPECT_EQ(m.animTime, m.startTime);
    m.Animate(0.1);
    EXPECT_EQ(m.animTime, float(m.startTime + 1000.0f * 0.1));

    // Without loop the end is held exactly, and later frames change nothing.
    m.Animate(0.3);
    EXPECT_EQ(m.animTime, m.endTime);
    const QUAT held = m.joints[1].rotationQuat;
    const VECTOR3D heldTranslation = m.joints[0].translation;
    const int cursor = m.joints[1].rotationKey;
    for (int i = 0; i < 5; ++i) m.Animate(0.25);
    EXPECT_EQ(m.animTime, m.endTime);
    EXPECT_EQ(std::memcmp(&m.joints[1].rotationQuat, &held, sizeof held), 0);
    EXPECT_EQ(m.joints[0].translation.x, heldTranslation.x);
    EXPECT_EQ(m.joints[1].rotationKey, cursor);

    // With loop the overshoot is dropped and the clip starts again.
    m.SetAnimation(10, 20, 1000.0, true, false);
    m.Animate(0.2);
    m.Animate(0.2);
    EXPECT_EQ(m.animTime, m.startTime);
    m.Animate(0.05);
    EXPECT_EQ(m.animTime, float(m.startTime + 1000.0f * 0.05));

    // A clip of no length never moves.
    m.SetAnimation(15, 15, 1000.0, false, false);
    const float at = m.animTime;
    const QUAT before = m.joints[1].rotationQuat;
    m.Animate(0.1);
    EXPECT_EQ(m.animTime, at);
    EXPECT_EQ(std::memcmp(&m.joints[1].rotationQuat, &before, sizeof before), 0);

    // A new instance is idle: animating it changes nothing.
    Built idle(TailRig().file);
    idle.instance.Animate(0.5);
    EXPECT_EQ(idle.instance.animTime, 0.0f);
    EXPECT_EQ(idle.instance.joints[0].rotationQuat.w, 1.0);
}

TEST(Playback, KeysAreChosenAndInterpolatedAsTheirTimesSay) {
    Built in(KeyedJoint());
    ONEMODEL& m = in.instance;
    const auto translationAt = [&](double frame) {
        m.SetAnimation(frame, 300, 1000.0, false, false);
        m.Animate(0.0);
        return m.joints[0].translation;
    };
    VECTOR3D t = translationAt(150);  // midway between keys 1 and 2
    EXPECT_FLOAT_EQ(t.x, 5.0f);
    EXPECT_FLOAT_EQ(t.y, 2.0f);
    t = translationAt(100);  // exactly key 1
    EXPECT_EQ(t.x, 3.0f);
    EXPECT_EQ(t.y, 0.0f);
    t = translationAt(0);
    EXPECT_EQ(t.x, 1.0f);
    t = translationAt(250);  // past the last key
    EXPECT_EQ(t.x, 7.0f);
    EXPECT_EQ(t.y, 4.0f);

    // Rotation half way between (0, 0, 0) and (0, 0, 1 rad) is half a radian about Z.
    m.SetAnimation(100, 300, 1000.0, false, false);
    m.Animate(0.0);
    EXPECT_NEAR(m.joints[0].rotationQuat.z, std::sin(0.25), 1e-6);
    EXPECT_NEAR(m.joints[0].rotationMatrix.m[1], std::sin(0.5), 1e-6);
    // A joint without keys keeps its pose; one with rotation keys only keeps its translation.
    EXPECT_EQ(m.joints[1].rotationQuat.w, 1.0);
    EXPECT_EQ(m.joints[1].translation.y, 0.0f);
    EXPECT_EQ(m.joints[2].translation.x, 0.0f);
    EXPECT_NEAR(m.joints[2].rotationQuat.y, std::sin(0.375), 1e-6);

    // The cursor only moves forward: later frames keep interpolating from where it stands.
    m.SetAnimation(0, 300, 1000.0, false, false);
    for (int i = 0; i < 4; ++i) m.Animate(0.05);
    EXPECT_EQ(m.animTime, 200.0f);
    EXPECT_EQ(m.joints[0].translationKey, 2);
    EXPECT_FLOAT_EQ(m.joints[0].translation.x, 7.0f);
}

TEST(Playback, CrossFadesRunFromTheHeldPoseToTheClipStart) {
    Built in(KeyedJoint());
    ONEMODEL& m = in.instance;
    m.SetAnimation(0, 300, 1000.0, false, false);
    m.Animate(0.0);  // holds key 0: translation (1, 0, 0), no rotation
    ASSERT_EQ(m.joints[0].translation.x, 1.0f);
    ASSERT_EQ(m.joints[0].rotationQuat.w, 1.0);
    const QUAT from = m.joints[0].rotationQuat;

    m.SetAnimation(150, 300, 1000.0, false, true);
    EXPECT_TRUE(m.blending);
    const float start = m.startTime;
    // The fade aims at the first keys at or after 150 ms: translation (7, 4, 0) and the
    // rotation of 1 rad about Z, both at 200 ms.
    QUAT target;
    target.z = std::sin(0.5), target.w = std::cos(0.5);
    for (const float factor : {0.4f, 0.8f, 1.0f}) {
        m.Animate(0.1);
        EXPECT_FLOAT_EQ(m.blendFactor, factor);
        EXPECT_EQ(m.animTime, start);
        EXPECT_FLOAT_EQ(m.joints[0].translation.x, 1.0f + 6.0f * factor);
        EXPECT_FLOAT_EQ(m.joints[0].translation.y, 4.0f * factor);
        const QUAT expected = QuatSlerp(&from, &target, factor);
        EXPECT_NEAR(m.joints[0].rotationQuat.z, expected.z, 1e-7);
        EXPECT_NEAR(m.joints[0].rotationQuat.w, expected.w, 1e-7);
    }
    EXPECT_FALSE(m.blending);
    EXPECT_EQ(m.joints[1].rotationQuat.w, 1.0);  // the keyless joint never moved
    EXPECT_EQ(m.joints[1].translation.y, 0.0f);
    m.Animate(0.1);
    EXPECT_EQ(m.animTime, start + 100.0f);

    // A clip of no length still fades to its pose.
    m.SetAnimation(0, 0, 1000.0, false, true);
    for (int i = 0; i < 3; ++i) m.Animate(0.1);
    EXPECT_FALSE(m.blending);
    EXPECT_FLOAT_EQ(m.joints[0].translation.x, 1.0f);
    EXPECT_EQ(m.animTime, 0.0f);
}

TEST(Playback, RevertingAndPosingWithTheSameJointsRestoresTheBuffer) {
    Built in(TailRig().file);
    ONEMODEL& m = in.instance;
    const std::vector<float> local = Positions(m);
    m.RevertPoints(m.joints.get());  // identity joints
    EXPECT_EQ(Positions(m), local);
    m.SetAnimation(0, 60, 1000.0, false, false);
    m.Animate(0.7);
    in.Pose();
    const std::vector<float> posed = Positions(m);
    EXPECT_GT(MaxDifference(posed, local), 0.1);
    m.RevertPoints(m.joints.get());
    EXPECT_LT(MaxDifference(Positions(m), local), 1e-5);
    m.UpdatePoints(m.joints.get());
    EXPECT_LT(MaxDifference(Positions(m), posed), 1e-5);
}

TEST(Playback, JointsMoveNormalsByTheirRotationOnly) {
    ONEMODEL m;
    const float p[3] = {1, 2, 3}, n[3] = {0, 0, 1};
    m.AddVertToBuffer(p, n, 0, 0, 0);
    m.jointCount = 1;
    m.joints = std::make_unique<BASICJOINT[]>(1);
    QUAT turn;
    turn.x = std::sin(0.4), turn.w = std::cos(0.4);  // 0.8 rad about x
    m.joints[0].absolute = QuatToRotationMatrix(turn);
    m.joints[0].absolute.SetTranslation(MakePoint(5, 6, 7));
    m.UpdatePoints(m.joints.get());
    EXPECT_NEAR(m.vertices[0].position[0], 6.0f, 1e-6f);
    EXPECT_NEAR(m.vertices[0].normal[1], -std::sin(0.8), 1e-6);
    EXPECT_NEAR(m.vertices[0].normal[2], std::cos(0.8), 1e-6);
    m.RevertPoints(m.joints.get());
    EXPECT_NEAR(m.vertices[0].position[2], 3.0f, 1e-5f);
    EXPECT_NEAR(m.vertices[0].normal[2], 1.0f, 1e-6f);
}

TEST(Playback, HeldAndLoopingPosesDoNotDriftOverManyFrames) {
    // Keys 0.002 rad apart: interpolating between them takes the linear blend, whose quaternion
    // is a little shorter than unit length.
    Rig rig = TailRig();
    rig.file.joints[1].rotationKeys = {Key(0, 0.3f, 0, 0.5f), Key(2, 0.302f, 0, 0.5f)};
    for (const double end : {60.0, 35.0}) {  // held at a key, then between keys
        SCOPED_TRACE(end);
        Built in(rig.file);
        in.instance.SetAnimation(0, end, 1000.0, false, false);
        in.Frame(5.0);
        ASSERT_EQ(in.instance.animTime, in.instance.endTime);
        const std::vector<float> first = Positions(in.instance);
        for (int i = 0; i < 100000; ++i) in.Frame(1.0 / 35.0);
        EXPECT_LT(MaxDifference(Positions(in.instance), first), 1e-3);
    }
    // A looping clip against a fresh instance posed once at the same clip time.
    Built looping(rig.file);
    looping.instance.SetAnimation(0, 60, 1000.0, true, false);
    for (int i = 0; i < 100000; ++i) looping.Frame(1.0 / 35.0);
    Built fresh(rig.file);
    fresh.instance.SetAnimation(0, 60, 1000.0, false, false);
    fresh.instance.animTime = looping.instance.animTime;
    fresh.Frame(0.0);
    ASSERT_EQ(fresh.instance.animTime, looping.instance.animTime);
    EXPECT_LT(MaxDifference(Positions(looping.instance), Positions(fresh.instance)), 1e-5);
}
