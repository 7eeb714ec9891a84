#pragma once
// No exception may unwind through user32. Every window procedure of the
// program runs behind a barrier that hands whatever it throws to the failure
// handler, and answers the message with 0.
#include <windows.h>

#include <exception>

namespace kronvik {

// Set once by the entry point, before its first window exists.
inline void (*failure_handler)(std::exception_ptr error) noexcept = nullptr;

template <auto Procedure>
struct BarrierOf;

template <typename... Args, LRESULT(CALLBACK* Procedure)(Args...)>
struct BarrierOf<Procedure> {
    static LRESULT CALLBACK Run(Args... args) {
        try {
            return Procedure(args...);
        } catch (...) {
            failure_handler(std::current_exception());
            return 0;
        }
    }
};

// A window procedure or subclass procedure behind the barrier.
template <auto Procedure>
inline constexpr auto Barrier = &BarrierOf<Procedure>::Run;

}  // namespace kronvik
