#include "apps/velmora/notice_surface.h"

#include <GL/gl.h>
#include <GL/glx.h>

#include <algorithm>

namespace {

constexpr int kFirstGlyph = 32;
constexpr int kGlyphCount = 95;  // space to tilde

}  // namespace

NoticeSurface::~NoticeSurface() {
    // The lists went with the view's context; only the font is ours to free.
    if (font_) XFreeFont(display_, font_);
}

bool NoticeSurface::MakeGlyphs() {
    if (glyphs_ != 0) return true;
    if (font_ == nullptr) font_ = XLoadQueryFont(display_, "fixed");
    if (font_ == nullptr) return false;
    glyphs_ = glGenLists(kGlyphCount);
    if (glyphs_ == 0) return false;
    glXUseXFont(font_->fid, kFirstGlyph, kGlyphCount, int(glyphs_));
    return true;
}

void NoticeSurface::DrawLines() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    // The whole surface, whatever the scene left (a scene that could not be set up has no size).
    glViewport(0, 0, Width(), Height());
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, Width(), 0.0, Height(), -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(1.0f, 0.85f, 0.3f);
    const int lineHeight = font_->ascent + font_->descent + 4;
    // From the top left corner down, a margin in.
    int y = Height() - 12 - font_->ascent;
    glListBase(glyphs_ - kFirstGlyph);
    // "fixed" is a monospaced font. Words are placed one by one: Mesa makes no glyph of the
    // empty space character, so a space would not move the pen.
    const int advance = font_->max_bounds.width;
    for (const std::string& line : lines_) {
        for (std::size_t start = 0; start < line.size();) {
            const std::size_t end = std::min(line.find(' ', start), line.size());
            glRasterPos2i(12 + int(start) * advance, y);
            glCallLists(GLsizei(end - start), GL_UNSIGNED_BYTE, line.data() + start);
            start = end + 1;
        }
        y -= lineHeight;
    }
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

void NoticeSurface::Present() {
    if (!lines_.empty() && MakeGlyphs()) DrawLines();
    inner_->Present();
}
