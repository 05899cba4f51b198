// XScreenSaver's settings file for the hack (velmora.xml), made from the preference table at
// build time: one menu per preference, whose first entry passes nothing so that the values
// stored with velmora-settings apply, and a folder field.
#pragma once

#include <string>

std::string XScreenSaverConfig();
