#include "app/setup_request_win32.h"

#include <windows.h>
#include <aclapi.h>

#include "platform/win32/handle_win32.h"

namespace kronvik {

bool SetupAsksToEnd() {
    const KernelHandle event(OpenEventW(SYNCHRONIZE | READ_CONTROL, FALSE, kSetupQuitEvent));
    if (!event) return false;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(event.get(), SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const bool trusted = owner != nullptr && (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                                              IsWellKnownSid(owner, WinLocalSystemSid));
    LocalFree(descriptor);
    return trusted;
}

}  // namespace kronvik
