#include "host/xscreensaver_config.h"

#include "host/preferences.h"

namespace {

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// The option's name as XScreenSaver's command lines keep it: an older name stays, so that the
// lines users already have in ~/.xscreensaver still select their entry.
std::string OptionName(const Preference& p) {
    return std::string("--") + (p.alias ? p.alias : p.flag);
}

std::string Entry(const std::string& id, const Preference& p, const std::string& what,
                  const std::string& args) {
    std::string line = "    <option id=\"" + Escaped(id) + "\" _label=\"" +
                       Escaped(std::string(p.name) + ": " + what) + "\"";
    if (!args.empty()) line += " arg-set=\"" + Escaped(args) + "\"";
    return line + "/>\n";
}

std::string Menu(const Preference& p) {
    const std::string id =
        p.kind == PreferenceKind::kSwitch ? p.choices[1].word : OptionName(p).substr(2);
    std::string menu = "  <select id=\"" + id + "\">\n";
    menu += Entry("stored", p, "as in Velmora's settings", "");
    if (p.kind == PreferenceKind::kNumber) {
        for (int i = 0; i < p.offeredCount; ++i) {
            const std::string value = std::to_string(p.offered[i]);
            menu += Entry(id + value, p, value, OptionName(p) + " " + value);
        }
    } else {
        for (int i = 0; i < p.choiceCount; ++i) {
            const std::string word = p.choices[i].word;
            const std::string args =
                p.kind == PreferenceKind::kSwitch ? "--" + word : OptionName(p) + " " + word;
            menu += Entry(id + "-" + word, p, p.choices[i].label, args);
        }
    }
    return menu + "  </select>\n\n";
}

std::string FolderField(const Preference& p) {
    return "  <file id=\"" + std::string(p.flag) + "\" _label=\"" + Escaped(p.name) +
           " (empty: as in Velmora's settings)\" arg=\"" + OptionName(p) + " %\"/>\n\n";
}

}  // namespace

std::string XScreenSaverConfig() {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n"
        "<screensaver name=\"velmora\" _label=\"Velmora\" gl=\"yes\">\n\n"
        "  <command arg=\"--root\"/>\n\n"
        "  <!-- Made from Velmora's preference table when Velmora is built. Every control starts\n"
        "       at \"as in Velmora's settings\", which passes nothing: the values stored with\n"
        "       velmora-settings then apply. Any other entry sets that value for XScreenSaver's\n"
        "       runs, and says so. -->\n\n";
    for (const Preference& p : kPreferences)
        xml += p.kind == PreferenceKind::kFolder ? FolderField(p) : Menu(p);
    xml +=
        "  <_description>\n"
        "Cats walk, sit, wash and chase a toy across a picture of your desktop,\n"
        "leaving footprints that fade.\n"
        "\n"
        "The ground shows the screen as it was when the saver started (when\n"
        "\"Grab desktop images\" is on in XScreenSaver's settings; otherwise the\n"
        "desktop picture), the desktop picture, or a random picture from a folder.\n"
        "Settings left at \"as in Velmora's settings\" come from velmora-settings.\n"
        "  </_description>\n"
        "</screensaver>\n";
    return xml;
}
