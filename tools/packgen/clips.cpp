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
    {4, Run, 8.0, 3},    {15, Walk, 4.0, 3},  {16, Run, 8.0, 3},   {38, Prowl, 2.0, 3},
    {59, Prowl, 2.0, 3}, {19, Walk, 4.0, 3},  {20, Prowl, 2.0, 2}, {21, Walk, 4.0, 3},
    {27, Prowl, 2.0, 3}, {32, Prowl, 2.0, 4}, {36, Run, 8.0, 4},   {58, Walk, 4.0, 3},
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
        case 0:
            return [](double u, double) { return LookAround(u, 0.6); };
        case 1:
            return [](double u, double) { return Swat(u); };
        case 3:
            return [](double u, double) { return Pounce(u, 0.24, 0.4, 0.62); };
        case 5:
            return [](double u, double) { return SniffGround(u); };
        case 6:
            return [](double u, double) { return Into(Stand(), SitTail(0, sitSwishes), u); };
        case 7:
            return [](double u, double) { return SitTail(u, sitSwishes); };
        case 8:
            return [](double u, double) { return Into(SitTail(0, sitSwishes), Stand(), u); };
        case 10:
            return [](double u, double) { return LookAround(u, 0.8); };
        case 22:
            return [](double u, double) { return Bat(u); };
        case 24:
            return [](double u, double) { return ScratchEar(u); };
        case 25:
            return [](double u, double) { return TailFlicks(u, 4); };
        case 28:
            return [](double u, double) { return Stretch(u); };
        case 29:
            return [](double u, double) { return Yawn(u); };
        case 30:
            return [](double u, double) { return HeadShake(u); };
        case 31:
            return [](double u, double) { return WatchAbove(u); };
        case 33:
            return [](double u, double) { return Knead(u, 4); };
        case 34:
            return [](double u, double) { return Groom(u); };
        case 35:
            return [](double u, double) { return Breathing(u, 3); };
        case 37:
            return [](double u, double) { return CrouchAndWatch(u); };
        case 39:
            return [](double u, double) { return DoubleSwat(u); };
        case 40:
            return [](double u, double) { return TailFlicks(u, 2); };
        case 41:
            return [](double u, double) { return SniffAir(u); };
        case 42:
            return [](double u, double) { return Into(Stand(), LieHold(0, 2), u); };
        case 43:
            return [](double u, double) { return LieHold(u, 2); };
        case 44:
            return [](double u, double) { return Into(LieHold(0, 2), Stand(), u); };
        case 45:
            return [](double u, double) { return Into(Stand(), WashFace(0, 2), u); };
        case 46:
            return [](double u, double) { return WashFace(u, 2); };
        case 47:
            return [](double u, double) { return Into(WashFace(0, 2), Stand(), u); };
        case 48:
            return [](double u, double) { return Into(Stand(), CrouchWiggle(0, 3), u); };
        case 49:
            return [](double u, double) { return CrouchWiggle(u, 3); };
        case 50:
            return [](double u, double) { return Into(CrouchWiggle(0, 3), Stand(), u); };
        case 51:
            return [](double u, double) { return Into(Stand(), Rear(), u); };
        case 52:
            return [](double u, double) { return RearBat(u); };
        case 53:
            return [](double u, double) { return Into(Rear(), Stand(), u); };
        case 54:
            return [](double u, double) { return LookBehind(u); };
        case 55:
            return [](double u, double) { return Into(Stand(), Sleep(0, breathsSleep), u); };
        case 56:
            return [](double u, double) { return Sleep(u, breathsSleep); };
        case 57:
            return [](double u, double) { return Into(Sleep(0, breathsSleep), Stand(), u); };
        case 62:
            return [](double u, double) { return Into(Stand(), SitLook(0), u); };
        case 63:
            return [](double u, double) { return SitLook(u); };
        case 64:
            return [](double u, double) { return ShakeOff(u); };
        case 65:
            return [](double u, double) {
                return u < 0.5 ? Into(Stand(), Lie(), u * 2.0)
                               : RollOver(Lie(), SideSleep(0, 6), (u - 0.5) * 2.0);
            };
        case 66:
            return [](double u, double) { return SideSleep(u, 6); };
        case 67:
            return [](double u, double) {
                return u < 0.5 ? RollOver(SideSleep(0, 6), Lie(), u * 2.0)
                               : Into(Lie(), Stand(), (u - 0.5) * 2.0);
            };
        case 69:
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
