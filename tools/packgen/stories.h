// The little stories the clips tell, each a body at time u (0..1) of its clip: the toy
// strikes, and the still clips (looking, grooming, sitting, lying, sleeping and the moves
// between them). They start and end in the standing pose unless a chain joins them to another.
#pragma once

#include "tools/packgen/body.h"

namespace packgen {

// Zero at both ends of a clip with zero slope, one in the middle.
double Bell(double u);

// Toy strikes: the striking paw reaches forward at the given moments.
Body Swat(double u);
Body Pounce(double u, double crouchAt, double launchAt, double landAt);
Body Bat(double u);
Body DoubleSwat(double u);
Body StalkAndPounce(double u);

// Still stories.
Body GentleIdle(double u, double seconds, int seed);
Body LookAround(double u, double amount);
Body SniffGround(double u);
Body SitTail(double u, int cycles);
Body ScratchEar(double u);
Body TailFlicks(double u, int flicks);
Body Stretch(double u);
Body Yawn(double u);
Body HeadShake(double u);
Body WatchAbove(double u);
Body Knead(double u, int presses);
Body Groom(double u);
Body Breathing(double u, int breaths);
Body CrouchAndWatch(double u);
Body SniffAir(double u);
Body LieHold(double u, int breaths);
Body WashFace(double u, int strokes);
Body CrouchWiggle(double u, int wiggles);
Body RearBat(double u);
Body LookBehind(double u);
Body Sleep(double u, int breaths);
Body SitLook(double u);
Body ShakeOff(double u);
Body SideSleep(double u, int breaths);

// Chain pieces: a transition into a held pose ends exactly where the hold begins.
Body Into(const Body& from, const Body& to, double u);
// Rolling between lying on the belly and on the side, paws folded in while the body turns.
Body RollOver(const Body& from, const Body& to, double u);

}  // namespace packgen
