#include "apps/velmora-packgen/preview.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "assets/pack_textures.h"
#include "assets/resfile.h"
#include "assets/texture.h"
#include "cats/dog_anims.h"
#include "host/image_decoder.h"
#include "math/matrix.h"
#include "model/animation_template.h"
#include "model/ms3d.h"
#include "model/one_model.h"
#include "platform/headless_gl.h"
#include "platform/stb_image_decoder.h"
#include "tools/packgen/image.h"
#include "tools/packgen/packs.h"

namespace {

constexpr int kCellW = 256, kCellH = 200, kPosesPerClip = 8;
constexpr float kCatScale = 0.25f, kToyScale = 0.035f;
constexpr double kFootDown = 0.175;  // the height below which a paw lays a footprint

struct Loaded {
    std::unique_ptr<ANIMATIONTEMPLATE> animation;
    std::unique_ptr<ONEMODEL> cat;
    std::vector<std::unique_ptr<Texture>> skins;
    Texture* scene = nullptr;
    int sceneCount = 0;
    GLuint toyList = 0;
};

bool LoadCat(const std::string& dir, Loaded& out, std::string* error) {
    RESFILE pack;
    const std::string path = dir + "/" + packgen::kCatPack;
    if (!pack.Open(path.c_str()) || !pack.SeekLump(0)) {
        *error = "cannot open " + path;
        return false;
    }
    MS3D model;
    if (!model.LoadFromFStream(pack.stream, pack.directory[0].size)) {
        *error = "the cat model does not load";
        return false;
    }
    model.Scale(kCatScale);
    model.InitialSetup();
    out.animation = std::make_unique<ANIMATIONTEMPLATE>();
    out.cat = std::make_unique<ONEMODEL>();
    unsigned long none = 0;
    if (!out.animation->Setup(&model) || !out.cat->Setup(out.animation.get(), &model, &none)) {
        *error = "the cat model cannot be set up";
        return false;
    }
    return true;
}

bool LoadSkins(const std::string& dir, Loaded& out, std::string* error) {
    RESFILE pack;
    const std::string path = dir + "/" + packgen::kSkinPack;
    if (!pack.Open(path.c_str())) {
        *error = "cannot open " + path;
        return false;
    }
    for (int k = 0; k < 3; ++k) {
        void* bytes = nullptr;
        auto tex = std::make_unique<Texture>();
        if (!pack.LoadData(k, &bytes) ||
            !BuildJPGTexture(tex.get(), bytes, long(pack.directory[k].size), 0)) {
            delete[] static_cast<char*>(bytes);
            *error = "a skin does not load";
            return false;
        }
        delete[] static_cast<char*>(bytes);
        out.skins.push_back(std::move(tex));
    }
    return true;
}

bool LoadToy(const std::string& dir, Loaded& out, std::string* error) {
    const std::string scene = dir + "/" + packgen::kScenePack;
    if (!LoadTexturesFromDataFile(scene.c_str(), &out.scene, &out.sceneCount) ||
        out.sceneCount < 13) {
        *error = "the scene pictures do not load";
        return false;
    }
    RESFILE pack;
    const std::string path = dir + "/" + packgen::kToyPack;
    MS3D model;
    if (!pack.Open(path.c_str()) || !pack.SeekLump(0) ||
        !model.LoadFromFStream(pack.stream, pack.directory[0].size)) {
        *error = "the toy does not load";
        return false;
    }
    model.Scale(kToyScale);
    out.toyList = glGenLists(1);
    glNewList(out.toyList, GL_COMPILE);
    model.Render();
    glEndList();
    return true;
}

void SetupCell(int index, int row, double width, double centreY, bool perspective) {
    glViewport(index * kCellW, row * kCellH, kCellW, kCellH);
    glScissor(index * kCellW, row * kCellH, kCellW, kCellH);
    glEnable(GL_SCISSOR_TEST);
    glClearColor(0.82f, 0.85f, 0.88f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double aspect = double(kCellW) / kCellH;
    if (perspective)
        gluPerspective(30.0, aspect, 0.5, 100.0);
    else
        glOrtho(-width * 0.5, width * 0.5, centreY - width * 0.5 / aspect,
                centreY + width * 0.5 / aspect, -20, 20);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void Lights() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat position[4] = {-0.4f, 1.0f, 0.6f, 0.0f};
    const GLfloat ambient[4] = {0.45f, 0.45f, 0.45f, 1.0f};
    const GLfloat diffuse[4] = {0.75f, 0.75f, 0.75f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
}

void Pose(ONEMODEL& cat, const DOGANIM& clip, double seconds) {
    cat.RevertPoints(cat.joints.get());
    cat.SetAnimation(clip.start, clip.end, 1000.0, false, false);
    if (seconds > 0)
        cat.Animate(seconds);
    else
        cat.Animate(0.0);
    cat.UpdateSkeleton();
    cat.UpdatePoints(cat.joints.get());
}

// The ground line and a dot at every paw: red when it is down, blue when lifted.
void MarkPaws(const ONEMODEL& cat) {
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glColor3f(0.45f, 0.42f, 0.38f);
    glBegin(GL_LINES);
    glVertex3f(0, 0, -3);
    glVertex3f(0, 0, 3);
    glVertex3f(0, float(kFootDown), -3);
    glColor3f(0.7f, 0.68f, 0.64f);
    glVertex3f(0, float(kFootDown), 3);
    glEnd();
    glPointSize(7.0f);
    glBegin(GL_POINTS);
    for (int i = 0; i < 4; ++i) {
        const VECTOR3D p = MatrixPointMultiply(cat.joints[dogFeet[0][i]].absolute, VECTOR3D{});
        if (p.y < kFootDown)
            glColor3f(0.9f, 0.1f, 0.1f);
        else
            glColor3f(0.1f, 0.3f, 0.95f);
        glVertex3f(-p.x, p.y, -p.z);  // drawn turned half round, as the cat is
    }
    glEnd();
    glColor3f(1, 1, 1);
}

bool SavePng(const std::string& path, const HeadlessGL& gl, int width, int height) {
    const std::vector<uint8_t> pixels = gl.ReadPixels();
    // The pictures are drawn at the bottom of the buffer; the read-back starts at its top.
    packgen::Image img(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c)
                img.rgba[(size_t(y) * width + x) * 4 + c] =
                    pixels[(size_t(y + gl.Height() - height) * gl.Width() + x) * 4 + c];
    return packgen::WriteFileBytes(path, packgen::EncodePng(img));
}

bool ClipStrips(const std::string& folder, HeadlessGL& gl, Loaded& l) {
    ONEMODEL& cat = *l.cat;
    for (int c = 0; c < kDogAnimCount; ++c) {
        const DOGANIM& clip = dogAnims[c];
        const double seconds = double(clip.end - clip.start) / kDogAnimFps;
        for (int i = 0; i < kPosesPerClip; ++i) {
            SetupCell(i, 0, 4.6, 0.0, false);
            gluLookAt(-6, 1.1, 0, 0, 1.1, 0, 0, 1, 0);
            Lights();
            Pose(cat, clip, seconds * i / (kPosesPerClip - 1));
            cat.materials[0].texID = l.skins[c % 3]->texID;
            cat.Draw();
            MarkPaws(cat);
        }
        gl.Finish();
        char name[64];
        std::snprintf(name, sizeof name, "/clip%02d.png", c);
        if (!SavePng(folder + name, gl, kCellW * kPosesPerClip, kCellH)) return false;
    }
    return true;
}

bool SkinSheet(const std::string& folder, HeadlessGL& gl, Loaded& l) {
    ONEMODEL& cat = *l.cat;
    Pose(cat, dogAnims[0], 0.0);
    for (int k = 0; k < 4; ++k) {
        // Top row: the three coats from the front quarter and one from behind.
        SetupCell(k, 0, 4, 1, true);
        const double side = k == 3 ? -1.0 : 1.0;
        gluLookAt(3.6 * side, 2.0, 4.0 * side, 0, 0.8, 0, 0, 1, 0);
        Lights();
        cat.materials[0].texID = l.skins[k % 3]->texID;
        cat.Draw();
        // Bottom row: the toy in its four colours.
        SetupCell(k, 1, 4, 1, true);
        gluLookAt(0, 1.2, 3.0, 0, 0.7, 0, 0, 1, 0);
        Lights();
        glBindTexture(GL_TEXTURE_2D, l.scene[9 + k].texID);
        glPushMatrix();
        glTranslatef(0, 0.7f, 0);
        glRotatef(25.0f * k, 0.3f, 1, 0);
        glCallList(l.toyList);
        glPopMatrix();
    }
    for (int k = 0; k < 4; ++k) {
        // Third row: the faces close up, and the ginger coat's picture as it is painted.
        SetupCell(k, 2, 4, 1, true);
        Lights();
        if (k < 3) {
            gluLookAt(0.35, 1.6, 3.2, 0, 1.45, 1.2, 0, 1, 0);
            cat.materials[0].texID = l.skins[k]->texID;
            cat.Draw();
        } else {
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            glOrtho(0, 1, 0, 1, -1, 1);
            glMatrixMode(GL_MODELVIEW);
            glDisable(GL_LIGHTING);
            glDisable(GL_CULL_FACE);
            glBindTexture(GL_TEXTURE_2D, l.skins[0]->texID);
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0);
            glVertex2f(0.2f, 0);
            glTexCoord2f(1, 0);
            glVertex2f(0.8f, 0);
            glTexCoord2f(1, 1);
            glVertex2f(0.8f, 1);
            glTexCoord2f(0, 1);
            glVertex2f(0.2f, 1);
            glEnd();
        }
    }
    gl.Finish();
    return SavePng(folder + "/skins_and_toy.png", gl, kCellW * 4, kCellH * 3);
}

// The coats as the saver mostly shows them: from straight above (the overview) and from raised
// quarters (the follow shot), at three moments of a walk, a sit, a sleep and a toy clip. One
// sheet per clip, a row per coat: three top views, three front quarters, two rear quarters.
struct CoatClip {
    const char* name;
    int clip;
    double moments[3];  // shares of the clip's length
};
constexpr CoatClip kCoatClips[] = {
    {"walk", 15, {0.1, 0.27, 0.43}},
    {"sit", 7, {0.1, 0.45, 0.8}},
    {"sleep", 56, {0.2, 0.5, 0.8}},
    {"toy", 69, {0.3, 0.6, 0.72}},
};

// The cat is drawn turned half round: its nose towards +z, its tail towards -z.
void TopView(int column, int row) {
    SetupCell(column, row, 4.8, 0.0, false);
    // Looking straight down, the nose to the right and the tail in the picture.
    gluLookAt(0, 10, -0.6, 0, 0, -0.6, 1, 0, 0);
}

void QuarterView(int column, int row, bool front) {
    SetupCell(column, row, 0, 0, true);
    const double z = front ? 1.0 : -1.0;
    gluLookAt(-4.4 * z, 3.9, 4.6 * z, 0, 0.5, -0.4, 0, 1, 0);
}

bool CoatSheets(const std::string& folder, HeadlessGL& gl, Loaded& l) {
    ONEMODEL& cat = *l.cat;
    for (const CoatClip& sheet : kCoatClips) {
        const DOGANIM& clip = dogAnims[sheet.clip];
        const double seconds = double(clip.end - clip.start) / kDogAnimFps;
        for (int coat = 0; coat < 3; ++coat) {
            const int row = 2 - coat;
            cat.materials[0].texID = l.skins[coat]->texID;
            for (int m = 0; m < 3; ++m) {
                Pose(cat, clip, seconds * sheet.moments[m]);
                TopView(m, row);
                Lights();
                cat.Draw();
                QuarterView(3 + m, row, true);
                Lights();
                cat.Draw();
                if (m < 2) {
                    QuarterView(6 + m, row, false);
                    Lights();
                    cat.Draw();
                }
            }
        }
        gl.Finish();
        if (!SavePng(folder + "/coats_" + sheet.name + ".png", gl, kCellW * 8, kCellH * 3))
            return false;
    }
    return true;
}

}  // namespace

bool WritePreview(const std::string& folder, std::string* error) {
    const std::string packs = folder + "/packs";
    mkdir(folder.c_str(), 0755);
    mkdir(packs.c_str(), 0755);
    if (!packgen::WriteResources(packs, error)) return false;
    HeadlessGL gl;
    if (!gl.Create(kCellW * kPosesPerClip, kCellH * 3)) {
        *error = "no headless OpenGL context: " + gl.Error();
        return false;
    }
    StbImageDecoder decoder;
    SetImageDecoder(&decoder);
    bool ok;
    {
        Loaded l;
        ok = LoadCat(packs, l, error) && LoadSkins(packs, l, error) && LoadToy(packs, l, error);
        if (ok &&
            !(ClipStrips(folder, gl, l) && SkinSheet(folder, gl, l) && CoatSheets(folder, gl, l))) {
            *error = "cannot write the review pictures into " + folder;
            ok = false;
        }
        delete[] l.scene;
        if (l.toyList) glDeleteLists(l.toyList, 1);
    }
    SetImageDecoder(nullptr);
    return ok;
}
