#include "apps/velmora/wayland_app.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "apps/velmora/ssmain_scene.h"
#include "host/velmora_view.h"
#include "platform/desktop_picture.h"
#include "platform/pixbuf_picture_decoder.h"
#include "platform/system_clock.h"
#include "platform/wayland/egl_window_surface.h"
#include "platform/wayland/screencopy_capture.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_desktop_picture.h"
#include "platform/wayland/wayland_egl.h"
#include "platform/wayland/wayland_screens.h"
#include "platform/wayland/wayland_window.h"

namespace {

// An output plugged in while the saver runs is left to the desktop this long, so that its
// wallpaper is drawn before it is read for the ground.
constexpr double kNewOutputSettle = 1.0;

// Everything that draws on one output; destroyed view first, window last.
struct OutputView {
    const WaylandOutput* output = nullptr;
    std::unique_ptr<WaylandWindow> window;
    std::unique_ptr<EglWindowSurface> surface;
    std::unique_ptr<ScreencopyCapture> capture;
    std::unique_ptr<VelmoraView> view;
    double nextFrame = 0.0;  // the earliest time of its next frame
};

class WaylandSaver {
  public:
    WaylandSaver(const SaverRun& run, const std::atomic<bool>& stop, std::atomic<bool>& startingUp)
        : run_(run),
          stop_(stop),
          startingUp_(startingUp),
          sessionPicture_(DesktopSession::FromEnvironment(), &screens_),
          desktopPicture_(screens_, &sessionPicture_),
          decoder_(&stop) {}
    ~WaylandSaver();
    int Run();

  private:
    bool Start();
    std::unique_ptr<OutputView> MakeView(const WaylandOutput& output);
    // `settle`: an output must have been known this long before it gets its view.
    void AddNewOutputs(double settle);
    // Drops the views of outputs that went away and of surfaces the compositor closed; true
    // when a full-screen window was closed by the user.
    bool DropGoneViews();
    void FollowResizes();
    // Draws the views whose time has come and whose last frame the compositor has shown;
    // returns how long to wait for the next one.
    double DrawDueFrames();
    int Loop();
    long FramesPresented() const;

