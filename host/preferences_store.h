// The per-module preferences store ("VelmoraSaver"): typed reads and writes of named keys.
// Absent or unparsable keys read as null, false or 0.
#pragma once

#include <optional>
#include <string>

class PreferencesStore {
  public:
    virtual ~PreferencesStore() = default;
    virtual std::optional<std::string> ReadString(const char* key) = 0;
    virtual bool ReadBool(const char* key) = 0;
    virtual long ReadInteger(const char* key) = 0;
    virtual void WriteString(const char* key, const std::string& value) = 0;
    virtual void WriteBool(const char* key, bool value) = 0;
    virtual void WriteInteger(const char* key, long value) = 0;
    // Writes the values to lasting storage; false when they could not be written.
    virtual bool Synchronize() = 0;
};
