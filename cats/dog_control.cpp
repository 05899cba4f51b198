#include "cats/dog_control.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>

#include "assets/pack_layout.h"
#include "assets/resfile.h"
#include "assets/texture.h"
#include "cats/one_dog.h"
#include "core/settings.h"
#include "model/animation_template.h"
#include "model/ms3d.h"
#include "toys/one_toy.h"

namespace {

// The depth in front of the eye at which the visible ground is measured: the overview's height.
constexpr float kGroundDepth = -40.0f;

}  // namespace

DOGTEMPLATE::~DOGTEMPLATE() {
    delete model;
    delete animation;
    model = nullptr;
    animation = nullptr;
}

DOGCONTROL::~DOGCONTROL() {
    // Cleanup (with the context current) normally ran; this frees whatever memory is left.
    ReleaseCats();
    delete[] toys;
}

uint32_t DOGCONTROL::SceneTexture(int slot) const {
    if (!sceneTextures || slot < 0 || slot >= numSceneTextures) return 0;
    return sceneTextures[slot].texID;
}

void DOGCONTROL::ReleaseCats() {
    delete[] dogs;
    dogs = nullptr;
    delete[] dogTemplate;
    dogTemplate = nullptr;
    delete[] dogTextures;
    dogTextures = nullptr;
    delete[] footprints;
    footprints = nullptr;
}

bool DOGCONTROL::LoadTemplate(const char* resourcePath) {
    const std::string path = std::string(resourcePath) + pack_layout::kCatPack;
    RESFILE pack;
    if (!pack.Open(path.c_str()) || !pack.SeekLump(0)) {
        problems.Report("cat model pack", path, pack.Problem());
        return false;
    }
    MS3D model;
    std::string reason;
    if (!model.LoadFromFStream(pack.stream, pack.LumpSize(0), reason)) {
        // An unreadable model would give cats with no body and no paws.
        problems.Report("cat model pack", path, "its model is not valid: " + reason);
        return false;
    }
    problems.Cleared(path);
    model.Scale(0.25f * dogSize);
    model.InitialSetup();

    DOGTEMPLATE& t = dogTemplate[0];
    t.animation = new ANIMATIONTEMPLATE;
    if (!t.animation->Setup(&model)) return false;
    t.model = new ONEDOG;
    // The skins are not loaded yet: the template's materials name texture 0.
    unsigned long noTexture = 0;
    if (!t.model->Setup(t.animation, &model, &noTexture)) return false;
    t.model->footRow = 0;
    return true;
}

void DOGCONTROL::ChooseSkin(int i) {
    ONEDOG& cat = dogs[i];
    if (numDogs > 2) {
        cat.texIndex = i % kSkinCount;
        return;
    }
    // With at most two cats every cat gets a coat of its own.
    bool taken = true;
    while (taken) {
        cat.texIndex = std::rand() % kSkinCount;
        taken = false;
        for (int j = 0; j < numDogs; ++j) {
            if (j != i && dogs[j].texIndex == cat.texIndex) taken = true;
        }
    }
}

bool DOGCONTROL::LoadSkin(int index, const char* resourcePath, std::string& packProblem) {
    Texture& skin = dogTextures[index];
    if (skin.texID != 0) return true;  // another cat wears it already
    const std::string path = std::string(resourcePath) + pack_layout::kSkinPack;
    RESFILE pack;
    if (!pack.Open(path.c_str()) || !pack.SeekLump(index)) {
        packProblem = pack.Problem();
        return false;
    }
    const RESENTRY& entry = pack.directory[index];
    // A lump that is not a JPEG picture leaves the coat blank.
    if (entry.kind != kLumpJPEG) return true;
    void* data = nullptr;
    if (!pack.LoadData(index, &data)) {
        packProblem = pack.Problem();
        return false;
    }
    const bool built = BuildJPGTexture(&skin, data, entry.size, entry.mode);
    delete[] static_cast<char*>(data);
    if (!built) skin.Clear();
    return built;
}

// Loads every coat still missing; one message for the coat pack, however many of them fail.
bool DOGCONTROL::LoadMissingSkins(const char* resourcePath) {
    std::string packProblem;
    std::string coats;
    int failed = 0;
    for (int k = 0; k < kSkinCount; ++k) {
        if (!skinMissing_[k]) continue;
        skinMissing_[k] = !LoadSkin(k, resourcePath, packProblem);
        if (!skinMissing_[k]) continue;
        coats += (failed++ == 0 ? "" : ", ") + std::to_string(k);
    }
    WearSkins();
    const std::string path = std::string(resourcePath) + pack_layout::kSkinPack;
    if (failed == 0) {
        problems.Cleared(path);
        return true;
    }
    coats = (failed == 1 ? "coat " : "coats ") + coats;
    const std::string reason = packProblem.empty() ? coats + " cannot be decoded" : packProblem;
    problems.Report("cat skin pack", path, reason + "; the cats wearing " + coats + " stay blank");
    return false;
}

