// A preferences store that lives only in memory: a run's own settings (the settings options)
// load through the normal settings code without ever touching the user's stored preferences.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "host/preferences_store.h"

class MemoryStore : public PreferencesStore {
  public:
    std::optional<std::string> ReadString(const char* key) override;
    // "1", "true" and "yes" (any case) read as true, like the store file; anything else false.
    bool ReadBool(const char* key) override;
    // A value that is not a whole number, or does not fit, reads as 0, like an absent key.
    long ReadInteger(const char* key) override;
    void WriteString(const char* key, const std::string& value) override;
    void WriteBool(const char* key, bool value) override;
    void WriteInteger(const char* key, long value) override;
    bool Synchronize() override;

    // Stores a value given as text ("NumDogs" = "2"); the typed reads interpret it.
    void Set(const std::string& key, const std::string& value) { values_[key] = value; }
    bool Has(const std::string& key) const { return values_.count(key) != 0; }
    int SynchronizeCount() const { return synchronizeCount_; }

  private:
    std::map<std::string, std::string> values_;
    int synchronizeCount_ = 0;
};
