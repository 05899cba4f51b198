// The pause before a failed set-up step is tried again: one second of scene time after the first
// failure, doubling with each further failure up to half a minute. A file damaged for good then
// costs one attempt every 30 s instead of one every frame, while a file that appears later (a
// package being installed, a pack copied in) is still picked up.
#pragma once

class RetryPause {
  public:
    static constexpr double kFirstPause = 1.0;
    static constexpr double kLongestPause = 30.0;

    // Counts a frame of `dt` seconds; true when an attempt is due, at once before any failure.
    bool Due(double dt);
    // The attempt failed: the next one waits the next, longer pause.
    void Failed();
    // The attempt succeeded: a later failure starts again from the first pause.
    void Succeeded();

  private:
    double wait_ = 0.0;
    double pause_ = kFirstPause;
};
