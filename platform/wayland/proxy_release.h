// Letting go of a Wayland object that has a release request from some version on: newer
// compositors are told (release), older ones only see the object forgotten (destroy).
#pragma once

#include <wayland-client.h>

template <typename Proxy>
void ReleaseProxy(Proxy*& proxy, uint32_t releaseSince, void (*release)(Proxy*),
                  void (*destroy)(Proxy*)) {
    if (proxy == nullptr) return;
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(proxy)) >= releaseSince) {
        release(proxy);
    } else {
        destroy(proxy);
    }
    proxy = nullptr;
}
