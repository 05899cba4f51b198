// The cat population: the template cat built from the model pack, the cats, their three skins,
// the shared footprint ring, the one toy, and the frustum and camera of the current view.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/pack_problem.h"
#include "math/matrix.h"
#include "math/vector3d.h"
#include "scene/camera.h"
#include "scene/frustum.h"
#include "scene/retry_pause.h"

struct SETTINGS;
struct Texture;
class ONEDOG;
class ONETOY;
class ANIMATIONTEMPLATE;
class FrameDamage;

// One print on the ground.
struct FOOTPRINT {
    VECTOR3D corners[4];
    float life = -1.0f;  // -1 never written; 1 fresh; fading towards 0 and below
};

// The fully set-up template cat every cat is copied from, and the animation data all share.
struct DOGTEMPLATE {
    ONEDOG* model = nullptr;
    ANIMATIONTEMPLATE* animation = nullptr;

    DOGTEMPLATE() = default;
    ~DOGTEMPLATE();
    DOGTEMPLATE(const DOGTEMPLATE&) = delete;
    DOGTEMPLATE& operator=(const DOGTEMPLATE&) = delete;
};

// The things a partial redraw draws: those whose screen box meets the part redrawn. A cat or
// print is drawn when its entry is non-zero; the toy goes with its string.
struct DrawSelection {
    std::vector<char> cats;
    std::vector<char> prints;
    bool toy = true;
};

// What happened in the scene so far; the headless renderer prints it.
struct SCENESTATS {
    int64_t catsPlaced = 0;
    int64_t footprintsLaid = 0;
    int64_t toyKicks = 0;   // frames in which a walking cat touched the toy
    int64_t toyHits = 0;    // strikes of a playing cat inside its clip's hit window
    int64_t toyThrows = 0;  // relaunches after the toy was out of view
};

class DOGCONTROL {
  public:
    Texture* sceneTextures = nullptr;  // the scene driver's array; not owned
    DOGTEMPLATE* dogTemplate = nullptr;
    FRUSTUM frustum;
    CAMERA camera;
    ONEDOG* dogs = nullptr;
    int32_t numDogs = 0;
    Texture* dogTextures = nullptr;  // three skins
    uint32_t footprintTexture = 0;   // owned: deleted by Cleanup
    float dogSize = 1.0f;
    FOOTPRINT* footprints = nullptr;
    int32_t numFootprints = 1000;
    int32_t nextFootprint = 0;
    int32_t nextFade = 5;
    VECTOR3D bounds{0.0f, 0.0f, 0.0f};  // half-width (x) and half-depth (z) of the ground
    bool boundsValid = false;
    ONETOY* toys = nullptr;  // exactly one, created by the first Move

    // Scene-pack slots that a pack with fewer lumps lacks count as texture name 0.
    int32_t numSceneTextures = 0;

    // Told where prints are laid, overwritten and fade, when the scene tracks where its frames
    // change; not owned, may be null.
    FrameDamage* damage = nullptr;

    SCENESTATS stats;
    // Each pack's problem is reported once, however often its set-up is tried again.
    PackProblems problems;

    // Skins in the skin pack, one JPEG lump each.
    static constexpr int kSkinCount = 3;

    DOGCONTROL() = default;
    ~DOGCONTROL();
    DOGCONTROL(const DOGCONTROL&) = delete;
    DOGCONTROL& operator=(const DOGCONTROL&) = delete;

    // Loads the model and skins (the cat and skin packs in resourcePath, which ends in "/") and
    // creates the cats, unplaced. False when the model cannot be read; what a failed attempt
    // allocated is released, so the next attempt starts clean. A coat that cannot be read leaves
    // its cats blank (texture 0), not catless; Move tries it again after a growing pause.
    bool Setup(SETTINGS* settings, const char* resourcePath);
    // Measures the visible ground once, from the current projection.
    void GetBounds();
    // Moves cats and toy; creates the toy on the first call. Coats and a toy model that could not
    // be read are tried again here, after a growing pause.
    void Move(double dt, const char* resourcePath);
    // Fades the prints by dt, then draws cats, prints and toy.
    void Draw(double dt);
    // Draws cats, prints and toy as they are, all or only the selected: Draw without the fading,
    // which a frame drawn in several parts does once before them.
    void DrawObjects(const DrawSelection* only = nullptr) const;
    void Cleanup();

    void AddFootPrint(VECTOR3D p, const MATRIX& m);
    // FadeFootPrints, then DrawFootPrintQuads.
    void DrawFootPrints(double dt);
    void FadeFootPrints(double dt);
    void DrawFootPrintQuads(const DrawSelection* only = nullptr) const;

    // The toy, or nullptr before the first Move.
    ONETOY* Toy() const { return toys; }
    // GL name of scene texture `slot`, 0 when there is no such slot.
    uint32_t SceneTexture(int slot) const;

  private:
    bool LoadTemplate(const char* resourcePath);
    void ReleaseCats();
    bool LoadSkin(int index, const char* resourcePath, std::string& packProblem);
    bool LoadMissingSkins(const char* resourcePath);
    void ChooseSkin(int i);
    void WearSkins();
    void RetryMissingParts(double dt, const char* resourcePath);

    bool skinMissing_[kSkinCount] = {false, false, false};  // worn but not read
    RetryPause skinRetry_;
    bool toyModelMissing_ = false;
    RetryPause toyRetry_;
};
