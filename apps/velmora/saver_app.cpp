#include "apps/velmora/saver_app.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/select.h>

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "apps/velmora/notice_surface.h"
#include "apps/velmora/ssmain_scene.h"
#include "host/velmora_view.h"
#include "platform/desktop_picture.h"
#include "platform/pixbuf_picture_decoder.h"
#include "platform/system_clock.h"
#include "platform/x11/desktop_capture.h"
#include "platform/x11/glx_window.h"
#include "platform/x11/randr_screens.h"
#include "platform/x11/root_pixmap.h"
#include "platform/xscreensaver_prefs.h"

namespace {

// Windows that vanished under us (XScreenSaver destroys its window when it is done with us).
std::vector<Window>* watchedWindows = nullptr;
bool watchedWindowGone = false;

int OnXError(Display* display, XErrorEvent* event) {
    if ((event->error_code == BadWindow || event->error_code == BadDrawable) && watchedWindows) {
        for (Window window : *watchedWindows) {
            if (window == event->resourceid) watchedWindowGone = true;
        }
    }
    char text[256];
    XGetErrorText(display, event->error_code, text, sizeof text);
    std::fprintf(stderr, "velmora: X error: %s (request %d)\n", text, event->request_code);
    return 0;
}

// The workspace the window manager shows (_NET_CURRENT_DESKTOP), 0 when it says none.
int CurrentWorkspace(Display* display) {
    const Atom property = XInternAtom(display, "_NET_CURRENT_DESKTOP", True);
    if (property == None) return 0;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    int workspace = 0;
    if (XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1, False, XA_CARDINAL,
                           &type, &format, &count, &after, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == 1 && data) {
        workspace = int(*reinterpret_cast<unsigned long*>(data));
    }
    if (data) XFree(data);
    return workspace;
}

// Counts the frames a view presents, for --stats.
class CountingSurface : public GLSurface {
  public:
    explicit CountingSurface(GLSurface* inner) : inner_(inner) {}
    bool MakeCurrent() override { return inner_->MakeCurrent(); }
    void Present() override {
        inner_->Present();
        ++presented;
    }
    int BackBufferAge() override { return inner_->BackBufferAge(); }
    void PresentRects(const std::vector<PixelRect>& rects) override {
        inner_->PresentRects(rects);
        ++presented;
    }
    int Width() const override { return inner_->Width(); }
    int Height() const override { return inner_->Height(); }
    ScreenRect Frame() const override { return inner_->Frame(); }

    long presented = 0;

  private:
    GLSurface* inner_;
};

struct Target {
    std::unique_ptr<GlxWindow> window;
    std::unique_ptr<NoticeSurface> notice;  // only when the resources are missing
    std::unique_ptr<CountingSurface> counted;
    std::unique_ptr<ScreenCapture> capture;
    std::unique_ptr<VelmoraView> view;
};

class SaverProgram {
  public:
    SaverProgram(const SaverRun& run, const std::atomic<bool>& stop, std::atomic<bool>& startingUp)
        : run_(run), stop_(stop), startingUp_(startingUp), decoder_(&stop) {}
    ~SaverProgram();
    int Run();

  private:
    bool OpenTargets();
    bool AddOwnWindow(const ScreenRect& rect, bool borderless);
    bool AddForeignWindow(Window window, bool fromXScreenSaver, bool isRoot);
    void RestoreRootWindow();
    bool CreateViews();
    void MapOwnWindows();
    void HideCursorAndTakeKeyboard();
    void HandleEvent(const XEvent& event);
    void Loop();
    void PrintStats(double seconds) const;

