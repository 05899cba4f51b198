// The surface that covers one output: an overlay of the layer shell above every window and
// panel, with the keyboard to itself, or, where the compositor has no layer shell (GNOME), a
// full-screen xdg-shell window on that output. It follows the compositor's size and tells when
// the compositor wants the next frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct wl_callback;
struct wl_surface;
struct xdg_surface;
struct xdg_toplevel;
struct zwlr_layer_surface_v1;
class WaylandConnection;
class WaylandOutput;

class WaylandWindow {
  public:
    // Makes the surface and waits for the compositor's first size. Nothing shows until the first
    // frame is presented. nullptr, with the reason, when the compositor does not answer.
    static std::unique_ptr<WaylandWindow> Create(WaylandConnection& connection,
                                                 const WaylandOutput& output, std::string& error);
    ~WaylandWindow();
    WaylandWindow(const WaylandWindow&) = delete;
    WaylandWindow& operator=(const WaylandWindow&) = delete;

    wl_surface* Surface() const { return surface_; }
    const WaylandOutput& Output() const { return output_; }
    // The drawing buffer's size in pixels: the surface's size times the output's scale.
    int Width() const { return width_ * scale_; }
    int Height() const { return height_ * scale_; }
    // True once after the compositor gave the surface a new size.
    bool TakeResize();
    // The compositor closed the surface (its output went away, or the window was closed).
    bool Closed() const { return closed_; }

    // Frame pacing: a frame is due until one is requested, and again when the compositor says
    // that the requested frame is welcome (it is showing the last one).
    bool FrameDue() const { return frameDue_; }
    // Asks for the compositor's word; call before the commit that shows a frame.
    void RequestFrame();

  private:
    WaylandWindow(WaylandConnection& connection, const WaylandOutput& output);
    void MakeLayerSurface();
    void MakeToplevel();
    void SetSize(int width, int height);
    void MarkOpaque();

    static void LayerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial,
                               uint32_t width, uint32_t height);
    static void LayerClosed(void* data, zwlr_layer_surface_v1*);
    static void XdgConfigure(void* data, xdg_surface* surface, uint32_t serial);
    static void ToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height,
                                  struct wl_array*);
    static void ToplevelClose(void* data, xdg_toplevel*);
    static void FrameDone(void* data, wl_callback* callback, uint32_t);

    WaylandConnection& connection_;
    const WaylandOutput& output_;
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    xdg_surface* xdgSurface_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    wl_callback* frameCallback_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int scale_ = 1;
    bool configured_ = false;
    bool resized_ = false;
    bool closed_ = false;
    bool frameDue_ = true;
};
