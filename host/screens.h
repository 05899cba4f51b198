// The monitors of the desktop as the view sees them: each has a number that tells it apart and a
// rectangle in desktop coordinates; one of them is the main screen.
#pragma once

#include <string>
#include <vector>

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ScreenInfo {
    int number = 0;  // tells the screens apart (the monitor's index)
    ScreenRect frame;
    bool primary = false;
    std::string name;  // the monitor's name as the system gives it ("DP-1"), or ""
};

class Screens {
  public:
    virtual ~Screens() = default;
    // The monitors in the system's order.
    virtual std::vector<ScreenInfo> List() = 0;
};

// True when the two rectangles share at least one pixel.
bool Intersects(const ScreenRect& a, const ScreenRect& b);

// The number of the main screen: the primary monitor, else the first one; -1 without monitors.
int MainScreenNumber(const std::vector<ScreenInfo>& screens);

// The number of the first screen that `frame` overlaps; the main screen when it overlaps none.
int ScreenNumberUnder(const std::vector<ScreenInfo>& screens, const ScreenRect& frame);

// The screen with that number, or nullptr.
const ScreenInfo* FindScreen(const std::vector<ScreenInfo>& screens, int number);
