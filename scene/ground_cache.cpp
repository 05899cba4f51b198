#define GL_GLEXT_PROTOTYPES
#include "scene/ground_cache.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdlib>
#include <cstring>

namespace {

// Framebuffer objects and blits: core since OpenGL 3.0, or ARB_framebuffer_object before.
bool BlitsAvailable() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version && std::atoi(version) >= 3) return true;
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions && std::strstr(extensions, "GL_ARB_framebuffer_object") != nullptr;
}

int32_t EnableBits() {
    static const GLenum kCaps[] = {
        GL_LIGHTING,        GL_LIGHT0,        GL_FOG,           GL_TEXTURE_2D,
        GL_BLEND,           GL_ALPHA_TEST,    GL_CULL_FACE,     GL_COLOR_MATERIAL,
        GL_DEPTH_TEST,      GL_STENCIL_TEST,  GL_NORMALIZE,     GL_COLOR_LOGIC_OP,
        GL_POLYGON_STIPPLE, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_SCISSOR_TEST,
        GL_DITHER,          GL_TEXTURE_1D,    GL_LIGHT1,        GL_LIGHT2,
    };
    int32_t bits = 0;
    for (size_t i = 0; i < sizeof kCaps / sizeof kCaps[0]; ++i) {
        if (glIsEnabled(kCaps[i])) bits |= int32_t(1) << i;
    }
    return bits;
}

}  // namespace

GroundCache::Key GroundCache::ReadKey(uint32_t groundTexture, VECTOR3D bounds, bool tiled,
                                      int frameWidth, int frameHeight) {
    Key k;
    std::memset(&k, 0, sizeof k);
    glGetFloatv(GL_PROJECTION_MATRIX, k.projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, k.modelview);
    glGetIntegerv(GL_VIEWPORT, k.viewport);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &k.drawFramebuffer);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &k.readFramebuffer);
    glGetIntegerv(GL_DRAW_BUFFER, &k.drawBuffer);
    glGetIntegerv(GL_READ_BUFFER, &k.readBuffer);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, k.clearColour);
    glGetLightfv(GL_LIGHT0, GL_POSITION, k.lightPosition);
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, k.lightAmbient);
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, k.lightDiffuse);
    glGetLightfv(GL_LIGHT0, GL_SPECULAR, k.lightSpecular);
    glGetLightfv(GL_LIGHT0, GL_CONSTANT_ATTENUATION, &k.lightAttenuation[0]);
    glGetLightfv(GL_LIGHT0, GL_LINEAR_ATTENUATION, &k.lightAttenuation[1]);
    glGetLightfv(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, &k.lightAttenuation[2]);
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, k.modelAmbient);
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &k.twoSided);
    glGetIntegerv(GL_LIGHT_MODEL_LOCAL_VIEWER, &k.localViewer);
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, k.materialAmbient);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, k.materialDiffuse);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, k.materialSpecular);
    glGetMaterialfv(GL_FRONT, GL_EMISSION, k.materialEmission);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &k.materialShininess);
    glGetIntegerv(GL_COLOR_MATERIAL_FACE, &k.colourMaterial[0]);
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &k.colourMaterial[1]);
    glGetFloatv(GL_CURRENT_COLOR, k.currentColour);
    glGetFloatv(GL_CURRENT_NORMAL, k.currentNormal);
    glGetFloatv(GL_FOG_COLOR, k.fogColour);
    glGetFloatv(GL_FOG_START, &k.fogStart);
    glGetFloatv(GL_FOG_END, &k.fogEnd);
    glGetFloatv(GL_FOG_DENSITY, &k.fogDensity);
    glGetIntegerv(GL_FOG_MODE, &k.fogMode);
    glGetIntegerv(GL_SHADE_MODEL, &k.shadeModel);
    glGetIntegerv(GL_CULL_FACE_MODE, &k.cullFace);
    glGetIntegerv(GL_FRONT_FACE, &k.frontFace);
    glGetIntegerv(GL_POLYGON_MODE, k.polygonMode);
    glGetIntegerv(GL_COLOR_WRITEMASK, k.colourMask);
    glGetIntegerv(GL_BLEND_SRC, &k.blend[0]);
    glGetIntegerv(GL_BLEND_DST, &k.blend[1]);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &k.textureEnvMode);
    glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, k.textureEnvColour);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &k.texture);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &k.textureParameters[0]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &k.textureParameters[1]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &k.textureParameters[2]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &k.textureParameters[3]);
    k.flags = EnableBits();
    k.groundTexture = int32_t(groundTexture);
    k.bounds[0] = bounds.x;
    k.bounds[1] = bounds.z;
    k.tiled = tiled ? 1 : 0;
    k.frame[0] = frameWidth;
    k.frame[1] = frameHeight;
    return k;
}

