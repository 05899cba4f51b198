#include "scene/retry_pause.h"

#include <algorithm>

bool RetryPause::Due(double dt) {
    if (wait_ > 0.0) wait_ -= dt;
    return wait_ <= 0.0;
}

void RetryPause::Failed() {
    wait_ = pause_;
    pause_ = std::min(2.0 * pause_, kLongestPause);
}

void RetryPause::Succeeded() {
    wait_ = 0.0;
    pause_ = kFirstPause;
}
