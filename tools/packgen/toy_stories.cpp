#include "tools/packgen/stories.h"

#include <cmath>

#include "tools/packgen/poses.h"

namespace packgen {

namespace {
constexpr int FL = 0, FR = 1, HL = 2, HR = 3;
}  // namespace

Body Swat(double u) {
    Body raised = Stand();
    raised.shift.y = -0.3;
    raised.root.x = 0.05;
    MovePaw(raised, FR, 1.8, -0.4);
    raised.legs[FR].pawPitch = 0.6;
    Body strike = raised;
    strike.legs[FR].paw = RestPaw(FR);
    MovePaw(strike, FR, 1.1, 3.2);
    strike.legs[FR].pawPitch = -0.3;
    strike.shift.z = -0.4;
    Body follow = strike;
    MovePaw(follow, FR, -0.6, -0.4);
    Keys k;
    k.At(0, Stand())
        .At(0.3, raised)
        .At(0.47, raised)
        .At(0.72, strike)
        .At(0.85, follow)
        .At(1.0, Stand());
    return k.Eval(u);
}

Body Pounce(double u, double crouchAt, double launchAt, double landAt) {
    Body crouch = Crouch();
    Body ready = crouch;
    ready.shift.y -= 0.2;
    ready.root.z = 0.0;
    Body air = Stand();
    air.shift = {0, 0.2, -1.6};
    air.root.x = 0.15;
    air.legs[FL].paw = RestPaw(FL);
    air.legs[FR].paw = RestPaw(FR);
    MovePaw(air, FL, 1.6, 2.6);
    MovePaw(air, FR, 1.7, 2.8);
    air.legs[FL].pawPitch = air.legs[FR].pawPitch = 0.5;
    air.legs[HL].paw.z -= 0.4;
    air.legs[HR].paw.z -= 0.4;
    Body land = crouch;
    land.shift.z = -1.9;
    land.legs[FL].paw = RestPaw(FL);
    land.legs[FR].paw = RestPaw(FR);
    MovePaw(land, FL, 0.0, 3.8);
    MovePaw(land, FR, 0.0, 4.0);
    land.legs[FL].lowerPitch = land.legs[FR].lowerPitch = 0.9;
    land.head.x = -0.3;
    Keys k;
    k.At(0, Stand())
        .At(crouchAt, crouch)
        .At(launchAt, ready)
        .At(launchAt + (landAt - launchAt) * 0.5, air);
    k.At(landAt, land).At(landAt + (1.0 - landAt) * 0.4, land).At(1.0, Stand());
    return k.Eval(u);
}

Body Bat(double u) {
    Body tapL = Stand();
    MovePaw(tapL, FL, 1.2, 1.2);
    Body tapR = Stand();
    MovePaw(tapR, FR, 1.2, 1.2);
    Body wind = Stand();
    wind.shift.y = -0.3;
    MovePaw(wind, FR, 1.9, -0.3);
    wind.legs[FR].pawPitch = 0.6;
    Body strike = Stand();
    strike.shift.z = -0.5;
    MovePaw(strike, FR, 1.0, 3.3);
    Keys k;
    k.At(0, Stand()).At(0.18, tapL).At(0.32, Stand()).At(0.46, tapR).At(0.58, Stand());
    k.At(0.72, wind).At(0.86, strike).At(1.0, Stand());
    return k.Eval(u);
}

Body DoubleSwat(double u) {
    Body left = Stand();
    left.shift.y = -0.2;
    MovePaw(left, FL, 1.3, 3.0);
    Body right = Stand();
    right.shift.y = -0.2;
    right.shift.z = -0.3;
    MovePaw(right, FR, 1.2, 3.3);
    Body rightUp = Stand();
    MovePaw(rightUp, FR, 1.7, 0.0);
    Keys k;
    k.At(0, Stand()).At(0.12, Stand()).At(0.26, left).At(0.34, rightUp).At(0.55, right);
    k.At(0.75, Stand()).At(1.0, Stand());
    return k.Eval(u);
}

Body StalkAndPounce(double u) {
    Body low = Crouch();
    if (u < 0.62) {
        Keys k;
        k.At(0, Stand()).At(0.15, low).At(0.62, low);
        Body b = k.Eval(u);
        // The rump wiggles before the leap and the tail tip twitches.
        const double wiggle = Ramp(u, 0.38, 0.45) * (1.0 - Ramp(u, 0.58, 0.62));
        b.root.z += 0.07 * wiggle * std::sin(2.0 * kPi * u * 28.0);
        b.tailSway = 0.4 * Ramp(u, 0.1, 0.2) * (1.0 - Ramp(u, 0.55, 0.62));
        b.tailPhase = 2.0 * kPi * u * 6.0;
        return b;
    }
    return Pounce(u, 0.62, 0.655, 0.76);
}

}  // namespace packgen
