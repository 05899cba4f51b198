#include "platform/keyfile_store.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
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
using TempFolder = test_files::ScratchFolder;

// The names in `folder`, sorted.
std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(KeyFileStore, ValuesSurviveInTheIniFileOfItsOwnGroup) {
    TempFolder temp;
    const std::string path = temp / "nested/velmora/VelmoraSaver.ini";
    {
        KeyFileStore store(path);
        store.WriteString("BGPath", " /home/me/My Pictures\\new\n");
        store.WriteString("Latin1", "/home/\xe9t\xe9/ images\\x");  // not UTF-8: kept as bytes
        store.WriteBool("TileBG", true);
        store.WriteBool("MainMonitorOnly", false);
        store.WriteInteger("NumFootprints", -123456789012L);
        ASSERT_TRUE(store.Synchronize()) << store.Error();
    }
    const std::string text = ReadText(path);
    EXPECT_EQ(text.rfind("[VelmoraSaver]", 0), 0u) << text;
    EXPECT_NE(text.find("TileBG=true"), std::string::npos) << text;

    KeyFileStore again(path);
    EXPECT_EQ(again.ReadString("BGPath"), " /home/me/My Pictures\\new\n");
    EXPECT_TRUE(again.ReadBool("TileBG"));
    EXPECT_FALSE(again.ReadBool("MainMonitorOnly"));
    EXPECT_EQ(again.ReadInteger("NumFootprints"), -123456789012L);
    EXPECT_EQ(again.ReadString("Latin1"), "/home/\xe9t\xe9/ images\\x");
}

TEST(KeyFileStore, AbsentOrUnparsableKeysReadAsNullFalseOrZero) {
    TempFolder temp;
    const std::string path = temp / "VelmoraSaver.ini";
    WriteText(path,
              "# edited by hand\n[VelmoraSaver]\nNumDogs=two\nDogSize=12abc\n"
              "NumFootprints=99999999999999999999999\nBGType=\nTileBG=maybe\nBGRes=2  \n"
              "MainMonitorOnly=YES\n[Other]\nBGPath=/elsewhere\n");
    KeyFileStore store(path);
    EXPECT_EQ(store.ReadString("BGPath"), std::nullopt);  // only our group counts
    EXPECT_EQ(store.ReadString("version"), std::nullopt);
    for (const char* key : {"Absent", "NumDogs", "DogSize", "NumFootprints", "BGType"})
        EXPECT_EQ(store.ReadInteger(key), 0) << key;
    EXPECT_EQ(store.ReadInteger("BGRes"), 2);
    EXPECT_FALSE(store.ReadBool("Absent") || store.ReadBool("TileBG"));
    EXPECT_TRUE(store.ReadBool("MainMonitorOnly"));

    // Saving keeps the user's comment and the other group.
    store.WriteInteger("NumDogs", 1);
    ASSERT_TRUE(store.Synchronize());
    const std::string text = ReadText(path);
    EXPECT_NE(text.find("# edited by hand"), std::string::npos) << text;
    EXPECT_NE(text.find("BGPath=/elsewhere"), std::string::npos) << text;
}

