#include "platform/win32/http_win32.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/win32/handle_win32.h"
#include "platform/win32/win32_text.h"

namespace kronvik {

namespace {

using Handle = Owned<HINTERNET, InternetCloseHandle>;

// A request given up on runs on inside WinINet until one of WinINet's own
// waits ends; they are bounded as the exchange is.
constexpr DWORD kOperationTimeoutMs = 10000;

// What WinINet reports about one request. The handles are asynchronous, so
// that no wait lasts longer than it was given; but a call given up on goes
// on inside WinINet, which may report on it, and write the byte count of a
// query, long after the exchange closed its handles. So the state lives
// until WinINet says the request's handle is gone.
struct RequestState {
    std::mutex mutex;
    std::condition_variable completed;
    bool done = false;
    INTERNET_ASYNC_RESULT result{};
    HINTERNET request = nullptr;  // the URL handle, once WinINet made it
    DWORD available = 0;          // written by a query, perhaps after it was given up on
};

// The states by the context number their request carries.
class RequestStates {
public:
    static RequestStates& Get() {
        // Never destroyed: WinINet's threads may report until the process ends.
        static RequestStates* const states = new RequestStates;
        return *states;
    }

    std::pair<DWORD_PTR, std::shared_ptr<RequestState>> Add() {
        std::lock_guard lock(mutex_);
        const DWORD_PTR context = ++next_;
        return {context, states_[context] = std::make_shared<RequestState>()};
    }
    std::shared_ptr<RequestState> Find(DWORD_PTR context) {
        std::lock_guard lock(mutex_);
        const auto it = states_.find(context);
        return it == states_.end() ? nullptr : it->second;
    }
    void Remove(DWORD_PTR context) {
        std::lock_guard lock(mutex_);
        states_.erase(context);
    }

private:
    std::mutex mutex_;
    DWORD_PTR next_ = 0;
    std::map<DWORD_PTR, std::shared_ptr<RequestState>> states_;
};

void CALLBACK OnStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info, DWORD) {
    const std::shared_ptr<RequestState> state = RequestStates::Get().Find(context);
    if (!state) return;
    const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(info);
    std::unique_lock lock(state->mutex);
    if (status == INTERNET_STATUS_HANDLE_CREATED) {
        // The URL handle is the last one made: any connection handle comes first.
        state->request = reinterpret_cast<HINTERNET>(result->dwResult);
    } else if (status == INTERNET_STATUS_REQUEST_COMPLETE) {
        state->result = *result;
        state->done = true;
        state->completed.notify_all();
    } else if (status == INTERNET_STATUS_HANDLE_CLOSING && handle == state->request) {
        lock.unlock();
        RequestStates::Get().Remove(context);
    }
}

// Readies the state for the next call.
void Expect(RequestState& state) {
    std::lock_guard lock(state.mutex);
    state.done = false;
}

// Waits for the call that went pending; false when wait_ms ran out first.
bool Await(RequestState& state, int64_t wait_ms, INTERNET_ASYNC_RESULT& result) {
    std::unique_lock lock(state.mutex);
    if (!state.completed.wait_for(lock, std::chrono::milliseconds(std::max<int64_t>(wait_ms, 0)),
                                  [&] { return state.done; }))
        return false;
    result = state.result;
    return true;
}

class Win32HttpResponse : public HttpResponse {
public:
    Win32HttpResponse(HINTERNET url, DWORD_PTR context, std::shared_ptr<RequestState> state)
        : url_(url), context_(context), state_(std::move(state)) {}

    int64_t Read(char* buffer, size_t size, int64_t wait_ms) override {
        const int64_t deadline = static_cast<int64_t>(GetTickCount64()) + wait_ms;
        DWORD available = 0;
        for (;;) {
            Expect(*state_);
            if (InternetQueryDataAvailable(url_.get(), &state_->available, 0, 0)) {
                available = state_->available;
                break;
            }
            INTERNET_ASYNC_RESULT result{};
            if (GetLastError() != ERROR_IO_PENDING ||
                !Await(*state_, deadline - static_cast<int64_t>(GetTickCount64()), result) || !result.dwResult)
                return -1;
            // Something arrived, or the body ended: asked again, the query answers at once.
        }
        if (available == 0) return 0;
        INTERNET_BUFFERSA buffers{};
        buffers.dwStructSize = sizeof buffers;
        buffers.lpvBuffer = buffer;
        buffers.dwBufferLength = static_cast<DWORD>(std::min<size_t>(size, available));
        // Only what has arrived, so the read never goes pending with our
        // buffer. The A form: the bytes are the same, and some WinINet
        // versions lack the W form.
        if (!InternetReadFileExA(url_.get(), &buffers, IRF_NO_WAIT, context_)) return -1;
        return buffers.dwBufferLength;
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
    DWORD_PTR context_;
    std::shared_ptr<RequestState> state_;
};

class Win32HttpSession : public HttpSession {
public:
    explicit Win32HttpSession(HINTERNET internet) : internet_(internet) {
        std::tie(context_, state_) = RequestStates::Get().Add();
    }
    ~Win32HttpSession() override {
        internet_.reset();
        // Without a URL handle WinINet holds nothing of this request's.
        bool made = false;
        {
            std::lock_guard lock(state_->mutex);
            made = state_->request != nullptr;
        }
        if (!made) RequestStates::Get().Remove(context_);
    }

    std::unique_ptr<HttpResponse> OpenUrl(const std::string& url, int64_t wait_ms) override {
        constexpr DWORD kFromServer = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
        Expect(*state_);
        HINTERNET handle = InternetOpenUrlW(internet_.get(), Wide(url).c_str(), nullptr, 0, kFromServer, context_);
        if (handle == nullptr) {
            INTERNET_ASYNC_RESULT result{};
            if (GetLastError() != ERROR_IO_PENDING) return nullptr;
            if (!Await(*state_, wait_ms, result)) {
                GiveUp();
                return nullptr;
            }
            handle = reinterpret_cast<HINTERNET>(result.dwResult);
            if (handle == nullptr) return nullptr;
        }
        return std::make_unique<Win32HttpResponse>(handle, context_, state_);
    }

private:
    // Closing the URL handle ends the request as soon as WinINet's own wait
    // does; one not made yet goes with the Internet handle.
    void GiveUp() {
        HINTERNET request = nullptr;
        {
            std::lock_guard lock(state_->mutex);
            request = state_->request;
        }
        if (request != nullptr) InternetCloseHandle(request);
    }

    Handle internet_;
    DWORD_PTR context_ = 0;
    std::shared_ptr<RequestState> state_;
};

}  // namespace

std::unique_ptr<HttpSession> Win32HttpClient::Open(const std::string& agent, const std::string& proxy) {
    const std::wstring wide_proxy = Wide(proxy);
    const DWORD access = proxy.empty() ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PROXY;
    Handle internet(InternetOpenW(Wide(agent).c_str(), access, proxy.empty() ? nullptr : wide_proxy.c_str(), nullptr,
                                  INTERNET_FLAG_ASYNC));
    if (!internet || InternetSetStatusCallbackW(internet.get(), OnStatus) == INTERNET_INVALID_STATUS_CALLBACK)
        return nullptr;
    DWORD timeout = kOperationTimeoutMs;
    for (const DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        InternetSetOptionW(internet.get(), option, &timeout, sizeof timeout);
    return std::make_unique<Win32HttpSession>(internet.release());
}

}  // namespace kronvik
