// The layer shell's generated C header, for C++: one of its requests has an argument called
// "namespace", a C++ keyword, which is renamed while the header is read.
#pragma once

#include <wayland-client.h>

#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
