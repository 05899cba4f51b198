#include "tools/packgen/poses.h"

#include <cmath>

namespace packgen {

namespace {

constexpr int FL = 0, FR = 1, HL = 2, HR = 3;

void SetPaw(Body& b, int leg, double y, double z) {
    b.legs[leg].paw = V3{RestPaw(leg).x, y, z};
}

}  // namespace

void MovePaw(Body& b, int leg, double lift, double forward) {
    b.legs[leg].paw.y += lift;
    b.legs[leg].paw.z -= forward;
}

void Look(Body& b, double yaw, double pitch) {
    b.neck[0].y = yaw * 0.3;
    b.neck[1].y = yaw * 0.3;
    b.head.y = yaw * 0.4;
    b.neck[1].x += pitch * 0.4;
    b.head.x += pitch * 0.6;
}

Body Sit() {
    Body b = Stand();
    b.shift = {0, -3.12, 0.5};
    b.root = {0.62, 0, 0};
    b.spine[0] = {-0.05, 0, 0};
    b.spine[1] = {-0.05, 0, 0};
    b.spine[2] = {-0.12, 0, 0};
    // Head held high: the neck takes up most of the body's lean, the head levels the face.
    b.neck[0] = {0.05, 0, 0};
    b.neck[1] = {0.1, 0, 0};
    b.head = {-0.75, 0, 0};
    SetPaw(b, FL, 0.3, -0.9);
    SetPaw(b, FR, 0.3, -0.9);
    for (int leg : {HL, HR}) {
        SetPaw(b, leg, 0.3, 0.85);
        b.legs[leg].lowerPitch = 1.25;
    }
    // The tail lies on the ground, curled round the side.
    b.tailLift = 0.64;
    b.tailDroop = 0.0;
    b.tailSide = 1.6;
    b.tailHook = 0.0;
    return b;
}

Body Lie() {
    Body b = Stand();
    b.shift = {0, -2.85, 0.1};
    b.root = {0.08, 0, 0};
    b.spine[2] = {-0.02, 0, 0};
    b.neck[0] = {0.2, 0, 0};
    b.neck[1] = {0.05, 0, 0};
    b.head = {-0.15, 0, 0};
    for (int leg : {FL, FR}) {
        SetPaw(b, leg, 0.3, -3.5);
        b.legs[leg].lowerPitch = 0.9;
        b.legs[leg].anchorPitch = 0.35;
    }
    for (int leg : {HL, HR}) {
        SetPaw(b, leg, 0.3, 0.95);
        b.legs[leg].lowerPitch = 1.3;
    }
    b.tailLift = -0.1;
    b.tailDroop = 0.02;
    b.tailHook = 0.0;
    b.tailSide = 0.9;
    return b;
}

Body Curl() {
    Body b = Lie();
    b.shift = {0, -3.0, 0.2};
    b.root = {0.05, 0.0, 0.05};
    // The back curves round to the left, gently at each of its joints.
    b.spine[0] = {0, 0.35, 0};
    b.spine[1] = {0, 0.4, 0};
    b.spine[2] = {0, 0.4, 0};
    // The head lowered round to lie beside the front paws.
    b.neck[0] = {-0.3, 0.4, 0};
    b.neck[1] = {-0.1, 0.35, 0};
    b.head = {0.15, 0.3, 0.35};
    b.ear[0] = {0.3, 0, 0};
    b.ear[1] = {0.3, 0, 0};
    // The front paws tucked under the chest, where the curve of the back has taken it.
    const double turn = 0.8, pivotZ = 0.6;
    for (int leg : {FL, FR}) {
        const V3 rest = RestPaw(leg);
        const double z = -2.9 - pivotZ;
        b.legs[leg].paw = {rest.x * std::cos(turn) + z * std::sin(turn), 0.3,
                           pivotZ - rest.x * std::sin(turn) + z * std::cos(turn)};
        b.legs[leg].lowerPitch = 1.2;
    }
    b.tailLift = -0.2;
    b.tailSide = 3.6;
    b.tailDroop = -0.02;
    b.tailHook = 0.0;
    return b;
}

Body LieOnSide() {
    Body b = Stand();
    // Rolled onto the left side: the body's height above the ground becomes its half width.
    b.root = {0, 0, 1.45};
    b.shift = {0, -2.8, 0};
    b.neck[0] = {0.1, 0, 0.0};
    b.head = {-0.1, 0, -0.25};
    const double lengthen[4] = {-0.9, -0.9, 0.8, 0.8};
    for (int leg = 0; leg < 4; ++leg) {
        // Loose legs, a little bent and stretched out, placed in the frame of the rolled body.
        const V3 rest = RestPaw(leg);
        b.legs[leg].paw = FromRootFrame(b, {rest.x, rest.y + 0.9, rest.z + lengthen[leg]});
        b.legs[leg].lowerPitch = leg < 2 ? 0.5 : 0.3;
        b.legs[leg].pawPitch = 0.0;
    }
    b.tailLift = 0.0;
    b.tailDroop = 0.0;
    b.tailHook = 0.0;
    b.tailSide = -0.25;
    return b;
}

Body Crouch() {
    Body b = Stand();
    b.shift = {0, -1.55, 0.3};
    b.root = {0.0, 0, 0};
    b.spine[2] = {-0.08, 0, 0};
    b.neck[0] = {0.35, 0, 0};
    b.neck[1] = {0.1, 0, 0};
    b.head = {-0.3, 0, 0};
    for (int leg : {FL, FR}) {
        SetPaw(b, leg, 0.3, -2.3);
        b.legs[leg].lowerPitch = 0.45;
    }
    for (int leg : {HL, HR}) {
        SetPaw(b, leg, 0.3, 2.25);
        b.legs[leg].lowerPitch = 0.35;
    }
    b.tailLift = -0.05;
    b.tailDroop = 0.0;
    b.tailHook = -0.2;
    b.ear[0] = {0.15, 0, 0.2};
    b.ear[1] = {0.15, 0, 0.2};
    return b;
}

Body Rear() {
    Body b = Sit();
    b.shift = {0, -1.2, 1.0};
    b.root = {1.3, 0, 0};
    b.spine[0] = {0.0, 0, 0};
    b.spine[1] = {-0.05, 0, 0};
    b.spine[2] = {-0.1, 0, 0};
    b.neck[0] = {-0.55, 0, 0};
    b.neck[1] = {-0.3, 0, 0};
    b.head = {-0.3, 0, 0};
    for (int leg : {HL, HR}) {
        SetPaw(b, leg, 0.3, 2.25);
        b.legs[leg].lowerPitch = 0.5;
        b.legs[leg].pawPitch = 0.0;
    }
    // The front paws held up in front of the chest, ready to bat.
    const V3 chest = FromRootFrame(b, {0, 4.3, -1.5});
    b.legs[FL].paw = {RestPaw(FL).x, chest.y - 0.6, chest.z - 1.6};
    b.legs[FR].paw = {RestPaw(FR).x, chest.y - 0.4, chest.z - 1.8};
    b.legs[FL].lowerPitch = b.legs[FR].lowerPitch = -0.9;
    b.legs[FL].pawPitch = b.legs[FR].pawPitch = 1.2;
    b.tailLift = 1.25;
    b.tailSide = 0.6;
    b.tailDroop = 0.0;
    b.tailHook = 0.0;
    return b;
}

Body Bow() {
    Body b = Stand();
    b.shift = {0, -0.35, 0.0};
    b.root = {-0.38, 0, 0};
    b.spine[0] = {0.05, 0, 0};
    b.spine[1] = {0.02, 0, 0};
    b.spine[2] = {-0.05, 0, 0};
    b.neck[0] = {0.45, 0, 0};
    b.neck[1] = {0.15, 0, 0};
    b.head = {0.0, 0, 0};
    for (int leg : {FL, FR}) {
        SetPaw(b, leg, 0.3, -4.5);
        b.legs[leg].lowerPitch = 1.1;
        b.legs[leg].anchorPitch = 0.4;
    }
    b.tailLift = 0.35;
    b.tailDroop = 0.06;
    return b;
}

Body Keys::Eval(double u) const {
    if (keys.empty()) return Stand();
    if (u <= keys.front().first) return keys.front().second;
    for (size_t i = 1; i < keys.size(); ++i) {
        if (u <= keys[i].first) {
            const double span = keys[i].first - keys[i - 1].first;
            const double f = span > 0 ? (u - keys[i - 1].first) / span : 1.0;
            return Mix(keys[i - 1].second, keys[i].second, Smooth(f));
        }
    }
    return keys.back().second;
}

double Wave(double u, double cycles, double phase) {
    return std::sin(2.0 * kPi * (u * cycles + phase));
}

void Breathe(Body& b, double u, double cycles, double depth) {
    const double w = Wave(u, cycles);
    b.spine[1].x += 0.02 * depth * w;
    b.spine[2].x -= 0.02 * depth * w;
    b.shift.y += 0.03 * depth * w;
}

void SwayTail(Body& b, double u, double cycles, double amount) {
    b.tailSway = amount;
    b.tailPhase = 2.0 * kPi * u * cycles;
    b.tailWave = 0.35;
}

}  // namespace packgen
