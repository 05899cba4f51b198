#include "host/command_line.h"

#include <cerrno>
#include <cstdlib>

bool ArgumentReader::Next() {
    std::string arg = argv_[index_++];
    inlineValue_.reset();
    if (arg.size() < 2 || arg[0] != '-') {
        name_ = arg;
        return false;
    }
    arg.erase(0, arg[1] == '-' ? 2 : 1);
    const auto equals = arg.find('=');
    if (equals != std::string::npos) {
        inlineValue_ = arg.substr(equals + 1);
        arg.erase(equals);
    }
    name_ = arg;
    return true;
}

bool ArgumentReader::Value(std::string& value, std::string& error) {
    if (inlineValue_) {
        value = *inlineValue_;
        return true;
    }
    if (index_ < argc_) {
        value = argv_[index_++];
        return true;
    }
    error = "--" + name_ + " needs a value";
    return false;
}

bool ArgumentReader::NoValue(std::string& error) const {
    if (!inlineValue_) return true;
    error = "--" + name_ + " takes no value";
    return false;
}

bool ParseWholeNumber(const std::string& text, long low, long high, long& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}
