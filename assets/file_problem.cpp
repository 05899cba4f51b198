#include "assets/file_problem.h"

std::string ReasonClause(const std::string& reason) {
    // Reasons are worded to follow the file's name; after a colon they need their subject.
    for (const char* verb : {"is ", "has ", "does ", "cannot ", "holds ", "lacks ", "names "}) {
        if (reason.rfind(verb, 0) == 0) return "it " + reason;
    }
    return reason;
}

std::string CannotRead(const std::string& what, const std::string& path,
                       const std::string& reason) {
    return "cannot read the " + what + " " + path + ": " + ReasonClause(reason);
}