// Every cat's first material shows its coat; a coat not read yet shows as texture 0 (blank).
void DOGCONTROL::WearSkins() {
    for (int i = 0; i < numDogs; ++i) {
        ONEDOG& cat = dogs[i];
        if (cat.materialCount > 0) cat.materials[0].texID = dogTextures[cat.texIndex].texID;
    }
}

bool DOGCONTROL::Setup(SETTINGS* settings, const char* resourcePath) {
    if (!settings || !resourcePath) return false;
    // Each attempt starts clean: nothing of an earlier failed attempt is kept.
    ReleaseCats();
    std::fill(std::begin(skinMissing_), std::end(skinMissing_), false);

    numDogs = std::max(settings->NUM_DOGS, 0);
    dogSize = settings->dogSize;
    // A ring needs at least one print to keep, and the fade cursor must lie inside it.
    const int keep = std::max(settings->NUM_FOOTPRINTS, 1);
    numFootprints = keep + 5 * numDogs;
    nextFade = (5 * numDogs) % numFootprints;
    nextFootprint %= numFootprints;
    footprints = new FOOTPRINT[numFootprints];

    dogTextures = new Texture[kSkinCount];
    dogTemplate = new DOGTEMPLATE[1];
    if (!LoadTemplate(resourcePath)) {
        ReleaseCats();
        return false;
    }

    dogs = new ONEDOG[numDogs];
    for (int i = 0; i < numDogs; ++i) {
        ONEDOG& cat = dogs[i];
        if (!cat.CopyFrom(dogTemplate)) {
            ReleaseCats();
            return false;
        }
        ChooseSkin(i);
        skinMissing_[cat.texIndex] = true;
    }
    // One coat that cannot be read costs that coat, not the cats.
    skinRetry_.Succeeded();
    if (!LoadMissingSkins(resourcePath)) skinRetry_.Failed();
    return true;
}

// Coats and the toy's model that could not be read are tried again after a growing pause, so
// that a file damaged for good costs almost nothing and one that appears later still comes.
void DOGCONTROL::RetryMissingParts(double dt, const char* resourcePath) {
    bool skinsMissing = false;
    for (const bool missing : skinMissing_) skinsMissing = skinsMissing || missing;
    if (skinsMissing && skinRetry_.Due(dt)) {
        if (LoadMissingSkins(resourcePath)) {
            skinRetry_.Succeeded();
        } else {
            skinRetry_.Failed();
        }
    }
    if (toyModelMissing_ && toyRetry_.Due(dt)) {
        toyModelMissing_ = !toys[0].Setup(resourcePath, 0, this);
        if (toyModelMissing_) {
            toyRetry_.Failed();
        } else {
            toyRetry_.Succeeded();
        }
    }
}

void DOGCONTROL::GetBounds() {
    if (boundsValid) return;
    glPushMatrix();
    glLoadIdentity();
    frustum.ExtractFrustumFaster();
    const VECTOR3D ahead{0.0f, 0.0f, kGroundDepth};
    bounds.x = frustum.PointAtEdgeOfFrustum(FRUSTUM::kRight, ahead).x;
    bounds.y = 0.0f;
    bounds.z = frustum.PointAtEdgeOfFrustum(FRUSTUM::kTop, ahead).y;
    glPopMatrix();
    frustum.ExtractFrustumFaster();
    boundsValid = true;
}

void DOGCONTROL::Move(double dt, const char* resourcePath) {
    GetBounds();
    for (int i = 0; dogs && i < numDogs; ++i) {
        ONEDOG& cat = dogs[i];
        if (cat.action < 0) {
            if ((std::rand() & 3) == 0) cat.Reset(this);
        } else {
            cat.Move(dt, this);
        }
    }
    if (!toys) {
        toys = new ONETOY[1];
        toyModelMissing_ = !toys[0].Setup(resourcePath, 0, this);
        if (toyModelMissing_) toyRetry_.Failed();
    }
    RetryMissingParts(dt, resourcePath);
    toys[0].Move(static_cast<float>(dt), this);
}

void DOGCONTROL::Draw(double dt) {
    FadeFootPrints(dt);
    DrawObjects();
}

void DOGCONTROL::DrawObjects(const DrawSelection* only) const {
    for (int i = 0; dogs && i < numDogs; ++i) {
        if (only && !only->cats[size_t(i)]) continue;
        // Unplaced cats, and cats placed this frame, are not drawn yet.
        if (dogs[i].action > 0) dogs[i].Draw();
    }
    DrawFootPrintQuads(only);
    if (toys && (!only || only->toy)) toys[0].Draw();
}

void DOGCONTROL::Cleanup() {
    ReleaseCats();
    delete[] toys;
    toys = nullptr;
    if (footprintTexture != 0) {
        const GLuint name = footprintTexture;
        glDeleteTextures(1, &name);
        footprintTexture = 0;
    }
}
