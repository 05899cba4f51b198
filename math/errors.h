// The engine's two ways of reporting bad data. Neither blocks: both hand their message to the
// installed alert sink (standard error by default) and return.
#pragma once

// A message for the user with a caption, as the TGA decoder raises. `owner` and `type` are unused.
void MessageBox(void* owner, const char* text, const char* caption, int type);
// A loader's failure message; the caller then returns its own failure.
void ERRORCLOSE(const char* message);
