#include "platform/keyfile_store.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host/settings.h"
#include "tests/settings/settings_text.h"
#include "tests/support/hang_guard.h"
#include "tests/support/recording_alert.h"
#include "tests/support/test_files.h"

namespace {

using test_files::ReadText;
using test_files::WriteText;

// The names in `folder`, sorted.
std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Loaded(KeyFileStore& store) {
    SETTINGS settings;
    LoadSettings(store, settings);
    return SettingsText(settings);
}

}  // namespace

TEST(KeyFileStore, ValuesSurviveInTheIniFileOfItsOwnGroupAndHandEditsAreKept) {
    test_files::ScratchFolder temp;
    const std::string path = temp / "nested/velmora/VelmoraSaver.ini";
    {
        KeyFileStore store(path);
        store.WriteString("BGPath", " /home/me/My Pictures\\new\n");
        store.WriteString("Latin1", "/home/\xe9t\xe9/ images\\x");  // not UTF-8: kept as bytes
        store.WriteBool("TileBG", true);
        store.WriteInteger("NumFootprints", -123456789012L);
        ASSERT_TRUE(store.Synchronize()) << store.Error();
    }
    EXPECT_EQ(ReadText(path).rfind("[VelmoraSaver]", 0), 0u) << ReadText(path);
    KeyFileStore again(path);
    EXPECT_EQ(again.ReadString("BGPath"), " /home/me/My Pictures\\new\n");
    EXPECT_TRUE(again.ReadBool("TileBG"));
    EXPECT_EQ(again.ReadInteger("NumFootprints"), -123456789012L);
    EXPECT_EQ(again.ReadString("Latin1"), "/home/\xe9t\xe9/ images\\x");

    // Absent or unparsable values read as nothing, false or zero; only our group counts.
    WriteText(path,
              "# edited by hand\n[VelmoraSaver]\nNumDogs=two\nDogSize=12abc\n"
              "NumFootprints=99999999999999999999999\nTileBG=maybe\nBGRes=2  \n"
              "MainMonitorOnly=YES\n[Other]\nBGPath=/elsewhere\n");
    KeyFileStore store(path);
    EXPECT_EQ(store.ReadString("BGPath"), std::nullopt);
    for (const char* key : {"Absent", "NumDogs", "DogSize", "NumFootprints"})
        EXPECT_EQ(store.ReadInteger(key), 0) << key;
    EXPECT_EQ(store.ReadInteger("BGRes"), 2);
    EXPECT_FALSE(store.ReadBool("Absent") || store.ReadBool("TileBG"));
    EXPECT_TRUE(store.ReadBool("MainMonitorOnly"));
    // Saving keeps the user's comment and the other group.
    store.WriteInteger("NumDogs", 1);
    ASSERT_TRUE(store.Synchronize());
    for (const char* kept : {"# edited by hand", "BGPath=/elsewhere"})
        EXPECT_NE(ReadText(path).find(kept), std::string::npos) << ReadText(path);
}

// A stray line costs that line: the rest of the user's settings load (absent keys read as zero,
// then bounded), loading writes nothing,
// and the first save keeps the file as it was in the backup before replacing it.
TEST(KeyFileStore, ALineThatCannotBeParsedIsSkippedAndTheRestRead) {
    test_files::ScratchFolder temp;
    const std::string path = temp / "VelmoraSaver.ini";
    const struct {
        std::string content;
        std::string loaded;
    } cases[] = {
        {"[VelmoraSaver]\nversion=1.01\nNumDogs=1\nBGType=2\nBGPath=/srv/art\n" +
             std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff[\n\xfe]]=\n", 24),
         "dogs=1 size=10/10 prints=1 tile=0 type=2 res=0 path=/srv/art main=0"},
        {"NumDogs=3\n[VelmoraSaver]\nversion=1.01\n[Other\nNumDogs=0\n[VelmoraSaver]\n"
         "NumDogs=1\nDogSize=80\nNumFootprints 5\n",
         "dogs=1 size=80/80 prints=1 tile=0 type=0 res=0 path=/srv/kept main=0"},
        // An old version resets, and the user's values survive in the backup.
        {"[VelmoraSaver]\nversion=1.0\nNumDogs=1\nbroken line\n",
         "dogs=3 size=100/100 prints=1000 tile=1 type=0 res=1 path=/usr/share/backgrounds/ "
         "main=0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        WriteText(path, c.content);
        std::filesystem::remove(path + ".bad");
        RecordingAlert alerts;
        KeyFileStore store(path);
        EXPECT_EQ(store.State(), KeyFileStore::FileState::kDamaged);
        SETTINGS settings;
        SetBackgroundFolder(settings, "/srv/kept");  // an absent path leaves the field as it was
        LoadSettings(store, settings);
        EXPECT_EQ(SettingsText(settings), c.loaded);
        ASSERT_EQ(alerts.lines.size(), 1u);
        EXPECT_NE(alerts.lines[0].find(path + " has "), std::string::npos) << alerts.lines[0];
        if (c.content.find("version=1.0\n") != std::string::npos) {
            EXPECT_EQ(ReadText(store.BackupPath()), c.content);  // the reset saved at once
            continue;
        }
        EXPECT_EQ(ReadText(path), c.content) << "loading wrote over the file";
        EXPECT_FALSE(std::filesystem::exists(store.BackupPath()));
        ASSERT_TRUE(SaveSettings(store, settings)) << store.Error();
        EXPECT_EQ(ReadText(store.BackupPath()), c.content);
        KeyFileStore again(path);
        EXPECT_EQ(again.State(), KeyFileStore::FileState::kRead);
        EXPECT_EQ(Loaded(again), c.loaded);
        EXPECT_EQ(alerts.lines.size(), 1u) << "the repaired file is read without a word";
    }
}

