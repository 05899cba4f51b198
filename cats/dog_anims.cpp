#include "cats/dog_anims.h"

// By clip (the comment names each row).
const DOGANIM dogAnims[kDogAnimCount] = {
    {1, 31, 0, 1, -1},                          // kClipLookAround
    {31, 61, 0, 1, -1},                         // kClipSwat
    {66, 91, 0, 1, -1},                         // kClipSpare2
    {91, 131, 0, 1, -1},                        // kClipPounce
    {135, 165, 0, 1, -1},                       // kClipRun
    {181, 241, 0, 1, -1},                       // kClipSniffGround
    {241, 261, 0, 1, kClipSitSwishingTail},     // kClipSitDown
    {261, 311, 1, 0, kClipStandUpFromSitting},  // kClipSitSwishingTail
    {311, 331, 0, 0, -1},                       // kClipStandUpFromSitting
    {331, 491, 0, 1, -1},                       // kClipSpare9
    {491, 600, 1, 1, -1},                       // kClipLookAroundSlowly
    {601, 701, 0, 1, -1},                       // kClipSpare11
    {701, 781, 0, 1, -1},                       // kClipSpare12
    {781, 901, 0, 1, -1},                       // kClipSpare13
    {901, 930, 0, 1, -1},                       // kClipSpare14
    {941, 981, 1, 1, -1},                       // kClipWalk
    {991, 1021, 1, 1, -1},                      // kClipRun2
    {1031, 1061, 0, 1, -1},                     // kClipSpare17
    {1061, 1091, 0, 1, -1},                     // kClipSpare18
    {1101, 1141, 1, 1, -1},                     // kClipSpareWalk19
    {1151, 1191, 1, 1, -1},                     // kClipSpareProwl20
    {1201, 1241, 1, 1, -1},                     // kClipSpareWalk21
    {1251, 1291, 0, 1, -1},                     // kClipBat
    {1291, 1351, 0, 1, -1},                     // kClipSpare23
    {1351, 1431, 0, 1, -1},                     // kClipScratchEar
    {1431, 1531, 1, 1, -1},                     // kClipFlickTail
    {1531, 1631, 0, 1, -1},                     // kClipSpare26
    {1641, 1691, 1, 1, -1},                     // kClipSpareProwl27
    {1701, 1801, 0, 1, -1},                     // kClipStretch
    {1801, 1901, 1, 1, -1},                     // kClipYawn
    {1901, 1961, 0, 1, -1},                     // kClipShakeHead
    {1961, 2021, 0, 1, -1},                     // kClipWatchAbove
    {2031, 2111, 1, 1, -1},                     // kClipSpareProwl32
    {2121, 2201, 1, 1, -1},                     // kClipKnead
    {2201, 2301, 0, 1, -1},                     // kClipGroom
    {2301, 2401, 1, 1, -1},                     // kClipBreathe
    {2411, 2451, 1, 1, -1},                     // kClipSpareRun36
    {2461, 2521, 1, 1, -1},                     // kClipCrouchAndWatch
    {2531, 2581, 1, 1, -1},                     // kClipProwl
    {2591, 2631, 0, 1, -1},                     // kClipDoubleSwat
    {2681, 2721, 1, 1, -1},                     // kClipFlickTailTwice
    {2721, 2841, 1, 1, -1},                     // kClipSniffAir
    {2851, 2901, 0, 1, kClipLie},               // kClipLieDown
    {2901, 2951, 1, 0, kClipGetUpFromLying},    // kClipLie
    {2951, 3001, 0, 0, -1},                     // kClipGetUpFromLying
    {3001, 3050, 0, 1, kClipWashFace},          // kClipStartWashingFace
    {3051, 3101, 1, 0, kClipStopWashingFace},   // kClipWashFace
    {3101, 3151, 0, 0, -1},                     // kClipStopWashingFace
    {3151, 3160, 0, 1, kClipWiggle},            // kClipCrouch
    {3160, 3190, 1, 0, kClipRiseFromCrouch},    // kClipWiggle
    {3190, 3201, 0, 0, -1},                     // kClipRiseFromCrouch
    {3201, 3210, 0, 1, kClipRearAndBat},        // kClipRear
    {3210, 3230, 0, 0, kClipDropFromRear},      // kClipRearAndBat
    {3230, 3251, 0, 0, -1},                     // kClipDropFromRear
    {3251, 3301, 0, 1, -1},                     // kClipLookBehind
    {3301, 3314, 0, 1, kClipSleep},             // kClipLieDownToSleep
    {3314, 3375, 1, 0, kClipWakeUp},            // kClipSleep
    {3375, 3401, 0, 0, -1},                     // kClipWakeUp
    {3411, 3451, 1, 1, -1},                     // kClipSpareWalk58
    {3461, 3521, 1, 1, -1},                     // kClipProwl2
    {3531, 3601, 0, 1, -1},                     // kClipSpare60
    {3611, 3721, 0, 1, -1},                     // kClipSpare61
    {3731, 3781, 0, 1, kClipSitAndLook},        // kClipSitToLook
    {3781, 3821, 1, 0, kClipShakeOff},          // kClipSitAndLook
    {3871, 3971, 0, 1, -1},                     // kClipShakeOff
    {3971, 4001, 0, 1, kClipSleepOnSide},       // kClipRollOverToSleep
    {4001, 4181, 0, 0, kClipRollBackAndStand},  // kClipSleepOnSide
    {4181, 4211, 0, 0, -1},                     // kClipRollBackAndStand
    {4211, 4251, 1, 1, -1},                     // kClipSpare68
    {4251, 4391, 0, 1, -1},                     // kClipStalkAndPounce
};

