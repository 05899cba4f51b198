#include "toys/one_toy.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "assets/pack_layout.h"
#include "assets/resfile.h"
#include "cats/dog_control.h"
#include "model/ms3d.h"
#include "toys/rope_simulation.h"

namespace {

constexpr float kGravity = 15.0f;

// A spin rate in -360..359 degrees per second.
float SpinRate(int r) {
    return static_cast<float>(r % 720 - 360);
}

float ModelRadius(const MS3D& model) {
    float squared = 0.0f;
    for (const MS3DVERTEX& v : model.vertices) {
        const float* p = v.position;
        squared = std::fmax(squared, p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    }
    return std::sqrt(squared);
}

VECTOR3D RandomSpin() {
    const int r1 = std::rand(), r2 = std::rand(), r3 = std::rand();
    return VECTOR3D{SpinRate(r3), SpinRate(r2), SpinRate(r1)};
}

}  // namespace

ONETOY::~ONETOY() {
    Release();
}

void ONETOY::Release() {
    if (displayList != 0) glDeleteLists(displayList, 1);
    if (rope) {
        rope->release();
        delete rope;
    }
    displayList = 0;
    rope = nullptr;
    texID = 0;
}

int ONETOY::RopeSteps(float dt) {
    // dt / 0.002 in single precision, truncated: 0.01 gives just under 5.
    const float steps = dt / 0.002f;
    if (!(steps >= 0.0f)) return 1;  // negative or NaN: a single step
    // A frame is at most a second long (500 steps); refuse to spin on a wild value.
    return static_cast<int>(std::fmin(steps, 100000.0f)) + 1;
}

bool ONETOY::BuildDisplayList(const char* resourcePath, DOGCONTROL* dc) {
    const std::string path = std::string(resourcePath ? resourcePath : "") + pack_layout::kToyPack;
    MS3D model;
    RESFILE pack;
    if (!pack.Open(path.c_str()) || !pack.SeekLump(0)) {
        dc->problems.Report("toy pack", path, pack.Problem());
        return false;
    }
    std::string reason;
    if (!model.LoadFromFStream(pack.stream, pack.LumpSize(0), reason)) {
        dc->problems.Report("toy pack", path, "its model is not valid: " + reason);
        return false;
    }
    dc->problems.Cleared(path);
    model.Scale(0.035f * dc->dogSize);
    radius = ModelRadius(model);
    skinSlot = pack_layout::kFirstToySkinSlot + std::rand() % pack_layout::kToySkinCount;
    texID = dc->SceneTexture(skinSlot);
    pack.Close();

    // The skin is bound by Draw, not recorded here, so that a skin that comes late still shows.
    displayList = glGenLists(1);
    if (displayList == 0) return true;
    glNewList(displayList, GL_COMPILE);
    model.Render();
    glEndList();
    return true;
}

void ONETOY::PlaceOutside(const DOGCONTROL* dc) {
    const double bx = dc->bounds.x;
    const double bz = dc->bounds.z;
    const double s = dc->dogSize;
    position = VECTOR3D{0.0f, 0.0f, 0.0f};
    if (std::rand() % 2 == 0) {
        position.x =
            static_cast<float>((std::rand() % static_cast<int>(20.0 * bx + 1.0)) / 10.0 - bx);
        double z = bz + 3.0 * s + std::rand() % 5;
        if (std::rand() % 2 == 0) z = -z;
        position.z = static_cast<float>(z);
    } else {
        position.z =
            static_cast<float>((std::rand() % static_cast<int>(20.0 * bz + 1.0)) / 10.0 - bz);
        double x = bx + 3.0 * s + std::rand() % 5;
        if (std::rand() % 2 == 0) x = -x;
        position.x = static_cast<float>(x);
    }
}

void ONETOY::HangRope() {
    const int count = std::rand() % 10 + 10;
    rope = new RopeSimulation(count, 0.04f, 2000.0f, 0.25f, 1.2f, VECTOR3D{0.0f, -9.81f, 0.0f},
                              0.02f, 100.0f, 0.2f, 2.0f, 0.0f);
    rope->anchorPos = position;
    for (int i = 0; i < rope->massCount; ++i) rope->masses[i]->position = position;
}

bool ONETOY::Setup(const char* resourcePath, int /*unused*/, DOGCONTROL* dc) {
    Release();
    // Without its model the toy stays where it was made, undrawn and without a string.
    if (!BuildDisplayList(resourcePath, dc)) return false;
    PlaceOutside(dc);
    const int a1 = std::rand(), a2 = std::rand(), a3 = std::rand();
    angles = VECTOR3D{static_cast<float>(a3 % 360), static_cast<float>(a2 % 360),
                      static_cast<float>(a1 % 360)};
    spin = RandomSpin();
    HangRope();
    glLineWidth(LineWidth(dc->dogSize));
    return true;
}

void ONETOY::ThrowBack() {
    VECTOR3D towardsMiddle{-position.x, 0.0f, -position.z};
    towardsMiddle.Normalize();
    velocity = VECTOR3D{towardsMiddle.x * 10.0f, 15.0f, towardsMiddle.z * 10.0f};
    offscreenTime = 0.0f;
    spin = RandomSpin();
}

void ONETOY::Move(float dt, DOGCONTROL* dc) {
    if (displayList != 0) texID = dc->SceneTexture(skinSlot);
    if (dc->frustum.SphereInFrustum(position, 2.0f) >= 1.0f) {
        offscreenTime = 0.0f;
    } else {
        offscreenTime += dt;
    }
    const int threshold = std::rand() % 10 + 5;
    if (offscreenTime > static_cast<float>(threshold)) {
        ThrowBack();
        ++dc->stats.toyThrows;
    }

    velocity.y -= kGravity * dt;
    position.x += velocity.x * dt;
    position.y += velocity.y * dt;
    position.z += velocity.z * dt;
    rotation = MatrixFromAngle(angles);

    const float ground = 0.7f * dc->dogSize;
    if (position.y < ground) {
        velocity = VECTOR3D{0.5f * velocity.x, -0.5f * velocity.y, 0.5f * velocity.z};
        position.y = ground;
        if (std::fabs(velocity.y) < 0.025f) {
            velocity = VECTOR3D{0.0f, 0.0f, 0.0f};
            spin = VECTOR3D{0.0f, 0.0f, 0.0f};
        } else {
            spin = VECTOR3D{spin.x * 0.75f, spin.y * 0.75f, spin.z * 0.75f};
        }
    } else {
        angles.x += spin.x * dt;
        angles.y += spin.y * dt;
        angles.z += spin.z * dt;
    }

    if (rope) {
        // The string hangs from a point below the centre that turns with the toy.
        const VECTOR3D hook =
            MatrixRotatePoint(rotation, VECTOR3D{0.0f, -0.675f * dc->dogSize, 0.0f});
        rope->anchorPos = VECTOR3D{position.x + hook.x, position.y + hook.y, position.z + hook.z};
        const int n = RopeSteps(dt);
        const float step = dt / static_cast<float>(n);
        for (int i = 0; i < n; ++i) rope->operate(step);
    }
}

void ONETOY::Draw() const {
    // Without its skin (a scene picture that could not be read) the toy and its string are drawn
    // untextured: GL would sample texture name 0 as black.
    const bool untextured = texID == 0;
    if (untextured) {
        glPushAttrib(GL_ENABLE_BIT);
        glDisable(GL_TEXTURE_2D);
    }
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glMultMatrixd(rotation.m);
    glBindTexture(GL_TEXTURE_2D, texID);
    if (displayList != 0) glCallList(displayList);
    glPopMatrix();
    if (rope) {
        glTexCoord2f(0.0f, 1.0f);
        glNormal3f(0.0f, 1.0f, 0.0f);
        glBegin(GL_LINES);
        for (int i = 1; i < rope->massCount; ++i) {
            const VECTOR3D& a = rope->masses[i - 1]->position;
            const VECTOR3D& b = rope->masses[i]->position;
            glVertex3f(a.x, a.y, a.z);
            glVertex3f(b.x, b.y, b.z);
        }
        glEnd();
    }
    if (untextured) glPopAttrib();
}