// A stray line costs that line: the rest of the user's settings load, loading writes nothing,
// and the first save keeps the file as it was in the backup before replacing it.
TEST(KeyFileStore, ALineThatCannotBeParsedIsSkippedAndTheRestRead) {
    TempFolder temp;
    const std::string path = temp / "VelmoraSaver.ini";
    const struct {
        std::string content;
        std::string loaded;
    } cases[] = {
        {"[VelmoraSaver]\nversion=1.01\nNumDogs=2\nNumFootprints 5\nDogSize=150\nTileBG=false\n",
         "dogs=2 size=150/150 prints=1 tile=0 type=0 res=0 path= main=0"},
        {"[VelmoraSaver]\nversion=1.01\nNumDogs=1\nBGType=2\nBGPath=/srv/art\n" +
             std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff[\n\xfe]]=\n", 24),
         "dogs=1 size=10/10 prints=1 tile=0 type=2 res=0 path=/srv/art main=0"},
        {"NumDogs=3\n[VelmoraSaver]\nversion=1.01\n[Other\nNumDogs=0\n[VelmoraSaver]\n"
         "NumDogs=1\nDogSize=80\n",
         "dogs=1 size=80/80 prints=1 tile=0 type=0 res=0 path= main=0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        WriteText(path, c.content);
        std::filesystem::remove(path + ".bad");
        RecordingAlert alerts;
        KeyFileStore store(path);
        EXPECT_EQ(store.State(), KeyFileStore::FileState::kDamaged);
        SETTINGS settings;
        bool mainOnly = true;
        LoadSettings(store, settings, mainOnly);
        EXPECT_EQ(SettingsText(settings, mainOnly), c.loaded);
        ASSERT_EQ(alerts.lines.size(), 1u);
        EXPECT_NE(alerts.lines[0].find(path + " has "), std::string::npos) << alerts.lines[0];
        EXPECT_EQ(ReadText(path), c.content) << "loading wrote over the file";
        EXPECT_FALSE(std::filesystem::exists(store.BackupPath()));

        ASSERT_TRUE(SaveSettings(store, settings, mainOnly)) << store.Error();
        EXPECT_EQ(ReadText(store.BackupPath()), c.content);
        KeyFileStore again(path);
        EXPECT_EQ(again.State(), KeyFileStore::FileState::kRead);
        SETTINGS reread;
        LoadSettings(again, reread, mainOnly);
        EXPECT_EQ(SettingsText(reread, mainOnly), c.loaded);
        EXPECT_EQ(alerts.lines.size(), 1u) << "the repaired file is read without a word";
    }

    // The version rule holds for what was read: an old version resets, and the user's values
    // survive in the backup.
    const std::string old = "[VelmoraSaver]\nversion=1.0\nNumDogs=1\nbroken line\n";
    WriteText(path, old);
    KeyFileStore store(path);
    SETTINGS settings;
    bool mainOnly = true;
    LoadSettings(store, settings, mainOnly);
    EXPECT_EQ(SettingsText(settings, mainOnly),
              "dogs=3 size=100/100 prints=1000 tile=1 type=0 res=1 "
              "path=/usr/share/backgrounds/ main=0");
    EXPECT_EQ(ReadText(store.BackupPath()), old);
    EXPECT_EQ(KeyFileStore(path).ReadString("version"), "1.01");
}

