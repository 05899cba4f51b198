// The desktop picture as GNOME's settings name it: org.gnome.desktop.background picture-uri.
// The schema is looked up first, because asking GSettings for a schema that is not installed
// aborts the program.
#pragma once

#include <string>

#include "host/background_source.h"

class GSettingsDesktopPicture : public DesktopPictureLookup {
  public:
    // `schemaFolder` names a folder of compiled schemas to use instead of the system's ones
    // (for tests); nullptr means the system's schemas.
    explicit GSettingsDesktopPicture(const char* schemaFolder = nullptr);
    // One picture for every screen: GNOME keeps no per-monitor picture.
    std::string PicturePath(int screenNumber) override;

  private:
    std::string schemaFolder_;
    bool useSchemaFolder_ = false;
};

// The local path named by a picture URI ("file:///home/u/My%20Pic.jpg" gives
// "/home/u/My Pic.jpg"); a plain absolute path is kept; anything else gives "".
std::string PathFromPictureUri(const std::string& uri);