bool GroundCache::SameKey(const Key& a, const Key& b) {
    return std::memcmp(&a, &b, sizeof(Key)) == 0;
}

bool GroundCache::Usable(const Key& k) {
    if (support_ < 0) support_ = BlitsAvailable() ? 1 : 0;
    if (support_ == 0) return false;
    // The copy is read from and written back to the buffer that is drawn into.
    if (k.drawFramebuffer != k.readFramebuffer || k.drawBuffer != k.readBuffer) return false;
    // A blit honours the scissor, and cannot write into a multisampled target.
    if (glIsEnabled(GL_SCISSOR_TEST)) return false;
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &samples);
    if (samples != 0) return false;
    // The copy keeps eight bits a channel: deeper targets would lose precision.
    GLint bits[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_RED_BITS, &bits[0]);
    glGetIntegerv(GL_GREEN_BITS, &bits[1]);
    glGetIntegerv(GL_BLUE_BITS, &bits[2]);
    glGetIntegerv(GL_ALPHA_BITS, &bits[3]);
    for (GLint b : bits) {
        if (b > 8) return false;
    }
    // The viewport must lie inside the frame, so that no part of the copy is clipped away.
    const int32_t* v = k.viewport;
    return v[2] > 0 && v[3] > 0 && v[0] >= 0 && v[1] >= 0 && v[0] + v[2] <= k.frame[0] &&
           v[1] + v[3] <= k.frame[1];
}

bool GroundCache::MakeCopyTarget(int width, int height) {
    if (framebuffer_ != 0 && width == width_ && height == height_) return true;
    GLint boundTexture = 0;
    GLint boundDraw = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &boundDraw);
    if (framebuffer_ == 0) {
        glGenFramebuffers(1, &framebuffer_);
        glGenTextures(1, &colourTexture_);
    }
    glBindTexture(GL_TEXTURE_2D, colourTexture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colourTexture_,
                           0);
    const bool complete = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(boundDraw));
    glBindTexture(GL_TEXTURE_2D, GLuint(boundTexture));
    if (!complete) {
        // Without a place to copy to, draw the ground every frame from now on.
        Cleanup();
        support_ = 0;
        return false;
    }
    width_ = width;
    height_ = height;
    return true;
}

bool GroundCache::Restore(uint32_t groundTexture, VECTOR3D bounds, bool tiled, int frameWidth,
                          int frameHeight) {
    if (!enabled) return false;
    current_ = ReadKey(groundTexture, bounds, tiled, frameWidth, frameHeight);
    if (!haveSaved_ || !SameKey(current_, saved_) || !Usable(current_)) return false;
    const int32_t* v = current_.viewport;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glBlitFramebuffer(0, 0, v[2], v[3], v[0], v[1], v[0] + v[2], v[1] + v[3], GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(current_.readFramebuffer));
    previous_ = current_;
    havePrevious_ = true;
    ++restored;
    return true;
}

void GroundCache::Drawn() {
    if (!enabled) return;
    const bool steady = havePrevious_ && SameKey(current_, previous_);
    previous_ = current_;
    havePrevious_ = true;
    // Copy only a ground that held still for two frames: a moving one would never be reused.
    if (!steady || (haveSaved_ && SameKey(current_, saved_)) || !Usable(current_)) return;
    const int32_t* v = current_.viewport;
    if (!MakeCopyTarget(v[2], v[3])) return;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
    glBlitFramebuffer(v[0], v[1], v[0] + v[2], v[1] + v[3], 0, 0, v[2], v[3], GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(current_.drawFramebuffer));
    saved_ = current_;
    haveSaved_ = true;
    ++stored;
}

void GroundCache::Invalidate() {
    haveSaved_ = false;
    havePrevious_ = false;
}

void GroundCache::Cleanup() {
    Invalidate();
    if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
    if (colourTexture_ != 0) glDeleteTextures(1, &colourTexture_);
    framebuffer_ = 0;
    colourTexture_ = 0;
    width_ = 0;
    height_ = 0;
    support_ = support_ == 0 ? 0 : -1;
}
