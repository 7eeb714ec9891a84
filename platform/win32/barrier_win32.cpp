#include "platform/win32/barrier_win32.h"

namespace kronvik {

namespace {

FailureHandler failure_handler = nullptr;

}  // namespace

void SetFailureHandler(FailureHandler handler) { failure_handler = handler; }

void ProcedureFailed(std::exception_ptr error) noexcept { failure_handler(std::move(error)); }

}  // namespace kronvik
