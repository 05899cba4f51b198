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

TEST(KeyFileStore, ACorruptOrStrangeFileIsAFirstRun) {
    TempFolder temp;
    const std::string path = temp / "VelmoraSaver.ini";
    const std::vector<std::string> contents = {
        std::string("\x00\xff\x13garbage\n[", 12),
        "[VelmoraSaver\nversion=1.01\n",
        "version=1.01\n",                           // a key outside any group
        "[VelmoraSaver]\nversion=1.01\nDogSize\n",  // a line that is no key
        std::string(2 << 20, 'x'),                  // far too large for a preferences file
    };
    for (const std::string& content : contents) {
        WriteText(path, content);
        KeyFileStore store(path);
        SETTINGS settings;
        bool mainOnly = true;
        LoadSettings(store, settings, mainOnly);
        EXPECT_EQ(SettingsText(settings, mainOnly),
                  "dogs=3 size=100/100 prints=1000 tile=1 type=0 res=1 "
                  "path=/usr/share/backgrounds/ main=0");
        // The first run's defaults replaced the broken file with a readable one.
        KeyFileStore again(path);
        EXPECT_EQ(again.ReadString("version"), "1.01");
        EXPECT_EQ(again.ReadInteger("NumFootprints"), 1000);
    }
    // A folder where the file should be cannot be read or replaced, yet nothing crashes.
    const std::string folderPath = temp / "folder.ini";
    mkdir(folderPath.c_str(), 0700);
    KeyFileStore store(folderPath);
    EXPECT_EQ(store.ReadString("version"), std::nullopt);
    EXPECT_FALSE(store.Synchronize());
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
