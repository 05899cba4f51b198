#include "host/memory_store.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

std::optional<std::string> MemoryStore::ReadString(const char* key) {
    const auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

bool MemoryStore::ReadBool(const char* key) {
    const auto it = values_.find(key);
    if (it == values_.end()) return false;
    std::string v = it->second;
    std::transform(v.begin(), v.end(), v.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return v == "1" || v == "true" || v == "yes";
}

long MemoryStore::ReadInteger(const char* key) {
    const auto it = values_.find(key);
    if (it == values_.end() || it->second.empty()) return 0;
    const char* text = it->second.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0') return 0;
    return value;
}

void MemoryStore::WriteString(const char* key, const std::string& value) {
    values_[key] = value;
}

void MemoryStore::WriteBool(const char* key, bool value) {
    values_[key] = value ? "true" : "false";
}

void MemoryStore::WriteInteger(const char* key, long value) {
    values_[key] = std::to_string(value);
}

bool MemoryStore::Synchronize() {
    ++synchronizeCount_;
    return true;
}
