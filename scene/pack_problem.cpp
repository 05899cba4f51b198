#include "scene/pack_problem.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "assets/resfile.h"
#include "math/errors.h"

std::string PackProblem(const char* what, const std::string& path) {
    std::string reason;
    errno = 0;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        RESFILE pack;
        reason = pack.Open(path.c_str()) ? "a lump of it is missing or damaged"
                                         : "it is not a valid resource pack";
    } else {
        reason = errno != 0 ? std::strerror(errno) : "it cannot be opened";
    }
    return std::string("cannot read the ") + what + " " + path + ": " + reason;
}

void ReportPackProblem(const char* what, const std::string& path) {
    ERRORCLOSE(PackProblem(what, path).c_str());
}
