#include "platform/desktop_picture.h"

#include <gio/gio.h>

namespace {

constexpr const char* kSchema = "org.gnome.desktop.background";
constexpr const char* kKey = "picture-uri";

}  // namespace

GSettingsDesktopPicture::GSettingsDesktopPicture(const char* schemaFolder)
    : schemaFolder_(schemaFolder ? schemaFolder : ""), useSchemaFolder_(schemaFolder != nullptr) {}

std::string GSettingsDesktopPicture::PicturePath(int /*screenNumber*/) {
    GSettingsSchemaSource* source = nullptr;
    if (useSchemaFolder_) {
        source = g_settings_schema_source_new_from_directory(schemaFolder_.c_str(), nullptr, FALSE,
                                                             nullptr);
    } else {
        source = g_settings_schema_source_get_default();
        if (source) g_settings_schema_source_ref(source);
    }
    if (source == nullptr) return "";
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, kSchema, TRUE);
    std::string path;
    if (schema != nullptr && g_settings_schema_has_key(schema, kKey)) {
        GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
        gchar* uri = g_settings_get_string(settings, kKey);
        if (uri) path = PathFromPictureUri(uri);
        g_free(uri);
        g_object_unref(settings);
    }
    if (schema) g_settings_schema_unref(schema);
    g_settings_schema_source_unref(source);
    return path;
}

std::string PathFromPictureUri(const std::string& uri) {
    if (!uri.empty() && uri[0] == '/') return uri;
    if (uri.rfind("file://", 0) != 0) return "";
    gchar* hostname = nullptr;
    gchar* filename = g_filename_from_uri(uri.c_str(), &hostname, nullptr);
    // A file on another host is not a file we can open.
    const bool local = hostname == nullptr || g_strcmp0(hostname, "localhost") == 0;
    std::string path = filename && local ? filename : "";
    g_free(filename);
    g_free(hostname);
    return path;
}
