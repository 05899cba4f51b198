#include "platform/gsettings_wallpaper.h"

#include <gio/gio.h>

GSettingsWallpaper::GSettingsWallpaper(const char* schemaFolder) {
    if (schemaFolder) {
        source_ =
            g_settings_schema_source_new_from_directory(schemaFolder, nullptr, FALSE, nullptr);
    } else {
        source_ = g_settings_schema_source_get_default();
        if (source_) g_settings_schema_source_ref(source_);
    }
}

GSettingsWallpaper::~GSettingsWallpaper() {
    if (source_) g_settings_schema_source_unref(source_);
}

std::string GSettingsWallpaper::ReadString(const char* schemaId, const char* key,
                                           bool setByUser) const {
    if (source_ == nullptr) return "";
    GSettingsSchema* schema = g_settings_schema_source_lookup(source_, schemaId, TRUE);
    if (schema == nullptr) return "";
    std::string text;
    if (g_settings_schema_has_key(schema, key)) {
        GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
        GVariant* value = setByUser ? g_settings_get_user_value(settings, key)
                                    : g_settings_get_value(settings, key);
        // Enumerations are strings too; any other type is not a picture's name.
        if (value && g_variant_is_of_type(value, G_VARIANT_TYPE_STRING)) {
            text = g_variant_get_string(value, nullptr);
        }
        if (value) g_variant_unref(value);
        g_object_unref(settings);
    }
    g_settings_schema_unref(schema);
    return text;
}

std::string GSettingsWallpaper::Picture(SettingsDesktop desktop, bool setByUser) const {
    switch (desktop) {
        case SettingsDesktop::Gnome: {
            const char* schema = "org.gnome.desktop.background";
            if (ReadString("org.gnome.desktop.interface", "color-scheme", false) == "prefer-dark") {
                const std::string dark = ReadString(schema, "picture-uri-dark", setByUser);
                if (!dark.empty()) return dark;
            }
            return ReadString(schema, "picture-uri", setByUser);
        }
        case SettingsDesktop::Cinnamon:
            return ReadString("org.cinnamon.desktop.background", "picture-uri", setByUser);
        case SettingsDesktop::Mate:
            return ReadString("org.mate.background", "picture-filename", setByUser);
    }
    return "";
}
