#include "tools/packgen/stories.h"

#include <cmath>

#include "tools/packgen/poses.h"

namespace packgen {

namespace {
constexpr int FL = 0, FR = 1, HL = 2, HR = 3;
}  // namespace

// Zero at both ends of a clip with zero slope, one in the middle.
double Bell(double u) {
    const double s = std::sin(kPi * u);
    return s * s;
}

Body GentleIdle(double u, double seconds, int seed) {
    Body b = Stand();
    const double e = Bell(u);
    const double side = seed % 2 ? 1.0 : -1.0;
    Look(b, side * 0.5 * e * std::sin(kPi * u * (1 + seed % 3)), 0.1 * e);
    Breathe(b, u, std::max(1.0, std::round(seconds / 1.5)), e);
    b.tailSway = 0.35 * e;
    b.tailPhase = 2.0 * kPi * u * std::max(1.0, std::round(seconds));
    b.ear[seed % 2].z = 0.3 * e * std::max(0.0, std::sin(2.0 * kPi * u * 3.0));
    return b;
}

Body LookAround(double u, double amount) {
    Body b = Stand();
    Look(b, amount * std::sin(2.0 * kPi * u), 0.1 * Bell(u));
    b.ear[0].z = 0.2 * Bell(u);
    return b;
}

Body SniffGround(double u) {
    Body down = Stand();
    down.neck[0].x = -0.65;
    down.neck[1].x = -0.25;
    down.head.x = -0.2;
    down.shift.y = -0.15;
    Keys k;
    k.At(0, Stand()).At(0.25, down).At(0.75, down).At(1.0, Stand());
    Body b = k.Eval(u);
    const double busy = Ramp(u, 0.2, 0.3) * (1.0 - Ramp(u, 0.7, 0.8));
    b.head.x += 0.06 * busy * std::sin(2.0 * kPi * u * 14.0);
    b.neck[0].y = 0.4 * busy * std::sin(2.0 * kPi * u);
    return b;
}

Body SitTail(double u, int cycles) {
    Body b = Sit();
    Breathe(b, u, cycles, 1.0);
    SwayTail(b, u, cycles, 0.5);
    return b;
}

Body ScratchEar(double u) {
    Body sit = Sit();
    Body scratch = sit;
    scratch.head = {-0.2, 0.0, -0.45};
    scratch.neck[1].z = -0.2;
    MovePaw(scratch, HR, 2.6, 1.8);
    scratch.legs[HR].lowerPitch = 0.2;
    Keys k;
    k.At(0, Stand())
        .At(0.2, sit)
        .At(0.32, scratch)
        .At(0.75, scratch)
        .At(0.85, sit)
        .At(1.0, Stand());
    Body b = k.Eval(u);
    const double busy = Ramp(u, 0.3, 0.34) * (1.0 - Ramp(u, 0.73, 0.77));
    b.legs[HR].paw.y += 0.35 * busy * std::sin(2.0 * kPi * u * 16.0);
    b.ear[1].x = 0.4 * busy;
    return b;
}

Body TailFlicks(double u, int flicks) {
    Body b = Stand();
    b.tailSway = 0.7 * Bell(u);
    b.tailPhase = 2.0 * kPi * u * flicks;
    b.ear[0].z = 0.35 * std::pow(std::max(0.0, std::sin(2.0 * kPi * u * 2.0)), 4.0);
    b.ear[1].z = 0.35 * std::pow(std::max(0.0, -std::sin(2.0 * kPi * u * 2.0)), 4.0);
    return b;
}

Body Stretch(double u) {
    Body bow = Bow();
    Body deep = bow;
    deep.shift.y -= 0.15;
    deep.jaw = 0.25;
    Body back = Stand();
    back.root.x = 0.08;
    back.legs[HL].paw = RestPaw(HL);
    MovePaw(back, HL, 0.9, -1.8);
    back.legs[HL].pawPitch = -0.6;
    Keys k;
    k.At(0, Stand()).At(0.3, bow).At(0.45, deep).At(0.58, bow).At(0.68, Stand());
    k.At(0.8, back).At(0.88, back).At(1.0, Stand());
    return k.Eval(u);
}

Body Yawn(double u) {
    Body up = Stand();
    Look(up, 0.0, 0.45);
    up.ear[0].x = up.ear[1].x = 0.5;
    Body open = up;
    open.jaw = 0.75;
    Keys k;
    k.At(0, Stand()).At(0.25, up).At(0.4, open).At(0.6, open).At(0.72, up).At(1.0, Stand());
    return k.Eval(u);
}

Body HeadShake(double u) {
    Body b = Stand();
    const double busy = Ramp(u, 0.15, 0.25) * (1.0 - Ramp(u, 0.6, 0.75));
    b.head.z = 0.45 * busy * std::sin(2.0 * kPi * u * 9.0);
    b.neck[1].z = 0.15 * busy * std::sin(2.0 * kPi * u * 9.0 - 0.5);
    b.ear[0].x = b.ear[1].x = 0.4 * busy;
    b.neck[0].x = -0.15 * Bell(u);
    return b;
}

Body WatchAbove(double u) {
    Body b = Stand();
    const double up = Ramp(u, 0.0, 0.25) * (1.0 - Ramp(u, 0.8, 1.0));
    Look(b, 0.6 * up * std::sin(2.0 * kPi * u * 1.5), 0.9 * up);
    b.shift.y -= 0.15 * up;
    b.tailSway = 0.3 * up;
    b.tailPhase = 2.0 * kPi * u * 3.0;
    return b;
}

Body Knead(double u, int presses) {
    Body b = Stand();
    const double e = Bell(u);
    b.shift.y -= 0.25 * e;
    b.neck[0].x -= 0.15 * e;
    b.head.x = 0.15 * e;
    const double w = std::sin(2.0 * kPi * u * presses);
    // The paws press but stay below the footprint height: kneading lays no prints.
    b.legs[FL].paw.y += 0.3 * e * std::max(0.0, w);
    b.legs[FR].paw.y += 0.3 * e * std::max(0.0, -w);
    b.legs[FL].toes = 0.5 * e * std::max(0.0, w);
    b.legs[FR].toes = 0.5 * e * std::max(0.0, -w);
    b.tailSway = 0.2 * e;
    b.tailPhase = 2.0 * kPi * u * 2.0;
    return b;
}

Body Groom(double u) {
    Body sit = Sit();
    Body lick = sit;
    lick.legs[FL].paw = sit.legs[FL].paw;
    MovePaw(lick, FL, 3.4, 0.7);
    lick.legs[FL].pawPitch = 1.4;
    lick.legs[FL].lowerPitch = -1.2;
    lick.neck[0].x = -0.35;
    lick.head = {-0.5, 0.25, 0.1};
    Keys k;
    k.At(0, Stand()).At(0.2, sit).At(0.32, lick).At(0.8, lick).At(0.88, sit).At(1.0, Stand());
    Body b = k.Eval(u);
    const double busy = Ramp(u, 0.3, 0.34) * (1.0 - Ramp(u, 0.76, 0.8));
    b.head.x += 0.15 * busy * std::sin(2.0 * kPi * u * 10.0);
    b.jaw = 0.2 * busy * std::max(0.0, std::sin(2.0 * kPi * u * 10.0));
    return b;
}

Body Breathing(double u, int breaths) {
    Body b = Stand();
    Breathe(b, u, breaths, 1.5 * Bell(u));
    b.tailDroop += 0.04 * Bell(u);
    b.tailHook -= 0.3 * Bell(u);
    Look(b, 0.25 * Bell(u) * std::sin(2.0 * kPi * u), 0.0);
    return b;
}

Body CrouchAndWatch(double u) {
    Keys k;
    k.At(0, Stand()).At(0.25, Crouch()).At(0.75, Crouch()).At(1.0, Stand());
    Body b = k.Eval(u);
    const double busy = Ramp(u, 0.2, 0.3) * (1.0 - Ramp(u, 0.7, 0.8));
    b.tailSway = 0.25 * busy;
    b.tailPhase = 2.0 * kPi * u * 5.0;
    return b;
}

Body SniffAir(double u) {
    Body b = Stand();
    const double e = Ramp(u, 0.0, 0.2) * (1.0 - Ramp(u, 0.8, 1.0));
    Look(b, 0.5 * e * std::sin(2.0 * kPi * u), 0.45 * e);
    b.head.x += 0.04 * e * std::sin(2.0 * kPi * u * 24.0);
    b.ear[0].z = b.ear[1].z = 0.15 * e;
    return b;
}

Body LieHold(double u, int breaths) {
    Body b = Lie();
    Breathe(b, u, breaths, 1.0);
    SwayTail(b, u, 1, 0.25);
    b.head.y = 0.25 * std::sin(2.0 * kPi * u);
    return b;
}

Body WashFace(double u, int strokes) {
    Body b = Sit();
    b.neck[0].x = -0.3;
    b.head = {-0.25, 0.2, 0.2};
    b.legs[FL].paw = Sit().legs[FL].paw;
    const double w = 0.5 - 0.5 * std::cos(2.0 * kPi * u * strokes);
    MovePaw(b, FL, 3.0 + 0.9 * w, 0.6 - 0.3 * w);
    b.legs[FL].pawPitch = 1.3;
    b.legs[FL].lowerPitch = -1.1;
    b.head.x -= 0.15 * w;
    Breathe(b, u, strokes, 0.5);
    return b;
}

Body CrouchWiggle(double u, int wiggles) {
    Body b = Crouch();
    b.root.z = 0.07 * std::sin(2.0 * kPi * u * wiggles);
    b.tailSway = 0.35;
    b.tailPhase = 2.0 * kPi * u * wiggles;
    return b;
}

Body RearBat(double u) {
    Body b = Rear();
    const double e = Bell(u);
    b.legs[FL].paw.y += 0.6 * e * std::sin(2.0 * kPi * u * 2.0);
    b.legs[FR].paw.y -= 0.6 * e * std::sin(2.0 * kPi * u * 2.0);
    b.legs[FL].paw.z -= 0.5 * e;
    return b;
}

Body LookBehind(double u) {
    Body back = Stand();
    Look(back, 1.4, 0.1);
    back.spine[2].y = 0.12;
    back.spine[1].y = 0.08;
    back.tailSway = 0.0;
    Keys k;
    k.At(0, Stand()).At(0.35, back).At(0.65, back).At(1.0, Stand());
    return k.Eval(u);
}

Body Sleep(double u, int breaths) {
    Body b = Curl();
    Breathe(b, u, breaths, 1.6);
    b.ear[1].z = 0.2 * std::pow(std::max(0.0, std::sin(2.0 * kPi * u)), 8.0);
    return b;
}

Body SitLook(double u) {
    Body b = Sit();
    Look(b, 0.8 * std::sin(2.0 * kPi * u), 0.1 * Bell(u));
    Breathe(b, u, 1, 0.5);
    return b;
}

Body ShakeOff(double u) {
    Body b = Stand();
    const double busy = Ramp(u, 0.1, 0.2) * (1.0 - Ramp(u, 0.45, 0.6));
    const double w = std::sin(2.0 * kPi * u * 12.0);
    b.spine[2].z = 0.12 * busy * w;
    b.spine[0].z = -0.1 * busy * w;
    b.head.z = 0.35 * busy * w;
    b.ear[0].x = b.ear[1].x = 0.3 * busy;
    // Afterwards a look round and a slow tail.
    Look(b, 0.5 * Ramp(u, 0.6, 0.7) * (1.0 - Ramp(u, 0.9, 1.0)) * std::sin(2.0 * kPi * u * 2.0),
         0.0);
    b.tailSway = 0.3 * Bell(u);
    b.tailPhase = 2.0 * kPi * u * 3.0;
    return b;
}

Body SideSleep(double u, int breaths) {
    Body b = LieOnSide();
    Breathe(b, u, breaths, 1.4);
    // A dream: the paws twitch for a moment in the middle of the sleep.
    const double dream = Ramp(u, 0.45, 0.5) * (1.0 - Ramp(u, 0.6, 0.65));
    for (int leg = 0; leg < 4; ++leg)
        b.legs[leg].paw.z += 0.25 * dream * std::sin(2.0 * kPi * u * 30.0 + leg);
    return b;
}

// Chain pieces: the transition into a held pose ends exactly where the hold begins.
Body Into(const Body& from, const Body& to, double u) {
    return Mix(from, to, Smooth(u));
}

// Rolling between lying on the belly and lying on the side: the paws are drawn up out of the
// way while the body turns, so the lower legs do not pass through the ground.
Body RollOver(const Body& from, const Body& to, double u) {
    Body b = Mix(from, to, Smooth(u));
    const double tuck = std::sin(kPi * Clamp(u, 0.0, 1.0));
    for (int leg = 0; leg < 4; ++leg) {
        // Folded up against the belly, in the frame of the turning body.
        const V3 rest = RestPaw(leg);
        const V3 folded = FromRootFrame(b, {rest.x, rest.y + 2.4, rest.z});
        b.legs[leg].paw = Lerp(b.legs[leg].paw, folded, tuck);
        b.legs[leg].toes += 0.6 * tuck;
    }
    b.shift.y += 0.8 * tuck;
    return b;
}

}  // namespace packgen
