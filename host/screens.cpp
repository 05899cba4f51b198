#include "host/screens.h"

#include <algorithm>

bool Intersects(const ScreenRect& a, const ScreenRect& b) {
    if (a.width <= 0 || a.height <= 0 || b.width <= 0 || b.height <= 0) return false;
    // Compared in long long so that rectangles near the edge of int cannot overflow.
    const long long left = a.x > b.x ? a.x : b.x;
    const long long top = a.y > b.y ? a.y : b.y;
    const long long right = std::min<long long>((long long)a.x + a.width, (long long)b.x + b.width);
    const long long bottom =
        std::min<long long>((long long)a.y + a.height, (long long)b.y + b.height);
    return left < right && top < bottom;
}

int MainScreenNumber(const std::vector<ScreenInfo>& screens) {
    for (const ScreenInfo& screen : screens) {
        if (screen.primary) return screen.number;
    }
    return screens.empty() ? -1 : screens.front().number;
}

int ScreenNumberUnder(const std::vector<ScreenInfo>& screens, const ScreenRect& frame) {
    for (const ScreenInfo& screen : screens) {
        if (Intersects(screen.frame, frame)) return screen.number;
    }
    return MainScreenNumber(screens);
}

const ScreenInfo* FindScreen(const std::vector<ScreenInfo>& screens, int number) {
    for (const ScreenInfo& screen : screens) {
        if (screen.number == number) return &screen;
    }
    return nullptr;
}
