// Messages about outside files that cannot be used, naming the file and saying why.
#pragma once

#include <string>

// `reason` as RegularFile and the loaders give it ("is not a regular file", "permission denied")
// made a clause that can follow a colon: "it is not a regular file", "permission denied".
std::string ReasonClause(const std::string& reason);

// "cannot read the <what> <path>: <reason as a clause>".
std::string CannotRead(const std::string& what, const std::string& path, const std::string& reason);
