// The scene driver: one per view. It owns the scene's GL state, the textures of the scene pack,
// the ground picture and the cat population, and renders one whole frame per Draw: projection,
// lazy creation of the cats, camera, light, ground (one quad or 5 x 5 fogged tiles), cats with
// their footprints and toy, and the overlay. Over a back buffer that still holds an earlier frame
// it redraws only where the picture changed since (see scene/damage.h).
//
// Every call needs the view's GL context current; the driver never makes a context current.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/pack_layout.h"
#include "assets/pack_problem.h"
#include "math/vector3d.h"
#include "scene/damage.h"
#include "scene/ground.h"
#include "scene/retry_pause.h"

struct DrawSelection;
struct SETTINGS;
struct Texture;
struct PackPictures;
class DOGCONTROL;

class SSMAIN {
  public:
    double totalTime = 0.0;
    double frameTime = 0.0;
    int32_t width = 0;
    int32_t height = 0;
    bool isPreview = false;

    // Overlay state.
    float bannerTimer = 120.0f;
    bool bannerShown = false;
    bool bannerAtTop = false;
    point2d bannerPos{0.0f, -35.0f};
    uint32_t bannerPicture = 5;
    float fadeTimer = 90.0f;
    float fadeAlpha = 0.0f;

    bool fogReady = false;
    int32_t numTextures = 0;
    // One entry per lump of the scene pack; always at least pack_layout::kSceneSlotCount entries
    // once Setup succeeded (slots a short pack lacks hold texture name 0).
    Texture* textures = nullptr;
    DOGCONTROL* dogControl = nullptr;
    char resourcePath[1024] = {};
    bool catsReady = false;
    SETTINGS* settings = nullptr;  // the view's record; read every frame (TILEBG)
    uint32_t groundTexture = 0;    // owned once handed over
    // Where each frame changed; the view presents only that when its surface allows.
    FrameDamage damage;
    // How many frames ago the back buffer's content was drawn when Draw starts: 1 for the last
    // frame, 0 when it is undefined and the frame must be drawn whole (the default).
    int backBufferAge = 0;

    SSMAIN() = default;
    ~SSMAIN();
    SSMAIN(const SSMAIN&) = delete;
    SSMAIN& operator=(const SSMAIN&) = delete;

    // Lights, the scene pack's textures and an empty population. A picture of the pack that is
    // damaged stays blank, and so do all of them when the pack cannot be read: the ground and
    // the cats come all the same. What failed is named once on the alert sink and tried again
    // after a growing pause. False only for a resource folder path too long to use; the driver
    // then draws cleared frames only.
    bool Setup(bool isPreview, int width, int height, SETTINGS* settings, const char* resourcePath);
    void SetSize(int width, int height);
    // Frame times above one second are taken as one second: longer steps make every smoothing
    // rule overshoot.
    void Update(double dt);
    void Draw();
    void Cleanup();

    void ReshapeAndZoom(float zoom);
    void SetupFog(DOGCONTROL* dogControl);
    void DoOverlay();

    // GL name of texture slot i, or 0 for a slot the pack did not provide.
    uint32_t TextureName(int slot) const;

  private:
    void ClearFrame();
    // Decides, once a frame, which ground quads are drawn.
    void PlanGround();
    void LoadScenePictures(const std::string& pack);
    void WidenToSceneSlots();
    void ReportMissingPictures(const std::string& pack, const PackPictures& outcome);
    void RetrySetups();
    void DrawGround();
    void UpdateBanner();
    void UpdateDimming();
    void DrawOverlay();
    void DrawBanner();
    // The banner's two strips where it stands now, in window pixels: the corner picture and the
    // message. Drawn, and tracked as damage, from the same numbers.
    struct Strip {
        float x, y, width, height;
    };
    std::array<Strip, 2> BannerStrips() const;
    void DrawDimming();
    void FreeTextures();
    // Damage: what decides the whole picture, and the boxes of what moves (scene/scene_damage.cpp).
    SceneLook Look() const;
    void TrackMovingThings();
    void TrackOverlay();
    // Draws the frame where it must be redrawn: whole, or rectangle by rectangle.
    void DrawFrame(bool withScene);
    // The scene once, from the ground up, within the current scissor: of the population all, or
    // only what meets the rectangle redrawn.
    void DrawPass(const DrawSelection* only);
    // What of the population meets `rect`; printRects holds each print's screen box.
    DrawSelection Selection(const PixelRect& rect, const std::vector<PixelRect>& printRects) const;
    std::vector<PixelRect> PrintRects() const;
    // The ground as planned covers every pixel of the frame.
    bool GroundCoversFrame() const;

    float cameraMatrix_[16] = {};
    GroundPlan ground_;
    // Screen boxes of this frame's cats (empty for a cat not drawn) and of the toy with its string.
    std::vector<PixelRect> catRects_;
    PixelRect toyRect_;
    float drawnDimming_ = 0.0f;  // the dimming's opacity as last drawn, and its caption
    uint32_t drawnCaption_ = 0;

    // Slots of the scene pack still to be loaded (all of them while the pack cannot be opened),
    // and the pauses before the pictures and the cats are tried again.
    std::vector<int> missingPictures_;
    RetryPause pictureRetry_;
    RetryPause catRetry_;
    PackProblems problems_;
};