// A file that is there but cannot be read is never replaced by a run: the defaults apply in
// memory, the user hears of it once, and nothing blocks on a FIFO.
TEST(KeyFileStore, AFileThatCannotBeReadIsNeverWritten) {
    test_files::ScratchFolder temp;
    ASSERT_EQ(mkfifo((temp / "fifo.ini").c_str(), 0600), 0);
    mkdir((temp / "folder.ini").c_str(), 0700);
    WriteText(temp / "huge.ini", "[VelmoraSaver]\nversion=1.01\n" + std::string(2 << 20, '#'));
    std::filesystem::create_symlink(temp / "loop.ini", temp / "loop.ini");
    std::vector<std::pair<std::string, std::string>> cases = {
        {"fifo.ini", "it is not a regular file"},
        {"folder.ini", "it is a folder, not a file"},
        {"huge.ini", "it is larger than 1 MB"},
        {"loop.ini", "it is a loop of symbolic links"},
    };
    if (geteuid() != 0) {  // root reads anything
        WriteText(temp / "secret.ini", "[VelmoraSaver]\nversion=1.01\nNumDogs=1\n");
        chmod((temp / "secret.ini").c_str(), 0);
        cases.emplace_back("secret.ini", "permission denied");
    }
    for (const auto& [name, reason] : cases) {
        SCOPED_TRACE(name);
        const std::string path = temp / name;
        struct stat before {};
        lstat(path.c_str(), &before);
        HangGuard guard(10);
        RecordingAlert alerts;
        KeyFileStore store(path);
        EXPECT_EQ(store.State(), KeyFileStore::FileState::kUnreadable);
        SETTINGS settings;
        LoadSettings(store, settings);
        EXPECT_EQ(settings.NUM_DOGS, 3);
        EXPECT_FALSE(SaveSettings(store, settings));
        ASSERT_EQ(alerts.lines.size(), 1u);
        EXPECT_NE(alerts.lines[0].find(path + ": " + reason + "; the default settings are used"),
                  std::string::npos)
            << alerts.lines[0];
        struct stat after {};
        lstat(path.c_str(), &after);
        EXPECT_EQ(after.st_mtime, before.st_mtime);
    }
    EXPECT_EQ(FolderEntries(temp.Path()).size(), cases.size()) << "nothing else was written";
}