// A file that is there but cannot be read is never replaced by a run: the defaults apply in
// memory, the user hears of it once, and nothing blocks on a FIFO.
TEST(KeyFileStore, AFileThatCannotBeReadIsNeverWritten) {
    TempFolder temp;
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
    // Without read permission (meaningless for root, who reads anything).
    if (geteuid() != 0) {
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
        bool mainOnly = true;
        LoadSettings(store, settings, mainOnly);
        EXPECT_EQ(settings.NUM_DOGS, 3);
        EXPECT_FALSE(SaveSettings(store, settings, mainOnly));
        EXPECT_NE(store.Error().find(reason), std::string::npos) << store.Error();
        ASSERT_EQ(alerts.lines.size(), 1u);
        EXPECT_EQ(alerts.lines[0], "cannot read the settings file " + path + ": " + reason +
                                       "; the default settings are used and the file is left "
                                       "as it is");
        struct stat after {};
        lstat(path.c_str(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mtime, before.st_mtime);
    }
    EXPECT_EQ(FolderEntries(temp.Path()).size(), cases.size()) << "nothing else was written";
}

// Dotfiles managers link the settings file to their own copy: saving writes that copy, in
// place of a plain file over the link, and keeps its permissions.
TEST(KeyFileStore, SavingThroughASymbolicLinkWritesItsTarget) {
    TempFolder temp;
    mkdir((temp / "dotfiles").c_str(), 0700);
    mkdir((temp / "config").c_str(), 0700);
    const std::string target = temp / "dotfiles/velmora.ini";
    WriteText(target, "[VelmoraSaver]\nversion=1.01\nNumDogs=1\n");
    chmod(target.c_str(), 0600);
    const std::string relative = temp / "config/relative.ini";
    const std::string absolute = temp / "config/absolute.ini";
    const std::string chained = temp / "config/chained.ini";
    std::filesystem::create_symlink("../dotfiles/velmora.ini", relative);
    std::filesystem::create_symlink(target, absolute);
    std::filesystem::create_symlink(relative, chained);
    int dogs = 0;
    for (const std::string& link : {relative, absolute, chained}) {
        SCOPED_TRACE(link);
        KeyFileStore store(link);
        EXPECT_EQ(store.ReadInteger("NumDogs"), dogs == 0 ? 1 : dogs);
        store.WriteInteger("NumDogs", ++dogs);
        ASSERT_TRUE(store.Synchronize()) << store.Error();
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(KeyFileStore(target).ReadInteger("NumDogs"), dogs);
        struct stat info {};
        stat(target.c_str(), &info);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
    }
    // A link whose file does not exist yet is a first run; saving creates the file it names.
    const std::string dangling = temp / "config/dangling.ini";
    std::filesystem::create_symlink(temp / "dotfiles/later/new.ini", dangling);
    KeyFileStore fresh(dangling);
    EXPECT_EQ(fresh.State(), KeyFileStore::FileState::kAbsent);
    fresh.WriteInteger("NumDogs", 2);
    ASSERT_TRUE(fresh.Synchronize()) << fresh.Error();
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_EQ(KeyFileStore(temp / "dotfiles/later/new.ini").ReadInteger("NumDogs"), 2);
    EXPECT_EQ(FolderEntries(temp / "dotfiles"), (std::vector<std::string>{"later", "velmora.ini"}));
}

// The settings dialog loads without writing: Cancel leaves no file, or the old one, as it was;
// Save then writes the version with the values, so that they are kept on the next loading.
TEST(KeyFileStore, LoadingForTheDialogWritesNothingUntilSave) {
    TempFolder temp;
    const std::string fresh = temp / "fresh/VelmoraSaver.ini";
    const std::string old = temp / "old.ini";
    WriteText(old, "[VelmoraSaver]\nversion=1.0\nNumDogs=1\n");
    for (const std::string& path : {fresh, old}) {
        SCOPED_TRACE(path);
        const std::string before = ReadText(path);
        KeyFileStore store(path);
        SETTINGS settings;
        bool mainOnly = true;
        LoadSettings(store, settings, mainOnly, StoreDefaults::kWithNextSave);
        EXPECT_EQ(settings.NUM_DOGS, 3);
        EXPECT_EQ(ReadText(path), before);  // what Cancel leaves
        EXPECT_EQ(std::filesystem::exists(path), !before.empty());
        settings.NUM_DOGS = 2;
        ASSERT_TRUE(SaveSettings(store, settings, mainOnly));
        KeyFileStore saved(path);
        SETTINGS reread;
        LoadSettings(saved, reread, mainOnly);
        EXPECT_EQ(reread.NUM_DOGS, 2);
    }
}

TEST(KeyFileStore, SavingReplacesTheFileAtomicallyAndLeavesNoTemporaries) {
    TempFolder temp;
    const std::string path = temp / "VelmoraSaver.ini";
    const std::string link = temp / "old-copy";
    WriteText(path, "[VelmoraSaver]\nNumDogs=1\n");
    // A second name of the old file: an in-place rewrite would change it too, a rename does not.
    ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    KeyFileStore store(path);
    store.WriteInteger("NumDogs", 2);
    ASSERT_TRUE(store.Synchronize()) << store.Error();
    EXPECT_EQ(ReadText(link), "[VelmoraSaver]\nNumDogs=1\n");
    EXPECT_EQ(KeyFileStore(path).ReadInteger("NumDogs"), 2);
    EXPECT_EQ(FolderEntries(temp.Path()),
              (std::vector<std::string>{"VelmoraSaver.ini", "old-copy"}));
}

TEST(KeyFileStore, AFailedSaveReportsFalseAndKeepsTheOldFile) {
    TempFolder temp;
    // The folder cannot be created: its parent is a file.
    WriteText(temp / "plain", "x");
    KeyFileStore noFolder(temp / "plain/velmora/VelmoraSaver.ini");
    noFolder.WriteInteger("NumDogs", 2);
    EXPECT_FALSE(noFolder.Synchronize());
    EXPECT_NE(noFolder.Error().find("cannot create"), std::string::npos) << noFolder.Error();

    // A full disk: writes beyond a few bytes fail, as they do when no space is left.
    const std::string path = temp / "VelmoraSaver.ini";
    WriteText(path, "[VelmoraSaver]\nNumDogs=1\n");
    KeyFileStore store(path);
    store.WriteString("BGPath", std::string(4000, 'p'));
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = old;
    tiny.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &tiny);
    const bool saved = store.Synchronize();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(store.Error().empty());
    EXPECT_EQ(ReadText(path), "[VelmoraSaver]\nNumDogs=1\n");
    EXPECT_EQ(FolderEntries(temp.Path()), (std::vector<std::string>{"VelmoraSaver.ini", "plain"}))
        << "no temporary left behind";

    // A folder without write permission (meaningless for root, who may write anywhere).
    if (geteuid() != 0) {
        chmod(temp.Path().c_str(), 0500);
        EXPECT_FALSE(store.Synchronize());
        chmod(temp.Path().c_str(), 0700);
        EXPECT_EQ(ReadText(path), "[VelmoraSaver]\nNumDogs=1\n");
    }
}

