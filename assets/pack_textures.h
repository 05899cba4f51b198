// Builds a GL texture from every image lump of a resource pack.
#pragma once

#include <string>
#include <vector>

#include "assets/texture.h"

// What became of the pictures of a pack.
struct PackPictures {
    bool opened = false;       // the pack could be opened and its directory read
    std::string problem;       // why it could not, or why the first damaged picture failed
    std::vector<int> damaged;  // image lumps whose texture could not be built, in order
};

// Opens the pack at `path` and builds texture n from lump n: TGA lumps with the lump's texture
// mode, JPEG lumps as they are; lumps of any other kind leave texture n empty (no pixels, name
// 0), and so does an image lump that is damaged: one broken picture costs that picture only.
// The array (one Texture per lump, from new[]) is stored in *textures and its length in *count as
// soon as the pack is open: the caller owns it from then on and delete[]s it. False, with the
// outputs untouched, when the pack cannot be opened. `outcome`, when given, says which pictures
// are damaged and why; the decoder's own alerts become that reason instead of messages of their
// own. Needs a current context.
bool LoadTexturesFromDataFile(const char* path, Texture** textures, int* count,
                              PackPictures* outcome = nullptr);

// Tries the image lumps `lumps` of the pack at `path` again, building texture n of `textures`
// (`count` entries) from lump n; lumps at or beyond `count` are left out. The result lists the
// lumps that still fail (all of them when the pack cannot be opened).
PackPictures ReloadPackPictures(const char* path, Texture* textures, int count,
                                const std::vector<int>& lumps);
