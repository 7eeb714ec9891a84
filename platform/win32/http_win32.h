#pragma once
// The HTTP port over WinINet (wide calls).
#include "platform/http.h"

namespace kronvik {

class Win32HttpClient : public HttpClient {
public:
    std::unique_ptr<HttpSession> Open(const std::string& agent, const std::string& proxy) override;
};

}  // namespace kronvik
