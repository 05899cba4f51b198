#include "math/errors.h"

#include "core/alert.h"

void MessageBox(void* /*owner*/, const char* text, const char* caption, int /*type*/) {
    CurrentAlert().Show(caption, text);
}

void ERRORCLOSE(const char* message) {
    CurrentAlert().Report(message);
}
