#include "platform/keyfile_store.h"

#include <fcntl.h>
#include <glib.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "assets/file_problem.h"
#include "assets/regular_file.h"
#include "host/alert.h"

namespace {

constexpr const char* kGroup = "VelmoraSaver";
constexpr const char* kFileName = "VelmoraSaver.ini";
// A preferences file is a few hundred bytes; anything this large is not ours.
constexpr std::uint64_t kMaxFileSize = 1 << 20;
// The kernel follows no longer chains of symbolic links either.
constexpr int kMostLinks = 40;

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The file a save replaces: the path itself or, when it is a symbolic link, the file at the end
// of its chain of links (which need not exist yet). Replacing the link itself would cut a
// dotfiles manager's link and leave the user's real file behind unchanged.
std::string FollowLinks(std::string path) {
    for (int hop = 0; hop < kMostLinks; ++hop) {
        std::string target(PATH_MAX, '\0');
        const ssize_t length = readlink(path.c_str(), &target[0], target.size());
        if (length <= 0 || size_t(length) >= target.size()) return path;
        target.resize(size_t(length));
        path = target[0] == '/' ? target : FolderOf(path) + "/" + target;
    }
    return path;
}

// Writes all of `data`, retrying short writes and interruptions.
bool WriteAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        const ssize_t written = write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

// A name no other writer in this folder uses at the same time.
std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(counter++);
}

// Makes the rename itself durable; a folder that cannot be opened for this is no failure of
// the save, which already replaced the file.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

std::string Failure(const std::string& what, int errnum) {
    return what + ": " + std::strerror(errnum);
}

// Replaces `target` by a file holding `data`: a temporary file in the same folder is written,
// flushed and renamed over it, so a crash leaves the old or the new file, never half of one. The
// old file's permissions are kept. Empty on success, else what failed.
std::string ReplaceFile(const std::string& target, const char* data, size_t length) {
    const std::string folder = FolderOf(target);
    if (g_mkdir_with_parents(folder.c_str(), 0700) != 0) {
        return Failure("cannot create " + folder, errno);
    }
    struct stat old {};
    const bool hadFile = stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    const std::string temporary = TemporaryName(target);
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return Failure("cannot write in " + folder, errno);
    if (hadFile) fchmod(fd, old.st_mode & 07777);
    const bool written = WriteAll(fd, data, length);
    int errnum = errno;
    // Data must be on disk before the rename makes it the store, or a crash could leave an
    // empty file in place of the old one.
    const bool synced = written && fsync(fd) == 0;
    if (written && !synced) errnum = errno;
    const bool closed = close(fd) == 0;
    if (synced && !closed) errnum = errno;
    if (!written || !synced || !closed) {
        unlink(temporary.c_str());
        return Failure("cannot write " + temporary, errnum);
    }
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        errnum = errno;
        unlink(temporary.c_str());
        return Failure("cannot replace " + target, errnum);
    }
    SyncFolder(folder);
    return "";
}

// Undoes the escapes GKeyFile writes into string values.
std::string Unescape(const char* raw) {
    std::string out;
    for (const char* p = raw; *p; ++p) {
        if (*p != '\\' || p[1] == '\0') {
            out += *p;
            continue;
        }
        switch (*++p) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                out += '\\';
                out += *p;
        }
    }
    return out;
}

bool LoadText(GKeyFile* keyFile, const std::string& text) {
    return g_key_file_load_from_data(keyFile, text.data(), text.size(), G_KEY_FILE_KEEP_COMMENTS,
                                     nullptr);
}

enum class LineKind { kBlankOrComment, kGroup, kKey };

LineKind KindOf(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t\r\v\f");
    if (first == std::string::npos || line[first] == '#') return LineKind::kBlankOrComment;
    return line[first] == '[' ? LineKind::kGroup : LineKind::kKey;
}

// Whether GKeyFile itself accepts `line` (a group header or a key) inside a file.
bool LineParses(const std::string& line) {
    if (line.find('\0') != std::string::npos) return false;
    GKeyFile* probe = g_key_file_new();
    const bool parses = LoadText(probe, "[" + std::string(kGroup) + "]\n" + line + "\n");
    g_key_file_free(probe);
    return parses;
}

}  // namespace

KeyFileStore::KeyFileStore() : KeyFileStore(DefaultPath()) {}

KeyFileStore::KeyFileStore(std::string path) : path_(std::move(path)), keyFile_(g_key_file_new()) {
    Load();
    if (!problem_.empty()) CurrentAlert().Report(problem_.c_str());
}

KeyFileStore::~KeyFileStore() {
    g_key_file_free(keyFile_);
}

std::string KeyFileStore::DefaultPath() {
    // Read at every call (GLib caches its own answer for the life of the process). Relative
    // values are to be ignored, as the base directory rules say.
    const char* config = g_getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config && config[0] == '/') {
        base = config;
    } else {
        base = std::string(g_get_home_dir()) + "/.config";
    }
    return base + "/velmora/" + kFileName;
}

