#include "platform/win32/network_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/win32/handle_win32.h"
#include "platform/win32/win32_text.h"

namespace kronvik {

namespace {

// Room for any NTP datagram with extension fields; longer ones are cut.
constexpr int kReceiveBuffer = 1024;

sockaddr_in Address(uint32_t address, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(address);
    return a;
}

using Socket = Owned<SOCKET, closesocket, INVALID_SOCKET>;

class Win32UdpSocket : public UdpSocket {
public:
    explicit Win32UdpSocket(Socket socket) : socket_(std::move(socket)) {}

    bool Bind(uint16_t port) override {
        const sockaddr_in local = Address(INADDR_ANY, port);
        return bind(socket_.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
    }

    bool SendTo(uint32_t address, uint16_t port, const uint8_t* data, size_t size) override {
        const sockaddr_in to = Address(address, port);
        return sendto(socket_.get(), reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
                      reinterpret_cast<const sockaddr*>(&to), sizeof to) == static_cast<int>(size);
    }

    Wait WaitReadable(int64_t timeout_ms) override {
        fd_set read_set;
        FD_ZERO(&read_set);
        FD_SET(socket_.get(), &read_set);
        timeval wait{};
        wait.tv_sec = static_cast<long>(timeout_ms / 1000);
        wait.tv_usec = static_cast<long>(timeout_ms % 1000 * 1000);
        const int ready = select(0, &read_set, nullptr, nullptr, &wait);
        if (ready == SOCKET_ERROR) return Wait::Failed;
        if (ready == 0 || !FD_ISSET(socket_.get(), &read_set)) return Wait::TimedOut;
        return Wait::Readable;
    }

    bool Receive(Datagram& out, bool& truncated) override {
        out.bytes.resize(kReceiveBuffer);
        sockaddr_in from{};
        int from_size = sizeof from;
        const int got = recvfrom(socket_.get(), reinterpret_cast<char*>(out.bytes.data()), kReceiveBuffer, 0,
                                 reinterpret_cast<sockaddr*>(&from), &from_size);
        truncated = got == SOCKET_ERROR && WSAGetLastError() == WSAEMSGSIZE;
        if (got == SOCKET_ERROR && !truncated) return false;
        out.bytes.resize(truncated ? kReceiveBuffer : static_cast<size_t>(got));
        out.address = ntohl(from.sin_addr.s_addr);
        out.port = ntohs(from.sin_port);
        return true;
    }

private:
    const Socket socket_;
};

}  // namespace

// Without WinSock, every exchange fails on its socket or its name.
Win32Network::Win32Network() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
}

Win32Network::~Win32Network() { WSACleanup(); }

std::unique_ptr<UdpSocket> Win32Network::OpenUdp() {
    Socket s(socket(AF_INET, SOCK_DGRAM, 0));
    if (!s) return nullptr;
    return std::make_unique<Win32UdpSocket>(std::move(s));
}

std::optional<uint32_t> Win32Network::ResolveIPv4(const std::string& host) {
    const std::wstring name = Wide(host);
    in_addr numeric{};
    if (InetPtonW(AF_INET, name.c_str(), &numeric) == 1) return ntohl(numeric.s_addr);
    ADDRINFOW hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    ADDRINFOW* found = nullptr;
    if (GetAddrInfoW(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    const uint32_t result = ntohl(address->sin_addr.s_addr);
    FreeAddrInfoW(found);
    return result;
}

}  // namespace kronvik
