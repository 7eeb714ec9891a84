#pragma once
// HTTP port for the time page exchange, shaped like WinINet: a session (the
// Internet handle) opens a URL and gives a response (the URL handle). Every
// call that waits for the network waits at most the time it is given and
// then gives up on the request.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kronvik {

enum class HttpHeader { Date, Age };

class HttpResponse {
public:
    virtual ~HttpResponse() = default;
    // Bytes read into buffer, as many as have arrived, waiting at most
    // wait_ms for the first of them; 0 at the end of the body, -1 on an
    // error or when the wait ran out.
    virtual int64_t Read(char* buffer, size_t size, int64_t wait_ms) = 0;
    // The status code, 0 when unknown.
    virtual uint32_t Status() = 0;
    // The text of a response header, nothing when the response has none.
    virtual std::optional<std::string> Header(HttpHeader header) = 0;
};

class HttpSession {
public:
    virtual ~HttpSession() = default;
    // Always from the server: nothing is taken from or kept in a cache, and
    // any proxy on the way is told not to answer from its own cache either.
    // Returns once the response's head has arrived; nullptr when the request
    // could not be made or was not answered within wait_ms.
    virtual std::unique_ptr<HttpResponse> OpenUrl(const std::string& url, int64_t wait_ms) = 0;
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    // A direct session when proxy is empty, else one through "host:port".
    // nullptr when no session can be made.
    virtual std::unique_ptr<HttpSession> Open(const std::string& agent, const std::string& proxy) = 0;
};

}  // namespace kronvik
