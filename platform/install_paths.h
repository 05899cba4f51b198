// Where the installed (or built) files are, found from the running program's own path
// (/proc/self/exe), so that a build tree and an installed tree both work.
#pragma once

#include <string>

// The folder that holds the running program, ending in "/" ("" when it cannot be read).
std::string ProgramFolder();
// share/velmora/ beside the program's bin/ folder, ending in "/".
std::string DefaultResourceFolder();
