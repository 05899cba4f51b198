// The settings options that velmora and velmora-render share, made from the preference table:
// every preference's own option (--cats N, --background desktop, --tile and --no-tile,
// --folder PATH), and --set KEY=VALUE with the value as the settings file writes it. They set
// values for one run and never touch the store.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/settings.h"
#include "host/command_line.h"
#include "host/preferences.h"

// The run's values by key, as the store writes them as text ("NumDogs" = "2"), in the order
// given: a later one wins.
using PreferenceOverrides = std::vector<std::pair<std::string, std::string>>;

enum class OptionOutcome { kNotOurs, kTaken, kRefused };

// Reads the option `reader` stands on when it is a settings option, into `overrides`.
// kRefused, with a message in `error`, for a value out of range or malformed. `withAliases`:
// also the older names velmora keeps for XScreenSaver's command lines (velmora-render uses
// --size for its picture).
OptionOutcome ReadPreferenceOption(ArgumentReader& reader, bool withAliases,
                                   PreferenceOverrides& overrides, std::string& error);

// Puts the run's values into `settings` as loading the store would (bounds applied, dogSize
// derived). False, changing nothing, with a message, for a folder that does not fit the record.
bool ApplyPreferenceOverrides(const PreferenceOverrides& overrides, SETTINGS& settings,
                              std::string& error);

// The default settings with `overrides` on top; a folder that does not fit leaves the defaults
// alone.
SETTINGS SettingsForOneRun(const PreferenceOverrides& overrides);

// The options of one set of values that, given to velmora, show exactly `settings`, in the
// table's order (an empty folder is left out: the saver then keeps its own).
std::vector<std::string> PreferenceArguments(const SETTINGS& settings);

// The --help lines of the settings options.
std::string PreferenceUsage(bool withAliases);
