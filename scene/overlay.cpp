// The overlay over the finished frame: a banner of two strips that slides in at the top or the
// bottom edge from time to time, and, once a minute, a dimming of the scene to black with a
// caption across the middle.
#include <GL/gl.h>

#include <cstdlib>

#include "scene/ssmain.h"

namespace {

// A textured quad of w x h with its lower-left corner at (x, y).
void PictureQuad(float x, float y, float w, float h) {
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(w, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(w, h);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, h);
    glEnd();
    glPopMatrix();
}

}  // namespace

void SSMAIN::UpdateBanner() {
    bannerTimer = static_cast<float>(bannerTimer - frameTime);
    if (bannerTimer < 0.0f) {
        bannerTimer = 30.0f;
        if (!bannerShown) {
            // A new appearance: a message, a corner, and the other edge than last time.
            bannerPicture = static_cast<uint32_t>(std::rand() % 4 + pack_layout::kFirstMessageSlot);
            bannerPos.x = (std::rand() & 1) ? static_cast<float>(width - 256) : 0.0f;
            bannerAtTop = !bannerAtTop;
            bannerPos.y = bannerAtTop ? static_cast<float>(height + 40) : -40.0f;
            bannerTimer = 20.0f;
        }
        bannerShown = !bannerShown;
    }
    float target;
    if (bannerShown) {
        target = bannerAtTop ? static_cast<float>(height - 40) : 5.0f;
    } else {
        target = bannerAtTop ? static_cast<float>(height + 40) : -40.0f;
    }
    bannerPos.y = static_cast<float>(bannerPos.y + (target - bannerPos.y) * frameTime);
}

void SSMAIN::UpdateDimming() {
    fadeTimer = static_cast<float>(fadeTimer - frameTime);
    if (fadeTimer < 0.0f) {
        if (fadeAlpha < 1.0f) {
            fadeAlpha = static_cast<float>(fadeAlpha + 0.5 * frameTime);
        } else {
            fadeAlpha = 1.0f;
        }
        if (fadeTimer < -20.0f) fadeTimer = 40.0f;
    } else if (fadeAlpha > 0.0f) {
        fadeAlpha = static_cast<float>(fadeAlpha - 0.5 * frameTime);
    } else {
        fadeAlpha = 0.0f;
    }
}

std::array<SSMAIN::Strip, 2> SSMAIN::BannerStrips() const {
    return {Strip{bannerPos.x, bannerPos.y, 256.0f, 32.0f},
            Strip{width * 0.5f - 256.0f, bannerPos.y, 512.0f, 32.0f}};
}

void SSMAIN::DrawBanner() {
    const std::array<Strip, 2> strips = BannerStrips();
    const int pictures[2] = {pack_layout::kBannerCornerSlot, static_cast<int>(bannerPicture)};
    for (int i = 0; i < 2; ++i) {
        glBindTexture(GL_TEXTURE_2D, TextureName(pictures[i]));
        PictureQuad(strips[i].x, strips[i].y, strips[i].width, strips[i].height);
    }
}

void SSMAIN::DrawDimming() {
    glEnable(GL_BLEND);
    glColor4f(0.0f, 0.0f, 0.0f, fadeAlpha);
    glDisable(GL_TEXTURE_2D);
    PictureQuad(0.0f, 0.0f, 1024.0f, 768.0f);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, fadeAlpha);
    glBindTexture(GL_TEXTURE_2D, TextureName(static_cast<int>(bannerPicture)));
    PictureQuad(0.0f, 352.0f, 1024.0f, 64.0f);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void SSMAIN::DoOverlay() {
    UpdateBanner();
    UpdateDimming();
    DrawOverlay();
}

void SSMAIN::DrawOverlay() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    DrawBanner();
    glDisable(GL_BLEND);
    glScalef(width / 1024.0f, height / 768.0f, 1.0f);
    if (fadeAlpha > 0.0f) DrawDimming();

    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}
