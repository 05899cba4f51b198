#include "platform/wayland/wayland_screens.h"

#include "platform/wayland/wayland_connection.h"

std::vector<ScreenInfo> WaylandScreens::List() {
    std::vector<ScreenInfo> screens;
    for (const auto& output : connection_.Outputs()) {
        if (!output->Ready() || output->Removed()) continue;
        screens.push_back(
            {int(output->GlobalName()), output->Logical(), screens.empty(), output->Name()});
    }
    return screens;
}
