// The OpenGL state a saver view gives the scene before its first frame: the viewport, smooth
// shading, a black clear colour, the depth test and colour material. The view sets it on every
// (re)initialisation; the headless renderer, the soak and the tests set it the same way.
#pragma once

void InitialiseViewGL(int width, int height);