const DOGCLIP dogClips[kDogAnimCount] = {
    {kIdleClip, "looks around"},                                // kClipLookAround
    {kIdleClip | kToyClip, "swats with a front paw"},           // kClipSwat
    {0, "stands quietly (not played)"},                         // kClipSpare2
    {kToyClip, "crouches and pounces"},                         // kClipPounce
    {kWalkClip, "runs"},                                        // kClipRun
    {kIdleClip, "sniffs the ground"},                           // kClipSniffGround
    {kIdleClip, "sits down"},                                   // kClipSitDown
    {kChainClip, "sits swishing its tail"},                     // kClipSitSwishingTail
    {kChainClip, "stands up from sitting"},                     // kClipStandUpFromSitting
    {0, "stands quietly (not played)"},                         // kClipSpare9
    {kIdleClip, "looks around slowly"},                         // kClipLookAroundSlowly
    {0, "stands quietly (not played)"},                         // kClipSpare11
    {0, "stands quietly (not played)"},                         // kClipSpare12
    {0, "stands quietly (not played)"},                         // kClipSpare13
    {0, "stands quietly (not played)"},                         // kClipSpare14
    {kWalkClip, "walks"},                                       // kClipWalk
    {kWalkClip, "runs"},                                        // kClipRun2
    {0, "stands quietly (not played)"},                         // kClipSpare17
    {0, "stands quietly (not played)"},                         // kClipSpare18
    {kWalkClip, "walks (not played)"},                          // kClipSpareWalk19
    {kWalkClip, "prowls (not played)"},                         // kClipSpareProwl20
    {kWalkClip, "walks (not played)"},                          // kClipSpareWalk21
    {kToyClip, "bats with both paws"},                          // kClipBat
    {0, "stands quietly (not played)"},                         // kClipSpare23
    {kIdleClip, "scratches an ear"},                            // kClipScratchEar
    {kIdleClip, "flicks its tail four times"},                  // kClipFlickTail
    {0, "stands quietly (not played)"},                         // kClipSpare26
    {kWalkClip, "prowls (not played)"},                         // kClipSpareProwl27
    {kIdleClip, "stretches"},                                   // kClipStretch
    {kIdleClip, "yawns"},                                       // kClipYawn
    {kIdleClip, "shakes its head"},                             // kClipShakeHead
    {kIdleClip, "watches something above"},                     // kClipWatchAbove
    {kWalkClip, "prowls (not played)"},                         // kClipSpareProwl32
    {kIdleClip, "kneads the ground"},                           // kClipKnead
    {kIdleClip, "grooms"},                                      // kClipGroom
    {kIdleClip, "stands breathing"},                            // kClipBreathe
    {kWalkClip, "runs (not played)"},                           // kClipSpareRun36
    {kIdleClip, "crouches and watches"},                        // kClipCrouchAndWatch
    {kWalkClip, "prowls"},                                      // kClipProwl
    {kToyClip, "swats twice"},                                  // kClipDoubleSwat
    {kIdleClip, "flicks its tail twice"},                       // kClipFlickTailTwice
    {kIdleClip, "sniffs the air"},                              // kClipSniffAir
    {kIdleClip, "lies down"},                                   // kClipLieDown
    {kChainClip, "lies still"},                                 // kClipLie
    {kChainClip, "gets up from lying"},                         // kClipGetUpFromLying
    {kIdleClip, "sits to wash its face"},                       // kClipStartWashingFace
    {kChainClip, "washes its face"},                            // kClipWashFace
    {kChainClip, "stands up from washing"},                     // kClipStopWashingFace
    {kIdleClip, "crouches"},                                    // kClipCrouch
    {kChainClip, "wiggles its hindquarters, crouched"},         // kClipWiggle
    {kChainClip, "rises from the crouch"},                      // kClipRiseFromCrouch
    {kIdleClip, "rears up on its hind legs"},                   // kClipRear
    {kChainClip, "bats at the air, reared"},                    // kClipRearAndBat
    {kChainClip, "drops back onto four paws"},                  // kClipDropFromRear
    {kIdleClip, "looks behind"},                                // kClipLookBehind
    {kIdleClip, "lies down to sleep"},                          // kClipLieDownToSleep
    {kChainClip, "sleeps"},                                     // kClipSleep
    {kChainClip, "wakes and stands up"},                        // kClipWakeUp
    {kWalkClip, "walks (not played)"},                          // kClipSpareWalk58
    {kWalkClip, "prowls"},                                      // kClipProwl2
    {0, "stands quietly (not played)"},                         // kClipSpare60
    {0, "stands quietly (not played)"},                         // kClipSpare61
    {kIdleClip, "sits down to look"},                           // kClipSitToLook
    {kChainClip, "sits and looks about"},                       // kClipSitAndLook
    {kIdleClip | kChainClip, "shakes itself off"},              // kClipShakeOff
    {kIdleClip, "lies down and rolls onto its side to sleep"},  // kClipRollOverToSleep
    {kChainClip, "sleeps on its side"},                         // kClipSleepOnSide
    {kChainClip, "rolls back and stands up"},                   // kClipRollBackAndStand
    {0, "stands quietly (not played)"},                         // kClipSpare68
    {kToyClip, "stalks and pounces"},                           // kClipStalkAndPounce
};

