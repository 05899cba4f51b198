#include "host/preferences.h"

#include <algorithm>
#include <cstring>

namespace {

// Every row is complete, every key has one place in the store, and a control depends only on
// a choice that exists.
constexpr bool TableIsWhole() {
    constexpr int count = int(sizeof(kPreferences) / sizeof(kPreferences[0]));
    for (int i = 0; i < count; ++i) {
        const Preference& p = kPreferences[i];
        if (p.loadedAt < 1 || p.loadedAt > count || p.savedAt < 1 || p.savedAt > count ||
            *p.name == '\0' || *p.label == '\0')
            return false;
        const bool hasField = p.number || p.toggle || p.folder;
        const bool hasWords =
            p.kind == PreferenceKind::kSwitch ? p.choiceCount == 2 : p.flag != nullptr;
        if (!hasField || !hasWords) return false;
        for (int j = 0; j < i; ++j) {
            if (kPreferences[j].loadedAt == p.loadedAt) return false;
            if (kPreferences[j].savedAt == p.savedAt) return false;
            if (preference_detail::SameText(kPreferences[j].key, p.key)) return false;
        }
        if (p.enabledBy && PreferenceFor(p.enabledBy).kind != PreferenceKind::kChoice) return false;
    }
    return true;
}
static_assert(TableIsWhole(), "a preference row lacks a field, its words or its place");

}  // namespace

long Preference::Value(const SETTINGS& s) const {
    if (toggle) return s.*toggle ? 1 : 0;
    return number ? s.*number : 0;
}

void Preference::SetValue(SETTINGS& s, long value) const {
    if (toggle) s.*toggle = value != 0;
    if (number) s.*number = int32_t(value);
}

const char* Preference::Text(const SETTINGS& s) const {
    return folder ? s.*folder : "";
}

bool Preference::SetText(SETTINGS& s, const std::string& text) const {
    if (!folder || text.size() >= sizeof(s.*folder) || text.find('\0') != std::string::npos)
        return false;
    std::memcpy(s.*folder, text.c_str(), text.size() + 1);
    return true;
}

std::string Preference::StoredText(const SETTINGS& s) const {
    switch (kind) {
        case PreferenceKind::kSwitch:
            return Value(s) ? "true" : "false";
        case PreferenceKind::kFolder:
            return Text(s);
        default:
            return std::to_string(Value(s));
    }
}

int Preference::ChoiceNamed(const std::string& word) const {
    for (int i = 0; i < choiceCount; ++i) {
        if (word == choices[i].word) return i;
    }
    return -1;
}

const Preference* FindPreference(const std::string& key) {
    for (const Preference& p : kPreferences) {
        if (key == p.key) return &p;
    }
    return nullptr;
}

std::vector<const Preference*> PreferencesInOrder(StoreOrder order) {
    const int Preference::*place =
        order == StoreOrder::kLoading ? &Preference::loadedAt : &Preference::savedAt;
    std::vector<const Preference*> rows;
    for (const Preference& p : kPreferences) rows.push_back(&p);
    std::sort(rows.begin(), rows.end(),
              [place](const Preference* a, const Preference* b) { return a->*place < b->*place; });
    return rows;
}

std::vector<std::string> PreferenceKeys() {
    std::vector<std::string> keys;
    for (const Preference& p : kPreferences) keys.push_back(p.key);
    return keys;
}
