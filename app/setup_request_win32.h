#pragma once
// The installer, run by an administrator, asks every session's Kronvik to end
// (so that it can replace the exe) by creating a named event in the global
// namespace. Any user may create an object of that name, so only one owned by
// the Administrators group or by SYSTEM counts.
namespace kronvik {

inline constexpr const wchar_t* kSetupQuitEvent = L"Global\\Kronvik-Quit";

// True while an administrator's installer asks Kronvik to end.
bool SetupAsksToEnd();

}  // namespace kronvik