void KeyFileStore::Load() {
    struct stat info {};
    // No file, or not even its folder: a first run. A link to a file not made yet is one too.
    if (stat(path_.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR)) return;
    RegularFile file;
    std::string reason;
    std::string text;
    // Opened without blocking: a FIFO in the file's place must not hang the saver.
    if (!file.Open(path_.c_str(), kMaxFileSize, reason) || !file.ReadAll(text, reason)) {
        state_ = FileState::kUnreadable;
        readFailure_ = CannotRead("settings file", path_, reason);
        problem_ = readFailure_ + "; the default settings are used and the file is left as it is";
        return;
    }
    if (LoadText(keyFile_, text)) {
        state_ = FileState::kRead;
        return;
    }
    ParseLeniently(text);
}

// GKeyFile refuses a whole file for one line it cannot parse. Here each line is judged alone
// and only the ones it accepts are kept: the rest of the user's settings survive a stray line.
void KeyFileStore::ParseLeniently(const std::string& text) {
    std::string kept;
    int skipped = 0;
    int firstSkipped = 0;
    int number = 0;
    // Keys count only inside a group; after a broken group header they belong to no group.
    bool inGroup = false;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        const LineKind kind = KindOf(line);
        bool keep = kind == LineKind::kBlankOrComment && line.find('\0') == std::string::npos;
        if (kind == LineKind::kGroup) keep = inGroup = LineParses(line);
        if (kind == LineKind::kKey) keep = inGroup && LineParses(line);
        if (keep) {
            kept += line + "\n";
        } else if (skipped++ == 0) {
            firstSkipped = number;
        }
    }
    g_key_file_free(keyFile_);
    keyFile_ = g_key_file_new();
    if (!LoadText(keyFile_, kept)) {
        // Every line passed alone; should the whole still fail, nothing of it is used.
        g_key_file_free(keyFile_);
        keyFile_ = g_key_file_new();
    }
    state_ = FileState::kDamaged;
    damagedText_ = text;
    const std::string lines = skipped == 1 ? "1 line" : std::to_string(skipped) + " lines";
    problem_ = "the settings file " + path_ + " has " + lines +
               " that cannot be read (the first is line " + std::to_string(firstSkipped) +
               "); the rest is used, and the file is kept as " + BackupPath() +
               " before it is written again";
}

std::optional<std::string> KeyFileStore::ReadString(const char* key) {
    GError* error = nullptr;
    gchar* value = g_key_file_get_string(keyFile_, kGroup, key, &error);
    if (value) {
        std::string result(value);
        g_free(value);
        return result;
    }
    const bool notUtf8 =
        g_error_matches(error, G_KEY_FILE_ERROR, G_KEY_FILE_ERROR_UNKNOWN_ENCODING);
    g_clear_error(&error);
    if (!notUtf8) return std::nullopt;
    // Folder names on Linux are bytes, not always UTF-8. GKeyFile writes such a string but will
    // not read it back as one, so it is read raw and unescaped here instead of being lost.
    gchar* raw = g_key_file_get_value(keyFile_, kGroup, key, nullptr);
    if (!raw) return std::nullopt;
    std::string result = Unescape(raw);
    g_free(raw);
    return result;
}

bool KeyFileStore::ReadBool(const char* key) {
    const std::optional<std::string> text = ReadString(key);
    if (!text) return false;
    for (const char* yes : {"true", "1", "yes", "on"}) {
        if (strcasecmp(text->c_str(), yes) == 0) return true;
    }
    return false;
}

long KeyFileStore::ReadInteger(const char* key) {
    const std::optional<std::string> text = ReadString(key);
    if (!text || text->empty()) return 0;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text->c_str(), &end, 10);
    // Trailing blanks are tolerated (hand-edited files); anything else makes it unparsable.
    while (end && (*end == ' ' || *end == '\t')) ++end;
    if (errno == ERANGE || end == text->c_str() || (end && *end != '\0')) return 0;
    return value;
}

void KeyFileStore::WriteString(const char* key, const std::string& value) {
    g_key_file_set_string(keyFile_, kGroup, key, value.c_str());
}

void KeyFileStore::WriteBool(const char* key, bool value) {
    g_key_file_set_boolean(keyFile_, kGroup, key, value);
}

void KeyFileStore::WriteInteger(const char* key, long value) {
    g_key_file_set_int64(keyFile_, kGroup, key, value);
}

bool KeyFileStore::WriteBackup() {
    // One backup, the file as it was last found damaged: a later damaged file replaces it.
    error_ = ReplaceFile(BackupPath(), damagedText_.data(), damagedText_.size());
    return error_.empty();
}

bool KeyFileStore::Synchronize() {
    error_.clear();
    if (state_ == FileState::kUnreadable) {
        error_ = readFailure_ + ", so it is not written over";
        return false;
    }
    // Without its backup a damaged file is not replaced: what we could not read stays somewhere.
    if (state_ == FileState::kDamaged && !WriteBackup()) return false;
    gsize length = 0;
    gchar* data = g_key_file_to_data(keyFile_, &length, nullptr);
    error_ = ReplaceFile(FollowLinks(path_), data, length);
    g_free(data);
    if (!error_.empty()) return false;
    state_ = FileState::kRead;
    damagedText_.clear();
    return true;
}
