// Where the engine's error messages go. A screen saver must never block on a dialog, so the
// default writes one line to standard error, which is a saver's log. Tests and programs may
// install their own sink.
#pragma once

#include <cstdio>

class Alert {
  public:
    virtual ~Alert() = default;
    // A message meant for the user, with a short caption ("ERROR").
    virtual void Show(const char* caption, const char* text) = 0;
    // A loader's failure message, without a caption.
    virtual void Report(const char* message) = 0;
};

class StderrAlert : public Alert {
  public:
    void Show(const char* caption, const char* text) override {
        std::fprintf(stderr, "velmora: %s: %s\n", caption, text);
    }
    void Report(const char* message) override { std::fprintf(stderr, "velmora: %s\n", message); }
};

namespace core_detail {
inline Alert*& AlertSlot() {
    static Alert* slot = nullptr;
    return slot;
}
}  // namespace core_detail

// The sink in use; standard error unless SetAlert installed another.
inline Alert& CurrentAlert() {
    static StderrAlert fallback;
    Alert* installed = core_detail::AlertSlot();
    return installed ? *installed : fallback;
}

// Installs a sink (not owned); nullptr restores standard error.
inline void SetAlert(Alert* alert) {
    core_detail::AlertSlot() = alert;
}