    const SaverRun& run_;
    const std::atomic<bool>& stop_;
    std::atomic<bool>& startingUp_;
    Display* display_ = nullptr;
    std::unique_ptr<RandrScreens> screens_;
    SystemClock clock_;
    std::unique_ptr<DesktopPictureFinder> desktopPicture_;
    std::unique_ptr<RootPixmapBackdrop> backdrop_;
    PixbufPictureDecoder decoder_;
    std::vector<Target> targets_;
    std::vector<Window> foreign_;
    Atom deleteWindow_ = None;
    bool quit_ = false;
    bool drewOnRoot_ = false;
};

SaverProgram::~SaverProgram() {
    // Views release their scenes with their own context current, before the windows go.
    for (Target& target : targets_) target.view.reset();
    targets_.clear();
    watchedWindows = nullptr;
    SetImageDecoder(nullptr);
    if (drewOnRoot_) RestoreRootWindow();
    if (display_) XCloseDisplay(display_);
}

// The root window shows the desktop's background again, and windows drawn on it (desktop icons)
// are asked to repaint: no frozen frame of ours is left for the user, or for the next run.
void SaverProgram::RestoreRootWindow() {
    XClearArea(display_, DefaultRootWindow(display_), 0, 0, 0, 0, True);
    XSync(display_, False);
}

bool SaverProgram::AddOwnWindow(const ScreenRect& rect, bool borderless) {
    std::string error;
    auto window = GlxWindow::Create(display_, rect, borderless, error);
    if (!window) {
        std::fprintf(stderr, "velmora: %s\n", error.c_str());
        return false;
    }
    if (!borderless) {
        XStoreName(display_, window->XWindow(), "Velmora");
        XClassHint hint{const_cast<char*>("velmora"), const_cast<char*>("Velmora")};
        XSetClassHint(display_, window->XWindow(), &hint);
        XSetWMProtocols(display_, window->XWindow(), &deleteWindow_, 1);
    }
    Target target;
    target.capture = std::make_unique<RootWindowCapture>(display_, *screens_);
    target.window = std::move(window);
    targets_.push_back(std::move(target));
    return true;
}

bool SaverProgram::AddForeignWindow(Window window, bool fromXScreenSaver, bool isRoot) {
    std::string error;
    auto surface = GlxWindow::Adopt(display_, window, error);
    if (!surface) {
        std::fprintf(stderr, "velmora: cannot draw into window 0x%lx: %s\n", (unsigned long)window,
                     error.c_str());
        return false;
    }
    Target target;
    // XScreenSaver already covers the desktop: its helper knows what was there, and the user's
    // XScreenSaver preferences say whether it may show it. The root window itself still shows
    // the desktop.
    if (fromXScreenSaver) {
        const char* home = std::getenv("HOME");
        const bool allowed =
            ReadXScreenSaverImagePrefs(home ? home : "", XScreenSaverDefaultsFiles())
                .GivesAPicture();
        target.capture = std::make_unique<GetImageCapture>(display_, window, &stop_, allowed);
    } else {
        target.capture = std::make_unique<RootWindowCapture>(display_, *screens_, isRoot);
    }
    target.window = std::move(surface);
    foreign_.push_back(window);
    targets_.push_back(std::move(target));
    return true;
}

bool SaverProgram::OpenTargets() {
    const std::vector<ScreenInfo> screens = screens_->List();
    switch (run_.options.mode) {
        case SaverMode::Window: {
            const ScreenInfo* main = FindScreen(screens, MainScreenNumber(screens));
            const ScreenRect area = main ? main->frame : ScreenRect{0, 0, 800, 600};
            const int width = std::min(800, area.width);
            const int height = std::min(600, area.height);
            return AddOwnWindow({area.x + (area.width - width) / 2,
                                 area.y + (area.height - height) / 2, width, height},
                                false);
        }
        case SaverMode::Fullscreen:
            for (const ScreenInfo& screen : screens) {
                if (!AddOwnWindow(screen.frame, true)) return false;
            }
            return true;
        case SaverMode::Root:
            return AddForeignWindow(DefaultRootWindow(display_), false, true);
        case SaverMode::WindowId:
            return AddForeignWindow(Window(run_.options.windowId), run_.options.xscreensaverWindow,
                                    false);
    }
    return false;
}

bool SaverProgram::CreateViews() {
    for (Target& target : targets_) {
        ViewEnvironment environment;
        GLSurface* surface = target.window.get();
        if (!run_.notice.empty()) {
            target.notice = std::make_unique<NoticeSurface>(surface, display_, run_.notice);
            surface = target.notice.get();
        }
        target.counted = std::make_unique<CountingSurface>(surface);
        environment.surface = target.counted.get();
        environment.screens = screens_.get();
        environment.clock = &clock_;
        environment.capture = target.capture.get();
        environment.desktopPicture = desktopPicture_.get();
        environment.desktopBackdrop = backdrop_.get();
        environment.makeScene = MakeSsmainScene;
        environment.resourcePath = run_.resourcePath;
        target.view = std::make_unique<VelmoraView>();
        // Views are made before any window of ours is mapped, so their captures see the desktop.
        if (!target.view->InitWithFrame(environment, run_.options.preview, run_.settings)) {
            return false;
        }
    }
    return true;
}

void SaverProgram::MapOwnWindows() {
    for (Target& target : targets_) target.window->Map();
    XSync(display_, False);
}

void SaverProgram::HideCursorAndTakeKeyboard() {
    const Window first = targets_.front().window->XWindow();
    static const char empty[1] = {0};
    const Pixmap blank = XCreateBitmapFromData(display_, first, empty, 1, 1);
    XColor black{};
    const Cursor cursor = XCreatePixmapCursor(display_, blank, blank, &black, &black, 0, 0);
    for (Target& target : targets_) XDefineCursor(display_, target.window->XWindow(), cursor);
    XFreeCursor(display_, cursor);
    XFreePixmap(display_, blank);
    // Override-redirect windows get no focus from a window manager; "any key quits" needs the
    // keyboard. This is our own full-screen mode, never XScreenSaver's.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (XGrabKeyboard(display_, first, True, GrabModeAsync, GrabModeAsync, CurrentTime) ==
            GrabSuccess) {
            break;
        }
        const timespec pause{0, 10 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
}

void SaverProgram::HandleEvent(const XEvent& event) {
    switch (event.type) {
        case ConfigureNotify:
            for (Target& target : targets_) {
                if (target.window->XWindow() != event.xconfigure.window) continue;
                if (event.xconfigure.width != target.window->Width() ||
                    event.xconfigure.height != target.window->Height()) {
                    target.window->Resized(event.xconfigure.width, event.xconfigure.height);
                    target.view->SetFrameSize();
                }
            }
            break;
        case Expose:
            for (Target& target : targets_) {
                if (target.window->XWindow() == event.xexpose.window) target.window->Exposed();
            }
            break;
        case KeyPress:
        case ButtonPress:
            if (run_.options.mode == SaverMode::Fullscreen) quit_ = true;
            break;
        case ClientMessage:
            if (Atom(event.xclient.data.l[0]) == deleteWindow_) quit_ = true;
            break;
        case DestroyNotify:
            for (Window window : foreign_) {
                if (window == event.xdestroywindow.window) quit_ = true;
            }
            break;
        default:
            break;
    }
}

void SaverProgram::Loop() {
    const int fd = ConnectionNumber(display_);
    double next = clock_.Now();
    while (!quit_ && !stop_.load() && !watchedWindowGone) {
        while (XPending(display_) && !quit_) {
            XEvent event;
            XNextEvent(display_, &event);
            HandleEvent(event);
        }
        if (quit_ || stop_.load()) break;
        double now = clock_.Now();
        if (now >= next) {
            for (Target& target : targets_) {
                if (target.view->IsAnimating()) target.view->AnimateOneFrame();
            }
            XFlush(display_);
            next += VelmoraView::kFrameInterval;
            now = clock_.Now();
            if (next < now) next = now + VelmoraView::kFrameInterval;  // fell behind: no bursts
        }
        const double wait = next - now;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        timeval timeout{0, wait > 0 ? long(wait * 1e6) : 0};
        // A signal ends the wait early (no SA_RESTART), and the loop condition sees it.
        if (select(fd + 1, &readable, nullptr, nullptr, &timeout) < 0 && errno != EINTR) break;
    }
}

int SaverProgram::Run() {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        std::fprintf(stderr, "velmora: cannot open the X display \"%s\"\n", XDisplayName(nullptr));
        return 1;
    }
    XSetErrorHandler(OnXError);
    watchedWindows = &foreign_;
    SetImageDecoder(&decoder_);
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    screens_ = std::make_unique<RandrScreens>(display_);
    DesktopSession session = DesktopSession::FromEnvironment();
    session.workspace = CurrentWorkspace(display_);
    desktopPicture_ = std::make_unique<DesktopPictureFinder>(session, screens_.get());
    backdrop_ = std::make_unique<RootPixmapBackdrop>(display_, *screens_);

