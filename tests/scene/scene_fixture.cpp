#include "scene_fixture.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>

#include "assets/pack_writer.h"
#include "assets/resfile.h"
#include "assets/tga_writer.h"
#include "cats/dog_anims.h"
#include "cats/dog_control.h"
#include "model/ms3d.h"
#include "model/ms3d_writer.h"
#include "platform/image_encoder.h"
#include "scene/ssmain.h"
#include "tests/model/model_fixtures.h"
#include "tests/support/test_files.h"

namespace {

// w x h pixels of one colour, RGB.
std::vector<uint8_t> SolidPixels(int w, int h, const uint8_t rgb[3]) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < w * h; ++i) pixels.insert(pixels.end(), rgb, rgb + 3);
    return pixels;
}

// A JPEG of w x h in one colour.
std::vector<uint8_t> SolidJPEG(int w, int h, const uint8_t rgb[3]) {
    return EncodeJpeg(SolidPixels(w, h, rgb).data(), w, h, 3, 95);
}

// A box of half-size h around c: 8 vertices on `joint`, 12 triangles wound outwards, one
// material.
void AddBox(MS3D& m, float cx, float cy, float cz, float hx, float hy, float hz, int8_t joint) {
    const uint16_t base = static_cast<uint16_t>(m.vertices.size());
    for (int i = 0; i < 8; ++i) {
        m.vertices.push_back(model_fixtures::Vertex(cx + ((i & 1) ? hx : -hx),
                                                    cy + ((i & 2) ? hy : -hy),
                                                    cz + ((i & 4) ? hz : -hz), joint));
    }
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    const float normals[6][3] = {{0, 0, -1}, {0, 0, 1},  {0, -1, 0},
                                 {0, 1, 0},  {-1, 0, 0}, {1, 0, 0}};
    if (m.groups.empty()) {
        m.groups.emplace_back();
        std::strcpy(m.groups[0].name, "body");
        m.groups[0].materialIndex = 0;
    }
    for (int f = 0; f < 6; ++f) {
        for (const int first : {1, 2}) {  // corners 0, 1, 2 and 0, 2, 3
            MS3DTRIANGLE t;
            for (int k = 0; k < 3; ++k) {
                const int corner = k == 0 ? 0 : first + k - 1;
                t.vertexIndices[k] = static_cast<uint16_t>(base + faces[f][corner]);
                std::memcpy(t.normals[k], normals[f], sizeof(normals[f]));
                t.s[k] = (corner == 1 || corner == 2) ? 1.0f : 0.0f;
                t.t[k] = corner >= 2 ? 1.0f : 0.0f;
            }
            m.groups[0].triangleIndices.push_back(static_cast<uint16_t>(m.triangles.size()));
            m.triangles.push_back(t);
        }
    }
}

void AddMaterial(MS3D& m) {
    MS3DMATERIAL mat;
    std::strcpy(mat.name, "coat");
    for (int i = 0; i < 4; ++i) mat.ambient[i] = mat.diffuse[i] = 0.8f;
    mat.transparency = 1.0f;
    m.materials.push_back(mat);
}

std::vector<uint8_t> CatModel() {
    MS3D m;
    m.fps = static_cast<float>(kDogAnimFps);
    m.totalFrames = kDogAnimLastFrame + 10;
    AddMaterial(m);
    // Body: 4 x 2 x 6 model units (1 x 0.5 x 1.5 at the scene's scale of 0.25).
    AddBox(m, 0.0f, 3.0f, 0.0f, 2.0f, 1.0f, 3.0f, 0);
    const int paws[4] = {dogFeet[0][0], dogFeet[0][1], dogFeet[0][2], dogFeet[0][3]};
    for (int j = 0; j < 68; ++j) {
        MS3DJOINT joint;
        std::snprintf(joint.name, sizeof(joint.name), "j%d", j);
        if (j > 0) std::strcpy(joint.parentName, "j0");
        for (int p = 0; p < 4; ++p) {
            if (paws[p] != j) continue;
            joint.position[0] = (p & 1) ? 1.5f : -1.5f;
            joint.position[2] = (p & 2) ? 2.5f : -2.5f;
            // Lifted for 5 frames in every 10, each paw a little later than the one before.
            for (int frame = 0; frame <= m.totalFrames; frame += 5) {
                MS3DKEY key;
                key.time = static_cast<float>(frame + p) / m.fps;
                key.y = ((frame / 5) % 2) ? 2.0f : 0.0f;
                joint.translationKeys.push_back(key);
            }
        }
        m.joints.push_back(joint);
    }
    SyncMS3DCounts(&m);
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(WriteMS3D(m, &bytes));
    return bytes;
}

