// The clip table of the cat model: every clip of its single animation timeline by frame range,
// with the rules that chain clips. The pack generator builds the timeline from this same table.
#pragma once

#include <cstdint>

struct DOGANIM {
    int32_t start;   // first frame of the clip
    int32_t end;     // last frame
    uint8_t repeat;  // an idle clip may repeat when it ends
    uint8_t blend;   // started by a rule or an action, the clip blends from the current pose
    int32_t next;    // the clip that follows in an idle chain, or -1
};

constexpr int kDogAnimCount = 70;
extern const DOGANIM dogAnims[kDogAnimCount];

constexpr int kIdleClipCount = 26;
extern const int idleClips[kIdleClipCount];

constexpr int kToyClipCount = 5;
extern const int toyClips[kToyClipCount];

// The walk clip and its gait factor for each value of rand() % 8.
struct WALKCLIP {
    int clip;
    float gait;
};
extern const WALKCLIP walkClips[8];

// The frames of a toy clip in which its strike can hit the toy.
struct HITWINDOW {
    int clip;
    int firstFrame;
    int lastFrame;
};
constexpr int kHitWindowCount = 5;
extern const HITWINDOW hitWindows[kHitWindowCount];

// The joints of the four paws in the cat model, by foot row (only row 0 is ever used).
extern const int32_t dogFeet[3][4];

// Frames per second that the clip table and hit windows assume.
constexpr int kDogAnimFps = 30;
// The last frame of the timeline that any clip uses.
constexpr int kDogAnimLastFrame = 4391;
