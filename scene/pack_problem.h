// Messages for a resource pack that cannot be used, naming the file and the reason, so that a
// user who finds the scene incomplete learns which file to look at.
#pragma once

#include <map>
#include <string>

// Reports each file's problem once: set-ups that fail are tried again, and the saver's log must
// not fill with the same line.
class PackProblems {
  public:
    // Hands "cannot read the <what> <path>: <reason>" to the engine's error sink, unless that is
    // what was last reported for <path>.
    void Report(const char* what, const std::string& path, const std::string& reason);
    // <path> was read whole: a new problem with it is reported again.
    void Cleared(const std::string& path);

  private:
    std::map<std::string, std::string> reported_;
};
