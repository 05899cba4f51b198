#include "tools/packgen/clips.h"

#include <cmath>
#include <functional>

#include "cats/dog_anims.h"
#include "tools/packgen/poses.h"
#include "tools/packgen/stories.h"

namespace packgen {

namespace {

using Story = std::function<Body(double u, double seconds)>;

struct WalkClip {
    int clip;
    GaitStyle (*style)();
    double gait;
    int cycles;
};

// The walk clips the cats use, with the gait factor of the walk table, and the walk-like clips
// that no rule starts (given a moderate gait so that they still look right if ever played).
const WalkClip kWalkClips[] = {
    {kClipRun, Run, 8.0, 3},
    {kClipWalk, Walk, 4.0, 3},
    {kClipRun2, Run, 8.0, 3},
    {kClipProwl, Prowl, 2.0, 3},
    {kClipProwl2, Prowl, 2.0, 3},
    {kClipSpareWalk19, Walk, 4.0, 3},
    {kClipSpareProwl20, Prowl, 2.0, 2},
    {kClipSpareWalk21, Walk, 4.0, 3},
    {kClipSpareProwl27, Prowl, 2.0, 3},
    {kClipSpareProwl32, Prowl, 2.0, 4},
    {kClipSpareRun36, Run, 8.0, 4},
    {kClipSpareWalk58, Walk, 4.0, 3},
};

const WalkClip* FindWalk(int clip) {
    for (const WalkClip& w : kWalkClips)
        if (w.clip == clip) return &w;
    return nullptr;
}

Story StoryOf(int clip, double seconds) {
    if (IsWalkClip(clip)) {
        const GaitStyle style = GaitOfClip(clip);
        return [style](double u, double s) { return GaitBody(style, u * s, s); };
    }
    const int breathsSleep = 2, sitSwishes = 2;
    switch (clip) {
        case kClipLookAround:
            return [](double u, double) { return LookAround(u, 0.6); };
        case kClipSwat:
            return [](double u, double) { return Swat(u); };
        case kClipPounce:
            return [](double u, double) { return Pounce(u, 0.24, 0.4, 0.62); };
        case kClipSniffGround:
            return [](double u, double) { return SniffGround(u); };
        case kClipSitDown:
            return [](double u, double) { return Into(Stand(), SitTail(0, sitSwishes), u); };
        case kClipSitSwishingTail:
            return [](double u, double) { return SitTail(u, sitSwishes); };
        case kClipStandUpFromSitting:
            return [](double u, double) { return Into(SitTail(0, sitSwishes), Stand(), u); };
        case kClipLookAroundSlowly:
            return [](double u, double) { return LookAround(u, 0.8); };
        case kClipBat:
            return [](double u, double) { return Bat(u); };
        case kClipScratchEar:
            return [](double u, double) { return ScratchEar(u); };
        case kClipFlickTail:
            return [](double u, double) { return TailFlicks(u, 4); };
        case kClipStretch:
            return [](double u, double) { return Stretch(u); };
        case kClipYawn:
            return [](double u, double) { return Yawn(u); };
        case kClipShakeHead:
            return [](double u, double) { return HeadShake(u); };
        case kClipWatchAbove:
            return [](double u, double) { return WatchAbove(u); };
        case kClipKnead:
            return [](double u, double) { return Knead(u, 4); };
        case kClipGroom:
            return [](double u, double) { return Groom(u); };
        case kClipBreathe:
            return [](double u, double) { return Breathing(u, 3); };
        case kClipCrouchAndWatch:
            return [](double u, double) { return CrouchAndWatch(u); };
        case kClipDoubleSwat:
            return [](double u, double) { return DoubleSwat(u); };
        case kClipFlickTailTwice:
            return [](double u, double) { return TailFlicks(u, 2); };
        case kClipSniffAir:
            return [](double u, double) { return SniffAir(u); };
        case kClipLieDown:
            return [](double u, double) { return Into(Stand(), LieHold(0, 2), u); };
        case kClipLie:
            return [](double u, double) { return LieHold(u, 2); };
        case kClipGetUpFromLying:
            return [](double u, double) { return Into(LieHold(0, 2), Stand(), u); };
        case kClipStartWashingFace:
            return [](double u, double) { return Into(Stand(), WashFace(0, 2), u); };
        case kClipWashFace:
            return [](double u, double) { return WashFace(u, 2); };
        case kClipStopWashingFace:
            return [](double u, double) { return Into(WashFace(0, 2), Stand(), u); };
        case kClipCrouch:
            return [](double u, double) { return Into(Stand(), CrouchWiggle(0, 3), u); };
        case kClipWiggle:
            return [](double u, double) { return CrouchWiggle(u, 3); };
        case kClipRiseFromCrouch:
            return [](double u, double) { return Into(CrouchWiggle(0, 3), Stand(), u); };
        case kClipRear:
            return [](double u, double) { return Into(Stand(), Rear(), u); };
        case kClipRearAndBat:
            return [](double u, double) { return RearBat(u); };
        case kClipDropFromRear:
            return [](double u, double) { return Into(Rear(), Stand(), u); };
        case kClipLookBehind:
            return [](double u, double) { return LookBehind(u); };
        case kClipLieDownToSleep:
            return [](double u, double) { return Into(Stand(), Sleep(0, breathsSleep), u); };
        case kClipSleep:
            return [](double u, double) { return Sleep(u, breathsSleep); };
        case kClipWakeUp:
            return [](double u, double) { return Into(Sleep(0, breathsSleep), Stand(), u); };
        case kClipSitToLook:
            return [](double u, double) { return Into(Stand(), SitLook(0), u); };
        case kClipSitAndLook:
            return [](double u, double) { return SitLook(u); };
        case kClipShakeOff:
            return [](double u, double) { return ShakeOff(u); };
        case kClipRollOverToSleep:
            return [](double u, double) {
                return u < 0.5 ? Into(Stand(), Lie(), u * 2.0)
                               : RollOver(Lie(), SideSleep(0, 6), (u - 0.5) * 2.0);
            };
        case kClipSleepOnSide:
            return [](double u, double) { return SideSleep(u, 6); };
        case kClipRollBackAndStand:
            return [](double u, double) {
                return u < 0.5 ? RollOver(SideSleep(0, 6), Lie(), u * 2.0)
                               : Into(Lie(), Stand(), (u - 0.5) * 2.0);
            };
        case kClipStalkAndPounce:
            return [](double u, double) { return StalkAndPounce(u); };
        default:
            break;
    }
    return [clip, seconds](double u, double) { return GentleIdle(u, seconds, clip); };
}

}  // namespace

bool IsWalkClip(int clip) {
    return FindWalk(clip) != nullptr;
}

GaitStyle GaitOfClip(int clip) {
    const WalkClip* w = FindWalk(clip);
    if (!w) return GaitStyle{};
    GaitStyle style = w->style();
    style.gait = w->gait;
    style.cycles = w->cycles;
    return style;
}

std::vector<Body> BuildTimeline() {
    std::vector<Body> frames(kDogAnimLastFrame + 1, Stand());
    for (int c = 0; c < kDogAnimCount; ++c) {
        const DOGANIM& clip = dogAnims[c];
        const double seconds = double(clip.end - clip.start) / kFramesPerSecond;
        const Story story = StoryOf(c, seconds);
        for (int f = clip.start; f <= clip.end; ++f) {
            const double u = double(f - clip.start) / (clip.end - clip.start);
            frames[f] = story(u, seconds);
        }
    }
    return frames;
}

}  // namespace packgen