TEST(KeyFileStore, DefaultPathFollowsTheConfigFolderVariable) {
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = oldConfig ? oldConfig : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg-test", 1);
    EXPECT_EQ(KeyFileStore::DefaultPath(), "/tmp/cfg-test/velmora/VelmoraSaver.ini");
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    if (!home.empty()) {
        EXPECT_EQ(KeyFileStore::DefaultPath(), home + "/.config/velmora/VelmoraSaver.ini");
    }
    EXPECT_EQ(KeyFileStore().Path(), KeyFileStore::DefaultPath());
    if (oldConfig) {
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}

// Whatever a damaged or hostile file holds, loading never fails and every value ends up inside
// the bounds the scene relies on.
TEST(KeyFileStore, AnyFileContentLoadsIntoBoundedSettings) {
    TempFolder temp;
    const std::string path = temp / "VelmoraSaver.ini";
    // Fragments of keys, values and syntax, joined at random ("|" separates them here).
    std::vector<std::string> pieces;
    std::istringstream fragments(
        "[VelmoraSaver]\n|version=1.01\n|version=1.0\n|NumDogs=|DogSize=|NumFootprints=|BGType=|"
        "BGRes=|BGPath=|TileBG=|MainMonitorOnly=|-|9999999999999|2|0x10|\n|\\|\xff\xfe|[|]|=|"
        "true| |#");
    for (std::string piece; std::getline(fragments, piece, '|');) pieces.push_back(piece);
    pieces.push_back(std::string("\0", 1));
    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;  // a fixed sequence: failures repeat exactly
        return seed >> 8;
    };
    for (int round = 0; round < 400; ++round) {
        std::string content = round % 2 ? "[VelmoraSaver]\nversion=1.01\n" : "";
        const int count = static_cast<int>(next() % 40);
        for (int i = 0; i < count; ++i) content += pieces[next() % pieces.size()];
        if (round % 7 == 0) content += "BGPath=" + std::string(next() % 3000, 'q') + "\n";
        WriteText(path, content);
        KeyFileStore store(path);
        SETTINGS s;
        bool mainOnly = false;
        LoadSettings(store, s, mainOnly);
        SCOPED_TRACE(content);
        const auto within = [](int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; };
        ASSERT_TRUE(within(s.NUM_DOGS, 0, 3) && within(s.LDOGSIZE, 10, 500) &&
                    within(s.NUM_FOOTPRINTS, 1, 100000) && within(s.BGTYPE, 0, 2) &&
                    within(s.BGRES, 0, 2));
        ASSERT_FLOAT_EQ(s.dogSize, static_cast<float>(s.LDOGSIZE / 100.0));
        ASSERT_LT(std::strlen(s.BGPath), sizeof(s.BGPath));
    }
}
