// A surface that writes a notice over every frame before presenting it: how a saver with no
// resources to draw says so where the user is looking, not only in a log nobody reads. The text
// is drawn with the X server's "fixed" font through GLX, so it needs no file of ours.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "host/gl_surface.h"

class NoticeSurface : public GLSurface {
  public:
    NoticeSurface(GLSurface* inner, Display* display, std::vector<std::string> lines)
        : inner_(inner), display_(display), lines_(std::move(lines)) {}
    ~NoticeSurface() override;
    NoticeSurface(const NoticeSurface&) = delete;
    NoticeSurface& operator=(const NoticeSurface&) = delete;

    bool MakeCurrent() override { return inner_->MakeCurrent(); }
    void Present() override;
    int Width() const override { return inner_->Width(); }
    int Height() const override { return inner_->Height(); }
    ScreenRect Frame() const override { return inner_->Frame(); }

  private:
    bool MakeGlyphs();
    void DrawLines();

    GLSurface* inner_;
    Display* display_;
    std::vector<std::string> lines_;
    XFontStruct* font_ = nullptr;
    unsigned glyphs_ = 0;  // display lists of the printable ASCII characters
};
