#pragma once
// The steps of the dialogs' time spins. A value is replaced, not taken modulo:
// past `ceiling` it starts again at `first`, below `floor` at `last`, so one
// stored by hand off the grid stays off it until it wraps.
#include <cstdint>

namespace kronvik {

struct SpinSteps {
    int32_t step, floor, ceiling, first, last;
};

inline constexpr SpinSteps kHourSpin{1, 0, 23, 0, 23};
// 57 up gives 0, 3 down gives 55.
inline constexpr SpinSteps kMinuteSpin{5, 0, 59, 0, 55};

inline int32_t Stepped(int32_t value, bool up, const SpinSteps& s) {
    if (up) return value + s.step > s.ceiling ? s.first : value + s.step;
    return value - s.step < s.floor ? s.last : value - s.step;
}

}  // namespace kronvik
