// A copy of the ground as it was last drawn. Shading the ground picture over the whole screen is
// by far the dearest part of a frame in software OpenGL, and in the overview the camera holds
// still for most of its time: a frame whose ground would come out exactly as before (same
// matrices, viewport, light, material, picture, tiling and fog) copies the saved pixels back
// with a framebuffer blit, which moves them unchanged, instead of shading them again.
//
// A ground that changes every frame (a moving shot) is never copied: the copy is made only
// once the same ground has been drawn in two frames in a row. Where blits are not available,
// or the frame is multisampled or scissored, the ground is simply drawn every frame.
#pragma once

#include <cstdint>

#include "math/vector3d.h"

class GroundCache {
  public:
    // Off: the ground is always drawn (the reference a test compares against).
    bool enabled = true;
    // Frames whose ground was copied back instead of drawn, and copies made.
    int64_t restored = 0;
    int64_t stored = 0;

    GroundCache() = default;
    ~GroundCache() = default;  // GL names need the context: Cleanup frees them
    GroundCache(const GroundCache&) = delete;
    GroundCache& operator=(const GroundCache&) = delete;

    // Call with the ground's whole GL state set, just before drawing it into the freshly cleared
    // frame of frameWidth x frameHeight pixels. True when the saved ground matches this frame's
    // and has been copied into the frame: the caller skips drawing.
    bool Restore(uint32_t groundTexture, VECTOR3D bounds, bool tiled, int frameWidth,
                 int frameHeight);
    // Call right after the ground has been drawn into the freshly cleared frame.
    void Drawn();
    // Forgets the copy (a new scene, a new ground picture under an old name).
    void Invalidate();
    // Frees the GL objects; needs the context current.
    void Cleanup();

  private:
    // Everything the ground's pixels depend on, read back from OpenGL. Compared bytewise.
    struct Key {
        float projection[16];
        float modelview[16];
        int32_t viewport[4];
        int32_t drawFramebuffer, readFramebuffer, drawBuffer, readBuffer;
        float clearColour[4];
        float lightPosition[4], lightAmbient[4], lightDiffuse[4], lightSpecular[4];
        float lightAttenuation[3];
        float modelAmbient[4];
        int32_t twoSided, localViewer;
        float materialAmbient[4], materialDiffuse[4], materialSpecular[4], materialEmission[4];
        float materialShininess;
        int32_t colourMaterial[2];
        float currentColour[4];
        float currentNormal[3];
        float fogColour[4];
        float fogStart, fogEnd, fogDensity;
        int32_t fogMode, shadeModel, cullFace, frontFace;
        int32_t polygonMode[2];
        int32_t colourMask[4];
        int32_t blend[2];
        int32_t textureEnvMode;
        float textureEnvColour[4];
        int32_t texture;
        int32_t textureParameters[4];
        int32_t flags;  // the enables that change the ground's pixels, one bit each
        int32_t groundTexture;
        float bounds[2];
        int32_t tiled;
        int32_t frame[2];
    };

    static Key ReadKey(uint32_t groundTexture, VECTOR3D bounds, bool tiled, int frameWidth,
                       int frameHeight);
    static bool SameKey(const Key& a, const Key& b);
    // The frame allows a copy: blits exist, the target is single-sampled, eight bits a channel,
    // not scissored, and the viewport lies inside the frame.
    bool Usable(const Key& key);
    bool MakeCopyTarget(int width, int height);
    Key current_{};
    Key previous_{};
    Key saved_{};
    bool havePrevious_ = false;
    bool haveSaved_ = false;
    int support_ = -1;  // -1 not yet asked, 0 no blits, 1 blits
    uint32_t framebuffer_ = 0;
    uint32_t colourTexture_ = 0;
    int width_ = 0;
    int height_ = 0;
};