    if (!OpenTargets() || targets_.empty()) return 1;
    if (!CreateViews()) return 1;
    // From the first frame drawn on, a signal ends the loop (and the root window is put back)
    // instead of the process; a picture still loading gives up at once.
    startingUp_.store(false);
    if (stop_.load()) return 0;
    drewOnRoot_ = run_.options.mode == SaverMode::Root;
    MapOwnWindows();
    if (run_.options.mode == SaverMode::Fullscreen) HideCursorAndTakeKeyboard();
    for (Target& target : targets_) target.view->StartAnimation();
    XFlush(display_);
    // The black frame of the start is not one of the frames the scene draws.
    for (Target& target : targets_) target.counted->presented = 0;
    const double started = clock_.Now();
    Loop();
    if (run_.options.stats) PrintStats(clock_.Now() - started);
    return 0;
}

void SaverProgram::PrintStats(double seconds) const {
    long frames = 0;
    for (const Target& target : targets_) frames += target.counted->presented;
    const double rate = seconds > 0.0 ? double(frames) / seconds : 0.0;
    std::fprintf(stderr, "velmora: frames drawn: %ld in %.2f s, %.2f per second\n", frames, seconds,
                 rate);
    for (const Target& target : targets_) {
        std::fprintf(stderr, "velmora: window 0x%lx presented by %s\n",
                     (unsigned long)target.window->XWindow(),
                     PresentMethodName(target.window->Method()));
    }
}

}  // namespace

int RunSaver(const SaverRun& run, const std::atomic<bool>& stop, std::atomic<bool>& startingUp) {
    SaverProgram program(run, stop, startingUp);
    return program.Run();
}