const int idleClips[kIdleClipCount] = {kClipLookAround,
                                       kClipSwat,
                                       kClipSniffGround,
                                       kClipSitDown,
                                       kClipLookAroundSlowly,
                                       kClipScratchEar,
                                       kClipFlickTail,
                                       kClipStretch,
                                       kClipYawn,
                                       kClipShakeHead,
                                       kClipWatchAbove,
                                       kClipKnead,
                                       kClipGroom,
                                       kClipBreathe,
                                       kClipCrouchAndWatch,
                                       kClipFlickTailTwice,
                                       kClipSniffAir,
                                       kClipLieDown,
                                       kClipStartWashingFace,
                                       kClipCrouch,
                                       kClipRear,
                                       kClipLookBehind,
                                       kClipLieDownToSleep,
                                       kClipSitToLook,
                                       kClipShakeOff,
                                       kClipRollOverToSleep};

const int toyClips[kToyClipCount] = {kClipDoubleSwat, kClipStalkAndPounce, kClipSwat, kClipPounce,
                                     kClipBat};

const WALKCLIP walkClips[8] = {{kClipWalk, 4.0f},   {kClipWalk, 4.0f}, {kClipRun, 8.0f},
                               {kClipRun2, 8.0f},   {kClipRun, 8.0f},  {kClipProwl, 2.0f},
                               {kClipProwl2, 2.0f}, {kClipWalk, 4.0f}};

const HITWINDOW hitWindows[kHitWindowCount] = {{kClipSwat, 45, 60},
                                               {kClipPounce, 110, 120},
                                               {kClipBat, 1280, 1290},
                                               {kClipDoubleSwat, 2606, 2615},
                                               {kClipStalkAndPounce, 4345, 4370}};

const int32_t dogFeet[3][4] = {{34, 46, 57, 67}, {32, 44, 54, 64}, {32, 44, 54, 64}};
