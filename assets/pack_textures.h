// Builds a GL texture from every image lump of a resource pack.
#pragma once

#include "assets/texture.h"

// Opens the pack at `path` and builds texture n from lump n: TGA lumps with the lump's texture
// mode, JPEG lumps as they are; lumps of any other kind leave texture n empty (no pixels, name 0).
// The array (one Texture per lump, from new[]) is stored in *textures and its length in *count as
// soon as the pack is open: the caller owns it from then on and delete[]s it, even after a false
// result. False when the pack cannot be opened or any image lump fails; needs a current context.
bool LoadTexturesFromDataFile(const char* path, Texture** textures, int* count);
