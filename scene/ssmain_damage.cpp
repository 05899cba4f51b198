// What the scene tells its frame damage: what decides the whole picture, and where the things
// that move are drawn. Prints report themselves when they are laid or fade (cats/footprints.cpp).
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "core/settings.h"
#include "scene/ssmain.h"
#include "toys/one_toy.h"
#include "toys/rope_simulation.h"

namespace {

// The box of a posed model's vertices in its own space; false without vertices.
bool ModelBox(const ONEMODEL& model, VECTOR3D* low, VECTOR3D* high) {
    if (!model.vertices || model.vertexCount == 0) return false;
    const float* p = model.vertices[0].position;
    *low = *high = VECTOR3D{p[0], p[1], p[2]};
    for (int i = 1; i < model.vertexCount; ++i) {
        p = model.vertices[i].position;
        low->x = std::min(low->x, p[0]);
        low->y = std::min(low->y, p[1]);
        low->z = std::min(low->z, p[2]);
        high->x = std::max(high->x, p[0]);
        high->y = std::max(high->y, p[1]);
        high->z = std::max(high->z, p[2]);
    }
    return true;
}

// Where ONEMODEL::Draw puts the model: its place, its rotation, and the half turn about y.
MATRIX PlacedModel(const ONEMODEL& model) {
    static const MATRIX halfTurn = MatrixFromAngle(VECTOR3D{0.0f, 180.0f, 0.0f});
    MATRIX place;
    place.SetTranslation(model.position);
    return MultiplyMatrix(place, MultiplyMatrix(model.rotation, halfTurn));
}

// The pixels a strip of the banner covers, with one more on each side for its filtered edge.
PixelRect StripPixels(float x, float y, float w, float h) {
    const int left = int(std::floor(x)) - 1;
    const int bottom = int(std::floor(y)) - 1;
    return PixelRect{left, bottom, int(std::ceil(x + w)) + 1 - left,
                     int(std::ceil(y + h)) + 1 - bottom};
}

}  // namespace

SceneLook SSMAIN::Look() const {
    SceneLook look;
    glGetFloatv(GL_PROJECTION_MATRIX, look.projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, look.modelview);
    look.width = width;
    look.height = height;
    look.groundTexture = groundTexture;
    look.tiled = settings && settings->TILEBG ? 1 : 0;
    look.fogged = fogReady ? 1 : 0;
    return look;
}

void SSMAIN::TrackMovingThings() {
    catRects_.clear();
    toyRect_ = PixelRect{};
    if (catsReady && dogControl) {
        for (int i = 0; dogControl->dogs && i < dogControl->numDogs; ++i) {
            const ONEDOG& cat = dogControl->dogs[i];
            VECTOR3D low, high;
            catRects_.emplace_back();
            // Unplaced cats, and cats placed this frame, are not drawn.
            if (cat.action > 0 && ModelBox(cat, &low, &high)) {
                catRects_.back() = damage.AddObjectBox(low, high, PlacedModel(cat));
                damage.AddDepthWriter(catRects_.back());
            }
        }
        if (const ONETOY* toy = dogControl->Toy()) {
            if (toy->displayList != 0) {
                const float r = toy->radius;
                const VECTOR3D& c = toy->position;
                toyRect_ = damage.AddObjectBox(VECTOR3D{c.x - r, c.y - r, c.z - r},
                                               VECTOR3D{c.x + r, c.y + r, c.z + r}, MATRIX());
            }
            if (toy->rope && toy->rope->massCount > 0) {
                std::vector<VECTOR3D> knots;
                for (int i = 0; i < toy->rope->massCount; ++i) {
                    knots.push_back(toy->rope->masses[i]->position);
                }
                // The string is a line of its own width in pixels.
                const float halfLine = 0.5f * ONETOY::LineWidth(dogControl->dogSize);
                toyRect_ = Union(toyRect_, damage.AddObjectPoints(knots.data(), int(knots.size()),
                                                                  halfLine + FrameDamage::kMargin));
            }
        }
    }
    // The toy and its string write depth too; prints, ground and overlay do not.
    damage.AddDepthWriter(toyRect_);
    if (!isPreview) TrackOverlay();
}

void SSMAIN::TrackOverlay() {
    for (const Strip& strip : BannerStrips()) {
        damage.AddObjectPixels(StripPixels(strip.x, strip.y, strip.width, strip.height));
    }
    // The dimming covers the whole frame: any change of it changes every pixel, and while it is
    // fully opaque and its caption stays, nothing below shows.
    const float dimming = fadeAlpha > 0.0f ? std::min(fadeAlpha, 1.0f) : 0.0f;
    const uint32_t caption = dimming > 0.0f ? bannerPicture : 0;
    if (dimming != drawnDimming_ || caption != drawnCaption_) {
        damage.AddWhole();
    } else if (dimming >= 1.0f) {
        damage.Covered();
    }
    drawnDimming_ = dimming;
    drawnCaption_ = caption;
}

std::vector<PixelRect> SSMAIN::PrintRects() const {
    std::vector<PixelRect> rects;
    if (!catsReady || !dogControl || !dogControl->footprints) return rects;
    rects.resize(size_t(dogControl->numFootprints));
    for (int i = 0; i < dogControl->numFootprints; ++i) {
        const FOOTPRINT& print = dogControl->footprints[i];
        if (print.life > 0.0f) rects[size_t(i)] = damage.Project(print.corners, 4);
    }
    return rects;
}

DrawSelection SSMAIN::Selection(const PixelRect& rect,
                                const std::vector<PixelRect>& printRects) const {
    DrawSelection only;
    for (const PixelRect& cat : catRects_) only.cats.push_back(!Intersection(cat, rect).Empty());
    for (const PixelRect& print : printRects) {
        only.prints.push_back(!Intersection(print, rect).Empty());
    }
    only.toy = !Intersection(toyRect_, rect).Empty();
    return only;
}

bool SSMAIN::GroundCoversFrame() const {
    // The tiles share their edges vertex for vertex, which leaves no pixel between them.
    return dogControl && ground_.allDrawn && damage.Covers(ground_.outline.data());
}
