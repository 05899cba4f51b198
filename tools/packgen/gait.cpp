#include "tools/packgen/gait.h"

#include <cmath>

#include "tools/packgen/poses.h"

namespace packgen {

double PlantedPawSpeed(const GaitStyle& style) {
    return 4.0 * style.gait;
}

GaitStyle Prowl() {
    GaitStyle s;
    s.gait = 2.0;
    s.duty = 0.6;
    s.lift = 0.85;
    s.crouch = 0.55;
    s.bob = 0.05;
    s.headLow = 0.25;
    s.tailLift = 0.15;
    return s;
}

GaitStyle Walk() {
    GaitStyle s;
    s.gait = 4.0;
    s.duty = 0.45;
    s.lift = 1.0;
    s.crouch = 0.35;
    s.bob = 0.08;
    s.tailLift = 0.65;
    return s;
}

GaitStyle Run() {
    GaitStyle s;
    s.gait = 8.0;
    s.duty = 0.3;
    s.lift = 1.3;
    s.crouch = 0.4;
    s.bob = 0.2;
    s.flex = 0.09;
    s.headLow = 0.1;
    s.tailLift = 0.35;
    // A rotary gallop: the hind paws land one just after the other, then the front paws.
    s.phase[0] = 0.5;
    s.phase[1] = 0.6;
    s.phase[2] = 0.0;
    s.phase[3] = 0.1;
    return s;
}

namespace {

double Frac(double x) {
    return x - std::floor(x);
}

// Paw offset from the centre of its stride (forward is -z) and its lift, at stride phase p.
void PawCycle(const GaitStyle& s, double stride, double p, double* z, double* y, double* tilt) {
    const double reach = s.duty * stride;
    if (p < s.duty) {
        *z = reach * (p / s.duty - 0.5);
        *y = 0.0;
        *tilt = 0.0;
        return;
    }
    const double q = (p - s.duty) / (1.0 - s.duty);
    *z = reach * (0.5 - (1.0 - std::cos(kPi * q)) * 0.5);
    *y = s.lift * std::pow(std::sin(kPi * q), 0.8);
    *tilt = -0.7 * std::sin(kPi * q);
}

}  // namespace

Body GaitBody(const GaitStyle& s, double t, double duration) {
    const double period = duration / s.cycles;
    const double stride = PlantedPawSpeed(s) * period;
    const double phase = Frac(t / period);
    Body b = Stand();
    b.shift.y = -s.crouch + s.bob * std::cos(4.0 * kPi * phase);
    b.root.x = -0.03 * std::sin(2.0 * kPi * phase) * (s.flex > 0 ? 2.0 : 1.0);
    b.spine[0].x = s.flex * std::sin(2.0 * kPi * phase);
    b.spine[1].x = s.flex * std::sin(2.0 * kPi * phase);
    b.spine[2].x = -s.flex * std::sin(2.0 * kPi * phase + 0.6);
    b.neck[0].x = 0.05 - s.headLow;
    b.head.x = s.headLow * 0.6 - 0.04 * std::cos(4.0 * kPi * phase);
    b.tailLift = s.tailLift;
    b.tailSway = 0.35;
    b.tailPhase = 2.0 * kPi * phase;
    for (int leg = 0; leg < 4; ++leg) {
        double z, y, tilt;
        PawCycle(s, stride, Frac(phase + s.phase[leg]), &z, &y, &tilt);
        const V3 rest = RestPaw(leg);
        const double centre = rest.z + (kLegs[leg].front ? -0.2 : 0.15);
        b.legs[leg].paw = V3{rest.x, rest.y + y, centre + z};
        b.legs[leg].pawPitch = tilt;
        b.legs[leg].lowerPitch = (kLegs[leg].front ? 0.25 : -0.2) * tilt + 0.1 * s.crouch;
    }
    return b;
}

}  // namespace packgen
