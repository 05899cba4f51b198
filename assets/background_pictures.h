// Ground pictures from files: a picture becomes a 512 x 512 texture, and a folder of pictures
// yields one chosen at random.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "assets/texture.h"

// Room for a picture's name or a joined path, the terminating NUL included.
constexpr std::size_t kPicturePathSize = 1024;
// Side of every ground texture made from a picture file.
constexpr int kPictureTextureSide = 512;

// Decodes the picture at `path` (through the installed image decoder) and uploads it as a
// 512 x 512 texture into `tex`; afterwards tex->width and tex->height hold the picture's own
// size. False, with `tex` untouched, when the picture cannot be decoded. Needs a current GL
// context.
bool loadPicFile(const char* path, Texture* tex);
// loadPicFile that says why a picture could not be loaded ("permission denied", "is not a
// picture (...)"), without the path, which the caller names once in its own message.
bool LoadPictureFile(const char* path, Texture* tex, std::string& reason);

// Number of entries of `folder` whose name is longer than `ext` and ends in `ext` exactly
// (case-sensitive; every kind of entry counts). 0 when the folder cannot be read.
int CountFiles(const char* folder, const char* ext);

// Copies into `name` (kPicturePathSize bytes) the name of the n-th entry, from 0 in directory
// order, that CountFiles would count.
bool FindNthFile(const char* folder, char* name, const char* ext, int n);

// Copies into `name` (kPicturePathSize bytes) the name of a ".jpg", ".gif" or ".png" entry of
// `folder`, every such entry with the same chance (drawn with rand()).
bool ChooseRandomImageFile(const char* folder, char* name);

// The names ChooseRandomImageFile chooses from, numbered as it numbers them: the ".jpg" entries in
// directory order, then the ".gif", then the ".png" ones. Empty when the folder cannot be read.
std::vector<std::string> ListPictureFiles(const char* folder);

// Joins a folder and a name inside it into `path` (kPicturePathSize bytes), adding a "/" when
// the folder does not end in one. False when the joined path does not fit.
bool JoinPicturePath(const char* folder, const char* name, char* path);

// Loads a picture chosen at random from `folder` into `tex` with loadPicFile.
bool LoadPicture(const char* folder, Texture* tex);
