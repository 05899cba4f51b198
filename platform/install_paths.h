// Where the installed (or built) files are, found from the running program's own path
// (/proc/self/exe), so that a build tree and an installed tree both work.
#pragma once

#include <string>
#include <vector>

// The folder that holds the running program, ending in "/" ("" when it cannot be read).
std::string ProgramFolder();
// share/velmora/ beside the program's bin/ folder, ending in "/".
std::string DefaultResourceFolder();

// The folders where the resources may be, in the order they are looked for, each once and ending
// in "/": beside the program, in the prefix it was built for, /usr/local/share/velmora/,
// /usr/share/velmora/.
std::vector<std::string> ResourceFolderCandidates();
// True when `folder` holds the scene pack, the one resource without which nothing is drawn, as a
// file that can be read.
bool IsResourceFolder(const std::string& folder);
// The first candidate that is a resource folder, or "" when none is.
std::string FindResourceFolder(const std::vector<std::string>& candidates);

// The doc folder of the installed program (share/doc/velmora/ beside bin/), ending in "/".
std::string DocumentationFolder();
