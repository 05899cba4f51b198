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

// Every clip by what it shows; the values are the clip table's indices. The spare clips are
// part of the model's timeline, but no rule of the cats plays them.
enum DogClip : int {
    kClipLookAround = 0,
    kClipSwat = 1,
    kClipSpare2 = 2,
    kClipPounce = 3,
    kClipRun = 4,
    kClipSniffGround = 5,
    kClipSitDown = 6,
    kClipSitSwishingTail = 7,
    kClipStandUpFromSitting = 8,
    kClipSpare9 = 9,
    kClipLookAroundSlowly = 10,
    kClipSpare11 = 11,
    kClipSpare12 = 12,
    kClipSpare13 = 13,
    kClipSpare14 = 14,
    kClipWalk = 15,
    kClipRun2 = 16,
    kClipSpare17 = 17,
    kClipSpare18 = 18,
    kClipSpareWalk19 = 19,
    kClipSpareProwl20 = 20,
    kClipSpareWalk21 = 21,
    kClipBat = 22,
    kClipSpare23 = 23,
    kClipScratchEar = 24,
    kClipFlickTail = 25,
    kClipSpare26 = 26,
    kClipSpareProwl27 = 27,
    kClipStretch = 28,
    kClipYawn = 29,
    kClipShakeHead = 30,
    kClipWatchAbove = 31,
    kClipSpareProwl32 = 32,
    kClipKnead = 33,
    kClipGroom = 34,
    kClipBreathe = 35,
    kClipSpareRun36 = 36,
    kClipCrouchAndWatch = 37,
    kClipProwl = 38,
    kClipDoubleSwat = 39,
    kClipFlickTailTwice = 40,
    kClipSniffAir = 41,
    kClipLieDown = 42,
    kClipLie = 43,
    kClipGetUpFromLying = 44,
    kClipStartWashingFace = 45,
    kClipWashFace = 46,
    kClipStopWashingFace = 47,
    kClipCrouch = 48,
    kClipWiggle = 49,
    kClipRiseFromCrouch = 50,
    kClipRear = 51,
    kClipRearAndBat = 52,
    kClipDropFromRear = 53,
    kClipLookBehind = 54,
    kClipLieDownToSleep = 55,
    kClipSleep = 56,
    kClipWakeUp = 57,
    kClipSpareWalk58 = 58,
    kClipProwl2 = 59,
    kClipSpare60 = 60,
    kClipSpare61 = 61,
    kClipSitToLook = 62,
    kClipSitAndLook = 63,
    kClipShakeOff = 64,
    kClipRollOverToSleep = 65,
    kClipSleepOnSide = 66,
    kClipRollBackAndStand = 67,
    kClipSpare68 = 68,
    kClipStalkAndPounce = 69,
};

// What plays a clip: a bit each, as a clip may serve more than one way (a swat is an idle move
// and a strike at the toy; the shake that ends one chain is also an idle move of its own).
enum DogClipKind : uint8_t {
    kWalkClip = 1,   // walking, at the gait factor of the walk table (or a spare walk)
    kIdleClip = 2,   // picked at random while a cat stands (idleClips)
    kChainClip = 4,  // follows another clip of an idle chain (DOGANIM::next)
    kToyClip = 8,    // a strike at the toy (toyClips)
};

struct DOGCLIP {
    uint8_t kinds;      // DogClipKind bits; 0 for a spare clip
    const char* shows;  // what the cat does in it
};
extern const DOGCLIP dogClips[kDogAnimCount];

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
