#include "scene/ssmain.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/pack_layout.h"
#include "assets/pack_textures.h"
#include "assets/texture.h"
#include "cats/dog_control.h"
#include "core/settings.h"
#include "math/errors.h"
#include "scene/ground.h"

namespace {

// Longer steps make every smoothing rule overshoot its target.
constexpr double kLongestFrame = 1.0;

}  // namespace

SSMAIN::~SSMAIN() {
    // Without a context the GL names cannot be deleted; Cleanup is the owner's job. Free the
    // memory at least, so a driver dropped without Cleanup leaks nothing but GL names.
    delete dogControl;
    delete[] textures;
}

uint32_t SSMAIN::TextureName(int slot) const {
    if (!textures || slot < 0 || slot >= numTextures) return 0;
    return textures[slot].texID;
}

void SSMAIN::FreeTextures() {
    delete[] textures;  // each Texture deletes its pixels and GL name
    textures = nullptr;
    numTextures = 0;
}

bool SSMAIN::Setup(bool preview, int w, int h, SETTINGS* s, const char* path) {
    isPreview = preview;
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    if (dogControl) {
        dogControl->Cleanup();
        delete dogControl;
    }
    dogControl = new DOGCONTROL;
    FreeTextures();
    damage.Reset();

    catsReady = false;
    catRetry_.Succeeded();
    std::string folder = path ? path : "";
    // Pack names are appended to the folder.
    if (!folder.empty() && folder.back() != '/') folder += '/';
    if (folder.size() + std::strlen(pack_layout::kScenePack) >= sizeof(resourcePath)) {
        ERRORCLOSE("The resource folder's path is too long.");
        return false;
    }
    LoadScenePictures(folder + pack_layout::kScenePack);

    width = w;
    height = h;

    const GLfloat ambient[] = {0.0f, 0.0f, 0.0f, 0.0f};
    const GLfloat diffuse[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat specular[] = {0.3f, 0.3f, 0.3f, 1.0f};
    const GLfloat position[] = {0.0f, 45.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glCullFace(GL_BACK);

    std::snprintf(resourcePath, sizeof(resourcePath), "%s", folder.c_str());
    settings = s;
    fogReady = false;
    return true;
}

void SSMAIN::LoadScenePictures(const std::string& pack) {
    Texture* loaded = nullptr;
    int count = 0;
    PackPictures outcome;
    missingPictures_.clear();
    pictureRetry_.Succeeded();
    if (LoadTexturesFromDataFile(pack.c_str(), &loaded, &count, &outcome)) {
        textures = loaded;
        numTextures = count;
        missingPictures_ = outcome.damaged;
        if (numTextures < pack_layout::kSceneSlotCount) {
            char message[256];
            std::snprintf(message, sizeof(message),
                          "the scene pack %s holds %d pictures of %d; the missing ones stay blank",
                          pack.c_str(), numTextures, pack_layout::kSceneSlotCount);
            ERRORCLOSE(message);
            WidenToSceneSlots();
        }
    } else {
        // Without its pictures the scene still has its ground and its cats.
        textures = new Texture[pack_layout::kSceneSlotCount];
        numTextures = pack_layout::kSceneSlotCount;
        for (int slot = 0; slot < pack_layout::kSceneSlotCount; ++slot)
            missingPictures_.push_back(slot);
    }
    if (!missingPictures_.empty()) {
        ReportMissingPictures(pack, outcome);
        pictureRetry_.Failed();
    }
}

// A short pack lacks pictures, not the scene: the slots it lacks draw with texture 0.
void SSMAIN::WidenToSceneSlots() {
    Texture* full = new Texture[pack_layout::kSceneSlotCount];
    for (int i = 0; i < numTextures; ++i) {
        std::swap(full[i].texID, textures[i].texID);
        full[i].width = textures[i].width;
        full[i].height = textures[i].height;
        full[i].type = textures[i].type;
        full[i].bpp = textures[i].bpp;
    }
    delete[] textures;
    textures = full;
    numTextures = pack_layout::kSceneSlotCount;
}

// One message for the whole pack, however many of its pictures are damaged.
void SSMAIN::ReportMissingPictures(const std::string& pack, const PackPictures& outcome) {
    if (!outcome.opened) {
        problems_.Report("scene pack", pack,
                         outcome.problem + "; the scene goes on without its pictures");
        return;
    }
    if (outcome.damaged.size() == 1) {
        problems_.Report("scene pack", pack, outcome.problem + "; it stays blank");
        return;
    }
    std::string slots;
    for (const int slot : outcome.damaged) {
        slots += (slots.empty() ? "" : ", ") + std::to_string(slot);
    }
    problems_.Report(
        "scene pack", pack,
        "pictures " + slots + " are damaged (the first: " + outcome.problem + "); they stay blank");
}

// Tries again, after a growing pause, only what failed: the pictures of the scene pack that are
// still missing, and the cats.
void SSMAIN::RetrySetups() {
    if (!missingPictures_.empty() && pictureRetry_.Due(frameTime)) {
        const std::string pack = std::string(resourcePath) + pack_layout::kScenePack;
        const PackPictures outcome =
            ReloadPackPictures(pack.c_str(), textures, numTextures, missingPictures_);
        missingPictures_ = outcome.damaged;
        if (missingPictures_.empty()) {
            pictureRetry_.Succeeded();
            problems_.Cleared(pack);
        } else {
            pictureRetry_.Failed();
            ReportMissingPictures(pack, outcome);
        }
        // The footprint picture reaches the cats by its name, which may have just come.
        dogControl->footprintTexture = TextureName(pack_layout::kFootprintSlot);
        // A picture that came changes what is drawn with it, still prints included.
        damage.Reset();
    }
    if (!catsReady && dogControl->boundsValid && catRetry_.Due(frameTime)) {
        dogControl->footprintTexture = TextureName(pack_layout::kFootprintSlot);
        dogControl->sceneTextures = textures;
        dogControl->numSceneTextures = numTextures;
        catsReady = dogControl->Setup(settings, resourcePath);
        if (catsReady) {
            catRetry_.Succeeded();
        } else {
            catRetry_.Failed();
        }
    }
}

void SSMAIN::SetSize(int w, int h) {
    width = w;
    height = h;
}

void SSMAIN::Update(double dt) {
    // A negative step would run every timer backwards; a long one overshoots every smoothing.
    frameTime = std::clamp(dt, 0.0, kLongestFrame);
    totalTime += frameTime;
}

void SSMAIN::ReshapeAndZoom(float zoom) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const float aspect = height > 0 ? static_cast<float>(width) / static_cast<float>(height) : 1.0f;
    gluPerspective(45.0 * zoom, aspect, 0.5, 3000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void SSMAIN::SetupFog(DOGCONTROL* dc) {
    fogReady = true;
    glFogi(GL_FOG_MODE, GL_LINEAR);
    const GLfloat colour[] = {0.0f, 0.0f, 0.0f, 1.0f};
    glFogfv(GL_FOG_COLOR, colour);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    const float m = std::min(dc->bounds.x, dc->bounds.z);
    glFogf(GL_FOG_START, 4.0f * m);
    glFogf(GL_FOG_END, 5.5f * m);
}

void SSMAIN::ClearFrame() {
    // The stencil is never used, but it shares its buffer with the depth: clearing the depth
    // alone must keep every pixel's stencil bits, which software OpenGL does pixel by pixel
    // (about 2 ms a frame at 1920x1080), while clearing both is a plain fill.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

void SSMAIN::PlanGround() {
    GroundFog fog;
    fog.on = fogReady;
    if (fogReady) {
        GLfloat fogColour[4], clearColour[4];
        glGetFloatv(GL_FOG_END, &fog.end);
        glGetFloatv(GL_FOG_COLOR, fogColour);
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
        fog.hiddenIsClear = std::equal(fogColour, fogColour + 3, clearColour);
    }
    ground_ = ::PlanGround(dogControl->bounds, settings && settings->TILEBG, cameraMatrix_, fog);
}

void SSMAIN::DrawGround() {
    glDisable(GL_DEPTH_TEST);
    glNormal3f(0.0f, 1.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, groundTexture);
    if (fogReady) glEnable(GL_FOG);
    DrawGroundQuads(dogControl->bounds, ground_.drawn);
    glDisable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
}

void SSMAIN::Draw() {
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    ReshapeAndZoom(1.0f);
    // A scene whose Setup failed has nothing to draw: the frame stays cleared.
    if (!dogControl || !textures) {
        damage.Begin(Look());
        damage.End();
        DrawFrame(false);
        return;
    }

    RetrySetups();
    dogControl->GetBounds();
    dogControl->camera.Move(dogControl, frameTime);

    const VECTOR3D& eye = dogControl->camera.eye;
    const GLfloat light[] = {eye.x, eye.y + 5.0f, eye.z, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    dogControl->frustum.ExtractFrustumFaster();
    if (settings && settings->TILEBG && !fogReady && dogControl->boundsValid) {
        SetupFog(dogControl);
    }
    glGetFloatv(GL_MODELVIEW_MATRIX, cameraMatrix_);
    PlanGround();

    // Everything moves before anything is drawn, so that the frame knows where it changed.
    damage.Begin(Look());
    dogControl->damage = &damage;
    if (catsReady) {
        dogControl->Move(frameTime, resourcePath);
        dogControl->FadeFootPrints(frameTime);
    }
    if (!isPreview) {
        UpdateBanner();
        UpdateDimming();
    }
    TrackMovingThings();
    damage.End();

    DrawFrame(true);
    glDisable(GL_TEXTURE_2D);
}

void SSMAIN::DrawFrame(bool withScene) {
    std::vector<PixelRect> staleDepth;
    if (!damage.DepthWritten(backBufferAge, &staleDepth)) {
        // Nothing is known of the buffer: one fill of it all is the cheapest clear there is.
        ClearFrame();
        if (withScene) DrawPass(nullptr);
        return;
    }
    // Otherwise each clear is kept to where it is needed, for clears cost software OpenGL as much
    // as drawing the ground (a whole-frame fill of colour and depth about 6 ms at 1920x1080, of
    // colour alone 2 ms): the depth is reset where the frame in the buffer wrote it, and the
    // colour where the ground leaves pixels uncovered.
    std::vector<PixelRect> rects;
    const bool repair = damage.Repair(backBufferAge, &rects);
    if (!repair) rects.assign(1, PixelRect{0, 0, width, height});
    const bool covered = withScene && GroundCoversFrame();
    const std::vector<PixelRect> printRects =
        repair && withScene ? PrintRects() : std::vector<PixelRect>();
    for (const PixelRect& rect : rects) {
        glEnable(GL_SCISSOR_TEST);
        for (const PixelRect& written : staleDepth) {
            const PixelRect stale = Intersection(written, rect);
            if (stale.Empty()) continue;
            glScissor(stale.x, stale.y, stale.width, stale.height);
            glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        }
        glScissor(rect.x, rect.y, rect.width, rect.height);
        if (!repair) glDisable(GL_SCISSOR_TEST);
        if (!covered) glClear(GL_COLOR_BUFFER_BIT);
        if (withScene) {
            // A part of the frame needs only what is drawn into it.
            const DrawSelection only = repair ? Selection(rect, printRects) : DrawSelection{};
            DrawPass(repair ? &only : nullptr);
        }
    }
    glDisable(GL_SCISSOR_TEST);
}

void SSMAIN::DrawPass(const DrawSelection* only) {
    ReshapeAndZoom(1.0f);
    glLoadMatrixf(cameraMatrix_);
    glEnable(GL_CULL_FACE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    DrawGround();
    if (catsReady) {
        glPushMatrix();
        dogControl->DrawObjects(only);
        glPopMatrix();
    }
    glDisable(GL_CULL_FACE);
    if (!isPreview) DrawOverlay();
}

void SSMAIN::Cleanup() {
    if (dogControl) {
        dogControl->Cleanup();
        delete dogControl;
        dogControl = nullptr;
    }
    catsReady = false;
    FreeTextures();
    damage.Reset();
    if (groundTexture != 0) {
        const GLuint name = groundTexture;
        glDeleteTextures(1, &name);
        groundTexture = 0;
    }
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_CULL_FACE);
    glDisable(GL_COLOR_MATERIAL);
}
