#include "platform/wayland/wayland_input.h"

#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>

#include "platform/wayland/proxy_release.h"

// One seat: its keyboard and pointer while it has them.
struct WaylandInput::Seat {
    uint32_t globalName = 0;
    wl_seat* seat = nullptr;
    wl_keyboard* keyboard = nullptr;
    wl_pointer* pointer = nullptr;
    WaylandInput* input = nullptr;

    ~Seat() {
        ReleaseKeyboard();
        ReleasePointer();
        ReleaseProxy(seat, WL_SEAT_RELEASE_SINCE_VERSION, wl_seat_release, wl_seat_destroy);
    }
    void ReleaseKeyboard() {
        ReleaseProxy(keyboard, WL_KEYBOARD_RELEASE_SINCE_VERSION, wl_keyboard_release,
                     wl_keyboard_destroy);
    }
    void ReleasePointer() {
        ReleaseProxy(pointer, WL_POINTER_RELEASE_SINCE_VERSION, wl_pointer_release,
                     wl_pointer_destroy);
    }
};

namespace {

WaylandInput* InputOf(void* data) {
    return static_cast<WaylandInput::Seat*>(data)->input;
}

// The keys themselves do not matter, so the keymap is not read; its descriptor is ours to close.
void Keymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) {
    close(fd);
}
void KeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void KeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void Key(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state) {
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED) InputOf(data)->KeyPressed();
}
void Modifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void RepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}

// Over our surfaces the pointer has no image: a saver shows no cursor.
void PointerEnter(void*, wl_pointer* pointer, uint32_t serial, wl_surface*, wl_fixed_t,
                  wl_fixed_t) {
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
}
void PointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) {}
void Motion(void* data, wl_pointer*, uint32_t, wl_fixed_t, wl_fixed_t) {
    InputOf(data)->PointerMoved();
}
void Button(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
    if (state == WL_POINTER_BUTTON_STATE_PRESSED) InputOf(data)->ButtonPressed();
}
void Axis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void Frame(void*, wl_pointer*) {}
void AxisSource(void*, wl_pointer*, uint32_t) {}
void AxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void AxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void AxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}

void Capabilities(void* data, wl_seat* seat, uint32_t capabilities) {
    static const wl_keyboard_listener keyboardListener = {Keymap, KeyboardEnter, KeyboardLeave,
                                                          Key,    Modifiers,     RepeatInfo};
    static const wl_pointer_listener pointerListener = {
        PointerEnter, PointerLeave, Motion,   Button,       Axis,
        Frame,        AxisSource,   AxisStop, AxisDiscrete, AxisValue120};
    auto* state = static_cast<WaylandInput::Seat*>(data);
    const bool hasKeyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    if (hasKeyboard && state->keyboard == nullptr) {
        state->keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(state->keyboard, &keyboardListener, state);
    } else if (!hasKeyboard) {
        state->ReleaseKeyboard();
    }
    const bool hasPointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    if (hasPointer && state->pointer == nullptr) {
        state->pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(state->pointer, &pointerListener, state);
    } else if (!hasPointer) {
        state->ReleasePointer();
    }
}
void SeatName(void*, wl_seat*, const char*) {}

}  // namespace

WaylandInput::WaylandInput(Clock& clock) : clock_(clock) {}

WaylandInput::~WaylandInput() = default;

void WaylandInput::AddSeat(uint32_t globalName, wl_seat* seat) {
    static const wl_seat_listener seatListener = {Capabilities, SeatName};
    auto state = std::make_unique<Seat>();
    state->globalName = globalName;
    state->seat = seat;
    state->input = this;
    wl_seat_add_listener(seat, &seatListener, state.get());
    seats_.push_back(std::move(state));
}

void WaylandInput::RemoveSeat(uint32_t globalName) {
    seats_.erase(std::remove_if(seats_.begin(), seats_.end(),
                                [&](const std::unique_ptr<Seat>& seat) {
                                    return seat->globalName == globalName;
                                }),
                 seats_.end());
}

void WaylandInput::ReleaseSeats() {
    seats_.clear();
}

void WaylandInput::PointerMoved() {
    if (armedAt_ >= 0.0 && clock_.Now() - armedAt_ >= kMotionGrace) returned_ = true;
}