// Dotfiles managers link the settings file to their own copy: saving writes that copy, in
// place of a plain file over the link, and keeps its permissions.
TEST(KeyFileStore, SavingThroughASymbolicLinkWritesItsTarget) {
    test_files::ScratchFolder temp;
    mkdir((temp / "dotfiles").c_str(), 0700);
    mkdir((temp / "config").c_str(), 0700);
    const std::string target = temp / "dotfiles/velmora.ini";
    WriteText(target, "[VelmoraSaver]\nversion=1.01\nNumDogs=1\n");
    chmod(target.c_str(), 0600);
    const std::string link = temp / "config/relative.ini";
    std::filesystem::create_symlink("../dotfiles/velmora.ini", link);
    // A link whose file does not exist yet is a first run; saving creates the file it names.
    const std::string dangling = temp / "config/dangling.ini";
    std::filesystem::create_symlink(temp / "dotfiles/later/new.ini", dangling);
    for (const std::string& name : {link, dangling}) {
        KeyFileStore store(name);
        store.WriteInteger("NumDogs", 2);
        ASSERT_TRUE(store.Synchronize()) << store.Error();
        EXPECT_TRUE(std::filesystem::is_symlink(name));
    }
    EXPECT_EQ(KeyFileStore(target).ReadInteger("NumDogs"), 2);
    EXPECT_EQ(KeyFileStore(temp / "dotfiles/later/new.ini").ReadInteger("NumDogs"), 2);
    struct stat info {};
    stat(target.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(FolderEntries(temp / "dotfiles"), (std::vector<std::string>{"later", "velmora.ini"}));
}

// The settings dialog loads without writing: Cancel leaves no file, or the old one, as it was;
// Save then writes the version with the values, so that they are kept on the next loading.
TEST(KeyFileStore, LoadingForTheDialogWritesNothingUntilSave) {
    test_files::ScratchFolder temp;
    const std::string fresh = temp / "fresh/VelmoraSaver.ini";
    const std::string old = temp / "old.ini";
    WriteText(old, "[VelmoraSaver]\nversion=1.0\nNumDogs=1\n");
    for (const std::string& path : {fresh, old}) {
        SCOPED_TRACE(path);
        const std::string before = ReadText(path);
        KeyFileStore store(path);
        SETTINGS settings;
        LoadSettings(store, settings, StoreDefaults::kWithNextSave);
        EXPECT_EQ(settings.NUM_DOGS, 3);
        EXPECT_EQ(ReadText(path), before);  // what Cancel leaves
        EXPECT_EQ(std::filesystem::exists(path), !before.empty());
        settings.NUM_DOGS = 2;
        ASSERT_TRUE(SaveSettings(store, settings));
        KeyFileStore saved(path);
        EXPECT_EQ(Loaded(saved).rfind("dogs=2 ", 0), 0u);
    }
}

// Saving renames a finished file over the old one; a save that fails keeps the old file whole
// and leaves no temporary behind.
TEST(KeyFileStore, SavingReplacesTheFileAtomicallyOrKeepsTheOldOne) {
    test_files::ScratchFolder temp;
    const std::string path = temp / "VelmoraSaver.ini";
    const std::string link = temp / "old-copy";
    WriteText(path, "[VelmoraSaver]\nNumDogs=1\n");
    // A second name of the old file: an in-place rewrite would change it too, a rename does not.
    ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    KeyFileStore store(path);
    store.WriteInteger("NumDogs", 2);
    ASSERT_TRUE(store.Synchronize()) << store.Error();
    EXPECT_EQ(ReadText(link), "[VelmoraSaver]\nNumDogs=1\n");
    std::filesystem::remove(link);
    const std::string saved = ReadText(path);
    EXPECT_EQ(KeyFileStore(path).ReadInteger("NumDogs"), 2);

    // A full disk: writes beyond a few bytes fail, as they do when no space is left.
    store.WriteString("BGPath", std::string(4000, 'p'));
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = old;
    tiny.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &tiny);
    const bool fullDiskSaved = store.Synchronize();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(fullDiskSaved);
    EXPECT_FALSE(store.Error().empty());
    EXPECT_EQ(ReadText(path), saved);
    EXPECT_EQ(FolderEntries(temp.Path()), std::vector<std::string>{"VelmoraSaver.ini"});

    // The folder cannot be created: its parent is a file.
    KeyFileStore noFolder(temp / "VelmoraSaver.ini/velmora/VelmoraSaver.ini");
    noFolder.WriteInteger("NumDogs", 2);
    EXPECT_FALSE(noFolder.Synchronize());
    EXPECT_NE(noFolder.Error().find("cannot create"), std::string::npos) << noFolder.Error();
}

TEST(KeyFileStore, DefaultPathFollowsTheConfigFolderVariable) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg-test", 1);
    EXPECT_EQ(KeyFileStore::DefaultPath(), "/tmp/cfg-test/velmora/VelmoraSaver.ini");
    EXPECT_EQ(KeyFileStore().Path(), KeyFileStore::DefaultPath());
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    if (const char* home = std::getenv("HOME")) {
        EXPECT_EQ(KeyFileStore::DefaultPath(),
                  std::string(home) + "/.config/velmora/VelmoraSaver.ini");
    }
    saved.empty() ? unsetenv("XDG_CONFIG_HOME") : setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}
