#pragma once
// HTTP port for the time page exchange, shaped like WinINet: a session (the
// Internet handle) opens a URL and gives a response (the URL handle).
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
    // Bounds the wait of each later read.
    virtual void SetTimeout(uint32_t milliseconds) = 0;
    // Bytes read into buffer; 0 at the end of the body, -1 on an error
    // (a time-out among them).
    virtual int64_t Read(char* buffer, size_t size) = 0;
    // The status code, 0 when unknown.
    virtual uint32_t Status() = 0;
    // The text of a response header, nothing when the response has none.
    virtual std::optional<std::string> Header(HttpHeader header) = 0;
};

class HttpSession {
public:
    virtual ~HttpSession() = default;
    // Bounds each wait of the session: connecting, sending, receiving.
    virtual void SetTimeout(uint32_t milliseconds) = 0;
    // Always from the server: nothing is taken from or kept in a cache, and
    // any proxy on the way is told not to answer from its own cache either.
    // nullptr when the request could not be made or answered.
    virtual std::unique_ptr<HttpResponse> OpenUrl(const std::string& url) = 0;
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    // A direct session when proxy is empty, else one through "host:port".
    // nullptr when no session can be made.
    virtual std::unique_ptr<HttpSession> Open(const std::string& agent, const std::string& proxy) = 0;
};

}  // namespace kronvik
