// Messages for a resource pack that cannot be used, naming the file and the reason, so that a
// user who finds the scene incomplete learns which file to look at.
#pragma once

#include <string>

// "cannot read the <what> <path>: <reason>", the reason found by looking at the file again
// (missing, unreadable, not a resource pack, or damaged).
std::string PackProblem(const char* what, const std::string& path);

// Hands PackProblem's message to the engine's error sink.
void ReportPackProblem(const char* what, const std::string& path);
