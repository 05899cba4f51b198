// A preferences store in memory for tests: it keeps the values as text, like the INI file does,
// records the order of writes and flushes, and can be told to fail its flushes.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/preferences_store.h"

class RecordingStore : public PreferencesStore {
  public:
    std::optional<std::string> ReadString(const char* key) override {
        const auto it = values.find(key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool ReadBool(const char* key) override { return ReadString(key).value_or("") == "true"; }
    long ReadInteger(const char* key) override {
        const auto text = ReadString(key);
        if (!text) return 0;
        try {
            return std::stol(*text);
        } catch (...) {
            return 0;
        }
    }
    void WriteString(const char* key, const std::string& value) override { Write(key, value); }
    void WriteBool(const char* key, bool value) override { Write(key, value ? "true" : "false"); }
    void WriteInteger(const char* key, long value) override { Write(key, std::to_string(value)); }
    bool Synchronize() override {
        writes.push_back("<sync>");
        return syncSucceeds;
    }

    std::map<std::string, std::string> values;
    std::vector<std::string> writes;  // keys in the order written, "<sync>" for each flush
    bool syncSucceeds = true;

  private:
    void Write(const char* key, const std::string& value) {
        values[key] = value;
        writes.push_back(key);
    }
};
