// An alert sink that keeps every message the engine raises, installed while it exists.
#pragma once

#include <string>
#include <vector>

#include "core/alert.h"

class RecordingAlert : public Alert {
  public:
    RecordingAlert() { SetAlert(this); }
    ~RecordingAlert() override { SetAlert(nullptr); }
    RecordingAlert(const RecordingAlert&) = delete;
    RecordingAlert& operator=(const RecordingAlert&) = delete;
    // Boxes as "caption|text", plain reports as they came.
    void Show(const char* caption, const char* text) override {
        lines.push_back(std::string(caption) + "|" + text);
    }
    void Report(const char* message) override { lines.push_back(message); }
    std::vector<std::string> lines;
};
