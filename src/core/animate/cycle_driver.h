// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>

#include "core/animate/run_control.h"
#include "core/draw/drawing_surface.h"
#include "core/model/cycle_record.h"

// The endless animation as a state machine. Each advance() passes the freeze point of the step
// before (the window has handled its events by then) and runs the next step:
//
//   drawing_background ──► sweeping ──(stopp = 1)──► frozen ──(stopp = 0)──► sweeping
//                             │  ▲
//      (the sweep is complete)│  │(loopy = 1: Cls, the next cycle, its first step)
//                             ▼  │
//                           waiting ──(loopy = 1)──► (the same restart)
//
// Escape or a double click ends it from any state (ended).

namespace hcci {

enum class DriverState { drawing_background, sweeping, frozen, waiting, ended };

// Everything a driver knows between two steps, to go back to later.
struct DriverSnapshot {
    DriverState state = DriverState::drawing_background;
    SharedRecord record;
    int step = -1;  // the step that ran last; -1 before the first
    long readout = 0;
    long cycles = 0;
};

// Steps between two looks at the clock while steps are run as fast as they can be: a few
// hundred microseconds of drawing at any scale.
inline constexpr int steps_per_time_check = 64;

enum class Advance {
    stepped,  // a step ran; its pacing follows
    frozen,   // held at a freeze point until Space is pressed again
    waiting,  // the sweep is complete; held until Enter
    ended,
};

class CycleDriver {
public:
    // Every cycle is the recorded one (of parameters that passed check_parameters).
    CycleDriver(DrawingSurface& surface, RunControl& run, SharedRecord record);
    // The same, the cycle run here.
    CycleDriver(DrawingSurface& surface, RunControl& run, const EngineParameters& parameters = {});

    Advance advance();
    // Runs steps, without pacing, until step `step` of this cycle has run (from a fresh start:
    // the background and steps 0 to `step`), or until out_of_time() says so (asked every
    // steps_per_time_check steps). Returns whether it got there. A step this cycle has passed,
    // or cannot reach (frozen, waiting after the sweep, ended), is a logic error.
    bool run_to(
        int step, const std::function<bool()>& out_of_time = [] { return false; });
    // Escape or a double click: clear the drawing and end.
    void end_program();
    // Draws from now on onto another surface, which must already show this cycle's picture
    // (see CycleReplay).
    void set_surface(DrawingSurface& surface) { surface_ = &surface; }
    // Leaves the crown out of the steps from now on (for a picture that draws the crown's whole
    // history at once from the record's piston positions, draw_piston_history), or draws it
    // again.
    void leave_out_moving_parts(bool leave_out) { without_moving_parts_ = leave_out; }
    // Where the driver stands, and a return to it; the surface must then show the picture of
    // that moment. The run-control values are the window's and stay as they are.
    DriverSnapshot snapshot() const;
    void restore(const DriverSnapshot& snapshot);

    DriverState state() const { return now_.state; }
    // The step that ran last: its accumulated angle, index in the sweep (0 first; -1 before the
    // first, at the sweep's start angle and phase 0), phase, readout.
    double crank_angle() const;
    int step_index() const { return now_.step; }
    int phase() const;
    long readout() const { return now_.readout; }
    // Pacing counts the last step burns: none for the first step of a sweep, otherwise the whole
    // part of stepe as it is now, so that a pace key takes effect on the delay already running.
    double pacing() const;
    // Cycles begun so far.
    long cycles() const { return now_.cycles; }

    const CycleRecord& record() const { return *now_.record; }
    const SharedRecord& shared_record() const { return now_.record; }
    const EngineParameters& parameters() const { return now_.record->parameters; }
    const EngineGeometry& geometry() const { return now_.record->geometry; }

private:
    Advance pass_freeze_point();
    void begin_cycle();
    void restart();
    bool run_step();  // false once the sweep is complete

    DrawingSurface* surface_;
    bool without_moving_parts_ = false;
    RunControl& run_;
    DriverSnapshot now_;  // all it knows between two steps
};

}  // namespace hcci
