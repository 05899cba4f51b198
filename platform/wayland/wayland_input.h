// What ends the saver from the user's side: any key, any button, and pointer motion once a
// short grace period has passed (the compositor may report motion when our surfaces appear
// under a resting pointer). The pointer is hidden over our surfaces.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "host/clock.h"

struct wl_seat;
struct wl_keyboard;
struct wl_pointer;

class WaylandInput {
  public:
    // Seconds after Arm() during which pointer motion is not taken as the user coming back.
    static constexpr double kMotionGrace = 1.0;

    explicit WaylandInput(Clock& clock);
    ~WaylandInput();
    WaylandInput(const WaylandInput&) = delete;
    WaylandInput& operator=(const WaylandInput&) = delete;

    // Follows the keyboard and pointer of a seat (takes ownership of the bound seat).
    void AddSeat(uint32_t globalName, wl_seat* seat);
    void RemoveSeat(uint32_t globalName);
    // Lets go of every seat (before the connection closes).
    void ReleaseSeats();
    // Starts the grace period; call when the saver first shows.
    void Arm() { armedAt_ = clock_.Now(); }
    // A key, a button or late enough motion has come.
    bool UserReturned() const { return returned_; }

    // What the input handlers do, apart from the protocol (public for the handlers).
    void KeyPressed() { returned_ = true; }
    void ButtonPressed() { returned_ = true; }
    void PointerMoved();

    // A seat's keyboard and pointer (defined beside the protocol handlers).
    struct Seat;

  private:
    Clock& clock_;
    std::vector<std::unique_ptr<Seat>> seats_;
    double armedAt_ = -1.0;
    bool returned_ = false;
};
