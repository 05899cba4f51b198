// The preferences store as an INI file read and written with GLib's GKeyFile, by default
// $XDG_CONFIG_HOME/velmora/VelmoraSaver.ini (~/.config/velmora/... when the variable is unset).
// All keys live in the group [VelmoraSaver].
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "host/preferences_store.h"

struct _GKeyFile;

class KeyFileStore : public PreferencesStore {
  public:
    // The user's store file.
    KeyFileStore();
    // A store file at an explicit path (tests, other tools).
    explicit KeyFileStore(std::string path);
    ~KeyFileStore() override;
    KeyFileStore(const KeyFileStore&) = delete;
    KeyFileStore& operator=(const KeyFileStore&) = delete;

    // Where the user's store file lives under the current environment.
    static std::string DefaultPath();

    std::optional<std::string> ReadString(const char* key) override;
    bool ReadBool(const char* key) override;
    long ReadInteger(const char* key) override;
    void WriteString(const char* key, const std::string& value) override;
    void WriteBool(const char* key, bool value) override;
    void WriteInteger(const char* key, long value) override;
    // Replaces the file atomically: a temporary file in the same folder is written, flushed to
    // disk and renamed over the old one, so a crash leaves either the old or the new file. The
    // folder is created when missing. False, with the reason in Error(), on any failure.
    bool Synchronize() override;

    const std::string& Path() const { return path_; }
    const std::string& Error() const { return error_; }

  private:
    void Load();
    bool Fail(const std::string& what, int errnum);

    std::string path_;
    std::string error_;
    _GKeyFile* keyFile_ = nullptr;
};
