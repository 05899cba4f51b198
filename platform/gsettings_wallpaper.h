// The wallpaper of the desktops that keep it in GSettings: GNOME (and Budgie, Unity, Pantheon,
// which share its schema), Cinnamon and MATE. Schemas are looked up through the schema source
// first, because asking GSettings for a schema that is not installed aborts the program.
#pragma once

#include <string>

typedef struct _GSettingsSchemaSource GSettingsSchemaSource;

enum class SettingsDesktop { Gnome, Cinnamon, Mate };

class GSettingsWallpaper {
  public:
    // `schemaFolder` names a folder of compiled schemas to use instead of the system's ones
    // (for tests); nullptr means the system's schemas.
    explicit GSettingsWallpaper(const char* schemaFolder = nullptr);
    ~GSettingsWallpaper();
    GSettingsWallpaper(const GSettingsWallpaper&) = delete;
    GSettingsWallpaper& operator=(const GSettingsWallpaper&) = delete;

    // The picture as the desktop stores it (a URI, or a path for MATE); GNOME's dark picture when
    // its colour scheme prefers dark and one is set. "" when the schema is not installed, or,
    // with `setByUser`, when the user never chose a picture (the schema's default would be
    // another desktop's choice, not this session's).
    std::string Picture(SettingsDesktop desktop, bool setByUser) const;

  private:
    std::string ReadString(const char* schemaId, const char* key, bool setByUser) const;

    GSettingsSchemaSource* source_ = nullptr;
};
