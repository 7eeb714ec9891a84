#include "platform/win32/http_win32.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

#include "platform/win32/handle_win32.h"
#include "platform/win32/win32_text.h"

namespace kronvik {

namespace {

using Handle = Owned<HINTERNET, InternetCloseHandle>;

class Win32HttpResponse : public HttpResponse {
public:
    explicit Win32HttpResponse(HINTERNET url) : url_(url) {}

    void SetTimeout(uint32_t milliseconds) override {
        DWORD value = milliseconds;
        InternetSetOptionW(url_.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &value, sizeof value);
    }

    int64_t Read(char* buffer, size_t size) override {
        DWORD got = 0;
        if (!InternetReadFile(url_.get(), buffer, static_cast<DWORD>(size), &got)) return -1;
        return got;
    }

    uint32_t Status() override {
        DWORD status = 0;
        DWORD size = sizeof status;
        if (!HttpQueryInfoW(url_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                            nullptr))
            return 0;
        return status;
    }

    std::optional<std::string> Header(HttpHeader header) override {
        // As text: the system-time form of the Date query is off by the zone
        // offset under some WinINet versions.
        const DWORD query = header == HttpHeader::Date ? HTTP_QUERY_DATE : HTTP_QUERY_AGE;
        std::vector<wchar_t> buffer(128);
        for (int attempt = 0; attempt < 2; ++attempt) {
            DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
            if (HttpQueryInfoW(url_.get(), query, buffer.data(), &size, nullptr)) {
                return Narrow(std::wstring_view(buffer.data(), size / sizeof(wchar_t)));
            }
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
            buffer.resize(size / sizeof(wchar_t) + 1);
        }
        return std::nullopt;
    }

private:
    Handle url_;
};

class Win32HttpSession : public HttpSession {
public:
    explicit Win32HttpSession(HINTERNET internet) : internet_(internet) {}

    void SetTimeout(uint32_t milliseconds) override {
        DWORD value = milliseconds;
        for (const DWORD option :
             {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
            InternetSetOptionW(internet_.get(), option, &value, sizeof value);
    }

    std::unique_ptr<HttpResponse> OpenUrl(const std::string& url) override {
        constexpr DWORD kFromServer = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
        const HINTERNET handle =
            InternetOpenUrlW(internet_.get(), Wide(url).c_str(), nullptr, 0, kFromServer, 0);
        if (handle == nullptr) return nullptr;
        return std::make_unique<Win32HttpResponse>(handle);
    }

private:
    Handle internet_;
};

}  // namespace

std::unique_ptr<HttpSession> Win32HttpClient::Open(const std::string& agent, const std::string& proxy) {
    const std::wstring wide_proxy = Wide(proxy);
    const DWORD access = proxy.empty() ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PROXY;
    const HINTERNET internet =
        InternetOpenW(Wide(agent).c_str(), access, proxy.empty() ? nullptr : wide_proxy.c_str(), nullptr, 0);
    if (internet == nullptr) return nullptr;
    return std::make_unique<Win32HttpSession>(internet);
}

}  // namespace kronvik
