#include "platform/keyfile_store.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kGroup = "VelmoraSaver";
constexpr const char* kFileName = "VelmoraSaver.ini";
// A preferences file is a few hundred bytes; anything this large is not ours.
constexpr off_t kMaxFileSize = 1 << 20;

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
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

}  // namespace

KeyFileStore::KeyFileStore() : KeyFileStore(DefaultPath()) {}

KeyFileStore::KeyFileStore(std::string path) : path_(std::move(path)), keyFile_(g_key_file_new()) {
    Load();
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

// A missing, unreadable, oversized or corrupt file leaves the store empty, which the settings
// treat as a first run.
void KeyFileStore::Load() {
    struct stat info {};
    if (stat(path_.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileSize) {
        return;
    }
    GError* error = nullptr;
    if (!g_key_file_load_from_file(keyFile_, path_.c_str(), G_KEY_FILE_KEEP_COMMENTS, &error)) {
        g_error_free(error);
        g_key_file_free(keyFile_);
        keyFile_ = g_key_file_new();
    }
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

bool KeyFileStore::Fail(const std::string& what, int errnum) {
    error_ = what + ": " + std::strerror(errnum);
    return false;
}

bool KeyFileStore::Synchronize() {
    error_.clear();
    const std::string folder = FolderOf(path_);
    if (g_mkdir_with_parents(folder.c_str(), 0700) != 0) {
        return Fail("cannot create " + folder, errno);
    }
    gsize length = 0;
    gchar* data = g_key_file_to_data(keyFile_, &length, nullptr);
    const std::string temporary = TemporaryName(path_);
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        const int errnum = errno;
        g_free(data);
        return Fail("cannot write in " + folder, errnum);
    }
    const bool written = WriteAll(fd, data, length);
    int errnum = errno;
    g_free(data);
    // Data must be on disk before the rename makes it the store, or a crash could leave an
    // empty file in place of the old one.
    const bool synced = written && fsync(fd) == 0;
    if (written && !synced) errnum = errno;
    const bool closed = close(fd) == 0;
    if (synced && !closed) errnum = errno;
    if (!written || !synced || !closed) {
        unlink(temporary.c_str());
        return Fail("cannot write " + temporary, errnum);
    }
    if (rename(temporary.c_str(), path_.c_str()) != 0) {
        errnum = errno;
        unlink(temporary.c_str());
        return Fail("cannot replace " + path_, errnum);
    }
    SyncFolder(folder);
    return true;
}