std::vector<uint8_t> ToyModel() {
    MS3D m;
    m.fps = 30.0f;
    AddMaterial(m);
    AddBox(m, 0.0f, 0.0f, 0.0f, 10.0f, 10.0f, 10.0f, -1);
    SyncMS3DCounts(&m);
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(WriteMS3D(m, &bytes));
    return bytes;
}

}  // namespace

void RemoveAtExit(const std::string& folder) {
    // Removes every registered folder when the test program ends.
    struct Folders {
        std::vector<std::string> list;
        ~Folders() {
            std::error_code ignored;
            for (const std::string& f : list) std::filesystem::remove_all(f, ignored);
        }
    };
    static Folders folders;
    folders.list.push_back(folder);
}

void ScenePictureColour(int i, uint8_t rgb[3]) {
    rgb[0] = static_cast<uint8_t>(40 + 15 * i);
    rgb[1] = static_cast<uint8_t>(200 - 10 * i);
    rgb[2] = static_cast<uint8_t>(i % 2 ? 220 : 30);
}

void GroundColour(uint8_t rgb[3]) {
    rgb[0] = 60;
    rgb[1] = 140;
    rgb[2] = 70;
}

std::string WriteTestPacks(const TestPackOptions& o) {
    char pattern[] = "/tmp/velmora-scene-XXXXXX";
    const char* made = mkdtemp(pattern);
    EXPECT_NE(made, nullptr);
    if (!made) return "/nonexistent/";
    const std::string dir = std::string(made) + "/";
    RemoveAtExit(dir);
    if (o.scenePack) {
        PackWriter pack;
        for (int i = 0; i < o.sceneLumps; ++i) {
            uint8_t rgb[3];
            ScenePictureColour(i, rgb);
            pack.AddLump(
                kLumpTGA, 0,
                EncodeTGA(SolidPixels(8, 8, rgb).data(), 8, 8, 3, TgaCoding::kUncompressed));
        }
        EXPECT_TRUE(pack.WriteFile(dir + pack_layout::kScenePack));
    }
    if (o.catPack) {
        PackWriter pack;
        pack.AddLump(0, 0, CatModel());
        EXPECT_TRUE(pack.WriteFile(dir + pack_layout::kCatPack));
    }
    PackWriter skins;
    const uint8_t coats[3][3] = {{230, 120, 20}, {30, 30, 30}, {240, 240, 240}};
    for (const auto& coat : coats) skins.AddLump(kLumpJPEG, 0, SolidJPEG(16, 16, coat));
    EXPECT_TRUE(skins.WriteFile(dir + pack_layout::kSkinPack));
    if (o.toyPack) {
        PackWriter pack;
        pack.AddLump(0, 0, ToyModel());
        EXPECT_TRUE(pack.WriteFile(dir + pack_layout::kToyPack));
    }
    uint8_t ground[3];
    GroundColour(ground);
    test_files::WriteBytes(dir + pack_layout::kFallbackPicture, SolidJPEG(64, 64, ground));
    return dir;
}

SETTINGS TestSettings(int cats, int footprints) {
    SETTINGS s = DefaultSettings();
    s.NUM_DOGS = cats;
    s.NUM_FOOTPRINTS = footprints;
    return s;
}

bool SetUpPopulation(DOGCONTROL& dc, SETTINGS& settings, const std::string& folder, int w, int h) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<float>(w) / static_cast<float>(h), 0.5, 3000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    dc.GetBounds();
    return dc.Setup(&settings, folder.c_str());
}

void RunFrames(SSMAIN& scene, int frames, double dt) {
    for (int i = 0; i < frames; ++i) {
        scene.Update(dt);
        scene.Draw();
    }
}

void ExpectVector(const VECTOR3D& v, float x, float y, float z, float tolerance) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

Pixel PixelAt(const std::vector<uint8_t>& rgba, int width, int x, int y) {
    const size_t i = (static_cast<size_t>(y) * width + x) * 4;
    return Pixel{rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
}

void SceneTest::SetUp() {
    ASSERT_TRUE(gl.Create(kWidth, kHeight)) << gl.Error();
    SetImageDecoder(&decoder);
    InitialiseViewGL(kWidth, kHeight);
}

void SceneTest::TearDown() {
    SetImageDecoder(nullptr);
}

const std::string& SceneTest::Packs() {
    static const std::string folder = WriteTestPacks();
    return folder;
}
