#include "headless_view.h"

#include <GL/gl.h>

#include <chrono>

#include "platform/system_clock.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

double MillisecondsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
}

}  // namespace

void RenderClock::Step() {
    now_ += step_;
}

double RenderClock::Now() {
    return step_ > 0.0 ? now_ : SystemClock().Now();
}

bool TimedScene::Setup(bool isPreview, int width, int height, SETTINGS* settings,
                       const char* resourcePath) {
    return main_.Setup(isPreview, width, height, settings, resourcePath);
}

void TimedScene::Update(double dt) {
    const SteadyClock::time_point start = SteadyClock::now();
    main_.Update(dt);
    updateMs.push_back(MillisecondsSince(start));
}

void TimedScene::Draw() {
    const SteadyClock::time_point start = SteadyClock::now();
    main_.Draw();
    glFinish();
    drawMs.push_back(MillisecondsSince(start));
}
