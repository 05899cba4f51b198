// The preferences store as an INI file read and written with GLib's GKeyFile, by default
// $XDG_CONFIG_HOME/velmora/VelmoraSaver.ini (~/.config/velmora/... when the variable is unset).
// All keys live in the group [VelmoraSaver].
//
// The file is the user's: nothing in it is lost. A line that cannot be parsed is skipped and the
// rest is read; before such a file is next written, it is kept whole as VelmoraSaver.ini.bad. A
// file that is there but cannot be read (no permission, not a regular file, far too large) is
// never written: its values are the defaults in memory only. Saving through a symbolic link
// replaces the file the link points to, never the link.
#pragma once

#include <optional>
#include <string>

#include "host/preferences_store.h"

struct _GKeyFile;

class KeyFileStore : public PreferencesStore {
  public:
    // What loading found at the store's path.
    enum class FileState {
        kAbsent,      // no file yet: a first run
        kRead,        // read whole
        kDamaged,     // read, with the lines that could not be parsed skipped
        kUnreadable,  // there, but it cannot be read; it is never written
    };

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
    // folder is created when missing; the old file's permissions are kept. A damaged file is
    // first kept as BackupPath(). False, with the reason in Error(), on any failure, and always
    // for a file that could not be read.
    bool Synchronize() override;

    const std::string& Path() const { return path_; }
    std::string BackupPath() const { return path_ + ".bad"; }
    const std::string& Error() const { return error_; }
    FileState State() const { return state_; }
    // What was wrong with the file when it was loaded, in one sentence for the user; empty when
    // nothing was.
    const std::string& Problem() const { return problem_; }

  private:
    void Load();
    void ParseLeniently(const std::string& text);
    bool WriteBackup();

    std::string path_;
    std::string error_;
    std::string problem_;
    std::string readFailure_;  // why an unreadable file could not be read
    FileState state_ = FileState::kAbsent;
    std::string damagedText_;  // the damaged file as read, until it is kept as the backup
    _GKeyFile* keyFile_ = nullptr;
};