    const SaverRun& run_;
    const std::atomic<bool>& stop_;
    std::atomic<bool>& startingUp_;
    SystemClock clock_;
    WaylandConnection connection_{clock_};
    WaylandEgl egl_;
    WaylandScreens screens_{connection_};
    DesktopPictureFinder sessionPicture_;
    WaylandDesktopPicture desktopPicture_;
    PixbufPictureDecoder decoder_;
    std::vector<std::unique_ptr<OutputView>> views_;
    std::set<uint32_t> refused_;            // outputs whose view could not be made
    std::map<uint32_t, double> firstSeen_;  // when each output was first ready
    long framesOfDroppedViews_ = 0;
};

WaylandSaver::~WaylandSaver() {
    // Views release their scenes with their own context current, before EGL and the
    // connection go.
    views_.clear();
    SetImageDecoder(nullptr);
}

std::unique_ptr<OutputView> WaylandSaver::MakeView(const WaylandOutput& output) {
    std::string error;
    auto made = std::make_unique<OutputView>();
    made->output = &output;
    made->window = WaylandWindow::Create(connection_, output, error);
    if (made->window) made->surface = EglWindowSurface::Create(egl_, *made->window, error);
    if (!made->surface) {
        std::fprintf(stderr, "velmora: no view on output %s: %s\n", output.Name().c_str(),
                     error.c_str());
        return nullptr;
    }
    made->capture = std::make_unique<ScreencopyCapture>(connection_, output, &stop_);
    ViewEnvironment environment;
    environment.surface = made->surface.get();
    environment.screens = &screens_;
    environment.clock = &clock_;
    environment.capture = made->capture.get();
    environment.desktopPicture = &desktopPicture_;
    environment.makeScene = MakeSsmainScene;
    environment.resourcePath = run_.resourcePath;
    made->view = std::make_unique<VelmoraView>();
    // Our surface has shown nothing yet, so the capture sees the output as it was.
    if (!made->view->InitWithFrame(environment, run_.options.preview, run_.settings,
                                   run_.mainMonitorOnly)) {
        return nullptr;
    }
    return made;
}

// Every new output is read before any of the new views shows, so that no view of ours is in
// another output's capture.
void WaylandSaver::AddNewOutputs(double settle) {
    std::vector<OutputView*> fresh;
    const double now = clock_.Now();
    // Making a view handles events, which may announce more outputs: the list is copied first.
    std::vector<const WaylandOutput*> outputs;
    for (const auto& output : connection_.Outputs()) outputs.push_back(output.get());
    for (const WaylandOutput* output : outputs) {
        if (!output->Ready() || output->Removed() || refused_.count(output->GlobalName())) continue;
        const double seen = firstSeen_.emplace(output->GlobalName(), now).first->second;
        if (now - seen < settle) continue;
        const bool shown = std::any_of(views_.begin(), views_.end(),
                                       [&](const auto& view) { return view->output == output; });
        if (shown) continue;
        auto view = MakeView(*output);
        if (!view) {
            refused_.insert(output->GlobalName());
            continue;
        }
        fresh.push_back(view.get());
        views_.push_back(std::move(view));
    }
    for (OutputView* view : fresh) {
        view->view->StartAnimation();
        // The black frame of the start is not one of the frames the scene draws.
        view->surface->ResetPresented();
    }
}

bool WaylandSaver::DropGoneViews() {
    bool userClosed = false;
    for (auto it = views_.begin(); it != views_.end();) {
        const OutputView& view = **it;
        const bool gone = view.output->Removed() || view.window->Closed();
        if (!gone) {
            ++it;
            continue;
        }
        // A closed full-screen window is the user's doing; a closed overlay is the compositor's.
        if (connection_.LayerShell() == nullptr && !view.output->Removed()) userClosed = true;
        framesOfDroppedViews_ += view.surface->Presented();
        it = views_.erase(it);
    }
    for (const auto& output : connection_.Outputs()) {
        if (!output->Removed()) continue;
        firstSeen_.erase(output->GlobalName());
        refused_.erase(output->GlobalName());
    }
    connection_.ForgetRemovedOutputs();
    return userClosed;
}

void WaylandSaver::FollowResizes() {
    for (auto& view : views_) {
        if (!view->window->TakeResize()) continue;
        view->surface->Resize();
        view->view->SetFrameSize();
    }
}

// Each view keeps its own 1/35 s cadence, and draws only once the compositor has shown its last
// frame: a word that comes late is acted on when it comes, not at the next tick, so a slow
// compositor costs frames only down to its own pace. An output that is off or hidden sends no
// word and costs no drawing.
double WaylandSaver::DrawDueFrames() {
    double wait = VelmoraView::kFrameInterval;
    for (auto& view : views_) {
        if (!view->view->IsAnimating() || !view->window->FrameDue()) continue;
        double now = clock_.Now();
        if (now >= view->nextFrame) {
            view->view->AnimateOneFrame();
            view->nextFrame += VelmoraView::kFrameInterval;
            now = clock_.Now();
            // Fell behind: the next frame a whole interval on, never a burst.
            if (view->nextFrame < now) view->nextFrame = now + VelmoraView::kFrameInterval;
            // A frame takes a while on a busy machine: a key or a signal that came meanwhile
            // ends the saver before the next view draws.
            if (!connection_.Dispatch(0.0) || stop_.load() || connection_.Input().UserReturned()) {
                return 0.0;
            }
        }
        if (view->window->FrameDue()) wait = std::min(wait, view->nextFrame - now);
    }
    return std::max(wait, 0.0);
}

long WaylandSaver::FramesPresented() const {
    long frames = framesOfDroppedViews_;
    for (const auto& view : views_) frames += view->surface->Presented();
    return frames;
}

bool WaylandSaver::Start() {
    std::string error;
    if (!connection_.Connect(error) || !egl_.Initialise(connection_.Display(), error)) {
        std::fprintf(stderr, "velmora: %s\n", error.c_str());
        return false;
    }
    if (connection_.LayerShell() == nullptr) {
        std::fprintf(stderr,
                     "velmora: the compositor has no layer shell (zwlr_layer_shell_v1); showing "
                     "a full-screen window on each output instead\n");
    }
    SetImageDecoder(&decoder_);
    AddNewOutputs(0.0);
    // From here on a signal ends the loop instead of the process.
    startingUp_.store(false);
    connection_.Input().Arm();
    return true;
}

int WaylandSaver::Loop() {
    double wait = 0.0;
    while (!stop_.load()) {
        // The compositor's word that a frame was shown ends the wait early.
        if (!connection_.Dispatch(wait)) {
            std::fprintf(stderr, "velmora: the connection to the Wayland compositor was lost\n");
            return 1;
        }
        if (stop_.load() || connection_.Input().UserReturned()) break;
        if (DropGoneViews()) break;
        AddNewOutputs(kNewOutputSettle);
        FollowResizes();
        wait = DrawDueFrames();
    }
    return 0;
}

int WaylandSaver::Run() {
    if (!Start()) return 1;
    const double started = clock_.Now();
    const int status = stop_.load() ? 0 : Loop();
    if (run_.options.stats) {
        const double seconds = clock_.Now() - started;
        const long frames = FramesPresented();
        const double rate = seconds > 0.0 ? double(frames) / seconds : 0.0;
        std::fprintf(stderr, "velmora: frames drawn: %ld in %.2f s, %.2f per second\n", frames,
                     seconds, rate);
    }
    return status;
}

}  // namespace

int RunWaylandSaver(const SaverRun& run, const std::atomic<bool>& stop,
                    std::atomic<bool>& startingUp) {
    WaylandSaver saver(run, stop, startingUp);
    return saver.Run();
}
