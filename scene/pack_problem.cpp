#include "scene/pack_problem.h"

#include "assets/file_problem.h"
#include "math/errors.h"

void PackProblems::Report(const char* what, const std::string& path, const std::string& reason) {
    const std::string message = CannotRead(what, path, reason);
    std::string& last = reported_[path];
    if (last == message) return;
    last = message;
    ERRORCLOSE(message.c_str());
}

void PackProblems::Cleared(const std::string& path) {
    reported_.erase(path);
}
