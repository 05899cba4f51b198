#include "platform/x11/desktop_capture.h"

#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

extern char** environ;

namespace {

// The position and width of a colour channel in a pixel value.
struct Channel {
    int shift = 0;
    int bits = 0;
};
Channel ChannelOf(unsigned long mask) {
    Channel channel;
    if (mask == 0) return channel;
    while (!(mask & 1ul)) {
        mask >>= 1;
        ++channel.shift;
    }
    while (mask & 1ul) {
        mask >>= 1;
        ++channel.bits;
    }
    return channel;
}
uint8_t Expand(unsigned long pixel, const Channel& channel) {
    if (channel.bits == 0) return 0;
    const unsigned long value = (pixel >> channel.shift) & ((1ul << channel.bits) - 1);
    if (channel.bits >= 8) return uint8_t(value >> (channel.bits - 8));
    return uint8_t(value * 255 / ((1ul << channel.bits) - 1));
}

// Ignores the X errors of one request so that a refused read is a false result, not an exit.
int (*previousHandler)(Display*, XErrorEvent*) = nullptr;
bool requestFailed = false;
int NoteError(Display*, XErrorEvent*) {
    requestFailed = true;
    return 0;
}

double Seconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Runs the helper without a shell and waits for it: at most `limit` seconds, less when `stop`
// is raised. The helper is killed when it is not done by then.
bool RunHelper(const std::string& program, Window window, Pixmap pixmap, double limit,
               const std::atomic<bool>* stop) {
    char windowId[32], pixmapId[32];
    std::snprintf(windowId, sizeof windowId, "0x%lx", (unsigned long)window);
    std::snprintf(pixmapId, sizeof pixmapId, "0x%lx", (unsigned long)pixmap);
    char* const argv[] = {const_cast<char*>(program.c_str()), windowId, pixmapId, nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        std::fprintf(stderr, "velmora: cannot run %s\n", program.c_str());
        return false;
    }
    const double deadline = Seconds() + limit;
    int status = 0;
    while (true) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) break;
        if (done < 0 || Seconds() > deadline || (stop && stop->load())) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            if (!(stop && stop->load())) {
                std::fprintf(stderr, "velmora: %s did not finish in time\n", program.c_str());
            }
            return false;
        }
        const timespec pause{0, 20 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    std::fprintf(stderr, "velmora: %s failed (status %d)\n", program.c_str(), status);
    return false;
}

}  // namespace

bool ReadDrawable(Display* display, Drawable drawable, const ScreenRect& rect, const Visual* visual,
                  CapturedImage& out) {
    if (rect.width <= 0 || rect.height <= 0) return false;
    XSync(display, False);
    requestFailed = false;
    previousHandler = XSetErrorHandler(NoteError);
    XImage* image = XGetImage(display, drawable, rect.x, rect.y, unsigned(rect.width),
                              unsigned(rect.height), AllPlanes, ZPixmap);
    XSync(display, False);
    XSetErrorHandler(previousHandler);
    if (image == nullptr || requestFailed) {
        if (image) XDestroyImage(image);
        return false;
    }
    // A pixmap has no visual of its own, so its image carries no colour masks.
    const Channel red = ChannelOf(visual ? visual->red_mask : image->red_mask);
    const Channel green = ChannelOf(visual ? visual->green_mask : image->green_mask);
    const Channel blue = ChannelOf(visual ? visual->blue_mask : image->blue_mask);
    out.width = rect.width;
    out.height = rect.height;
    out.rgba.assign(std::size_t(rect.width) * rect.height * 4, 0);
    for (int y = 0; y < rect.height; ++y) {
        // X rows run top-down; the texture wants the bottom row first.
        uint8_t* row = &out.rgba[std::size_t(rect.height - 1 - y) * rect.width * 4];
        for (int x = 0; x < rect.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            row[x * 4] = Expand(pixel, red);
            row[x * 4 + 1] = Expand(pixel, green);
            row[x * 4 + 2] = Expand(pixel, blue);
            row[x * 4 + 3] = 255;
        }
    }
    XDestroyImage(image);
    return true;
}

bool DrawableGeometry(Display* display, Drawable drawable, int& width, int& height, int& depth) {
    XSync(display, False);
    requestFailed = false;
    previousHandler = XSetErrorHandler(NoteError);
    Window root = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, bits = 0;
    const Status got = XGetGeometry(display, drawable, &root, &x, &y, &w, &h, &border, &bits);
    XSync(display, False);
    XSetErrorHandler(previousHandler);
    if (!got || requestFailed) return false;
    width = int(w);
    height = int(h);
    depth = int(bits);
    return true;
}

bool RootWindowCapture::Capture(const ScreenRect& frame, CapturedImage& out) {
    const auto screens = screens_.List();
    const ScreenInfo* screen = FindScreen(screens, ScreenNumberUnder(screens, frame));
    if (screen == nullptr) return false;
    const Window root = DefaultRootWindow(display_);
    if (drawsOnRoot_) {
        XClearArea(display_, root, 0, 0, 0, 0, True);
        XSync(display_, False);
    }
    return ReadDrawable(display_, root, screen->frame, nullptr, out);
}

std::string GetImageCapture::HelperPath() {
    const char* libexec = "/usr/libexec/xscreensaver/xscreensaver-getimage";
    if (access(libexec, X_OK) == 0) return libexec;
    return "xscreensaver-getimage";
}

bool GetImageCapture::Capture(const ScreenRect& frame, CapturedImage& out) {
    if (!allowed_ || frame.width <= 0 || frame.height <= 0) return false;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, window_, &attributes)) return false;
    const Pixmap pixmap = XCreatePixmap(display_, window_, unsigned(frame.width),
                                        unsigned(frame.height), unsigned(attributes.depth));
    // The helper paints into the pixmap from its own connection: the pixmap must exist first.
    XSync(display_, False);
    bool read = false;
    if (RunHelper(HelperPath(), window_, pixmap, 20.0, stop_)) {
        read = ReadDrawable(display_, pixmap, {0, 0, frame.width, frame.height}, attributes.visual,
                            out);
    }
    XFreePixmap(display_, pixmap);
    XFlush(display_);
    return read;
}
