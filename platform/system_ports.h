#pragma once
// Small ports for what the main window asks of the system once: the quit
// request message and the system's HTTP proxy.
#include <cstdint>
#include <string>

namespace kronvik {

// The quit request message, registered by name so that other programs can
// send it too.
class QuitRequest {
public:
    virtual ~QuitRequest() = default;
    // The message's number; 0 when it could not be registered.
    virtual uint32_t Register() = 0;
    // Posts it (wParam 0, lParam 0) to the program's own window; any thread.
    virtual void Post() = 0;
};

class SystemProxy {
public:
    virtual ~SystemProxy() = default;
    // 0 with host and port when the system has an HTTP proxy, -1 otherwise.
    virtual int Query(std::string& host, std::string& port) const = 0;
};

}  // namespace kronvik
