#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/desktop_picture.h"

namespace fs = std::filesystem;

namespace {

TEST(DesktopPictureUri, FileUrisBecomePathsAndOtherSchemesNothing) {
    EXPECT_EQ(PathFromPictureUri("file:///home/u/My%20Sea.jpg"), "/home/u/My Sea.jpg");
    EXPECT_EQ(PathFromPictureUri("file:///usr/share/backgrounds/a.png"),
              "/usr/share/backgrounds/a.png");
    EXPECT_EQ(PathFromPictureUri("/already/a/path.jpg"), "/already/a/path.jpg");
    EXPECT_EQ(PathFromPictureUri("https://example.org/a.jpg"), "");
    EXPECT_EQ(PathFromPictureUri("file://otherhost/a.jpg"), "");
    EXPECT_EQ(PathFromPictureUri("relative.jpg"), "");
    EXPECT_EQ(PathFromPictureUri(""), "");
}

// Compiles a schema folder holding org.gnome.desktop.background with the given default URI
// (or no schema at all), so the lookup runs against a known, private GSettings set-up.
fs::path SchemaFolder(const std::string& name, const std::string* defaultUri) {
    const fs::path folder = fs::temp_directory_path() / ("velmora-schemas-" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    if (defaultUri) {
        std::ofstream(folder / "org.gnome.desktop.background.gschema.xml")
            << "<schemalist><schema id=\"org.gnome.desktop.background\" "
               "path=\"/org/gnome/desktop/background/\">"
               "<key name=\"picture-uri\" type=\"s\"><default>'"
            << *defaultUri << "'</default></key></schema></schemalist>\n";
    } else {
        std::ofstream(folder / "org.example.other.gschema.xml")
            << "<schemalist><schema id=\"org.example.other\" path=\"/org/example/other/\">"
               "<key name=\"x\" type=\"s\"><default>''</default></key></schema></schemalist>\n";
    }
    const std::string command = "glib-compile-schemas '" + folder.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return folder;
}

TEST(DesktopPictureLookup, ReadsPictureUriOnlyWhenTheSchemaExists) {
    // Values come from the schema's default, never from the user's real settings.
    setenv("GSETTINGS_BACKEND", "memory", 1);

    const std::string uri = "file:///srv/pictures/Blue%20Hills.png";
    const fs::path withSchema = SchemaFolder("present", &uri);
    GSettingsDesktopPicture present(withSchema.c_str());
    EXPECT_EQ(present.PicturePath(0), "/srv/pictures/Blue Hills.png");
    EXPECT_EQ(present.PicturePath(1), "/srv/pictures/Blue Hills.png");

    // No such schema installed: an empty answer instead of GLib aborting the program.
    const fs::path without = SchemaFolder("absent", nullptr);
    GSettingsDesktopPicture absent(without.c_str());
    EXPECT_EQ(absent.PicturePath(0), "");

    // A folder with no compiled schemas at all.
    GSettingsDesktopPicture missing("/nonexistent/velmora/schemas");
    EXPECT_EQ(missing.PicturePath(0), "");

    const std::string remote = "https://example.org/sea.jpg";
    const fs::path remoteSchema = SchemaFolder("remote", &remote);
    GSettingsDesktopPicture web(remoteSchema.c_str());
    EXPECT_EQ(web.PicturePath(0), "");

    fs::remove_all(withSchema);
    fs::remove_all(without);
    fs::remove_all(remoteSchema);
}

}  // namespace
