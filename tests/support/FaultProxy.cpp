#include "tests/support/FaultProxy.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qvtest {
namespace {

sockaddr_in loopback(std::uint16_t port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

bool writeAll(int fd, const char* data, ssize_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size_t(size), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

FaultProxy::FaultProxy(std::uint16_t serverPort) : serverPort_(serverPort)
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in any = loopback(0);
    socklen_t length = sizeof any;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&any), &length) != 0)
        return;
    port_ = ntohs(any.sin_port);
    thread_ = std::thread([this] { loop(); });
}

FaultProxy::~FaultProxy()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    for (Pair& p : pairs_)
        closePair(p, false);
    if (listener_ >= 0)
        ::close(listener_);
}

void FaultProxy::arm(Fault fault, std::int64_t afterServerBytes)
{
    std::lock_guard lock(mutex_);
    armed_ = fault;
    faultAt_ = serverBytes_ + afterServerBytes;
    if (afterServerBytes == 0)
        active_ = fault;
}

void FaultProxy::heal()
{
    {
        std::lock_guard lock(mutex_);
        armed_ = active_ = Fault::None;
        healRequested_ = true;
    }
    // Returns once the old connections are gone, so a new one is never taken for one of them.
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::lock_guard lock(mutex_);
        if (!healRequested_)
            return;
    }
}

void FaultProxy::closePair(Pair& pair, bool reset)
{
    for (int* fd : {&pair.client, &pair.server}) {
        if (*fd < 0)
            continue;
        if (reset) { // as a killed process's sockets: a reset, not an orderly close
            const linger abortive{1, 0};
            ::setsockopt(*fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        }
        ::close(*fd);
        *fd = -1;
    }
}

// Relays what one side sent; false when that side is gone.
bool FaultProxy::relay(int from, int to, bool fromServer)
{
    char buffer[16384];
    ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
    if (n <= 0)
        return false;
    if (fromServer) {
        std::lock_guard lock(mutex_);
        if (armed_ != Fault::None && active_ == Fault::None) {
            // Only the bytes before the fault's moment get through.
            const std::int64_t room = faultAt_ - serverBytes_;
            if (room <= n) {
                n = ssize_t(std::max<std::int64_t>(room, 0));
                active_ = armed_;
            }
        }
        serverBytes_ += n;
    }
    return n == 0 || writeAll(to, buffer, n);
}

void FaultProxy::loop()
{
    while (!stop_) {
        Fault fault;
        {
            std::lock_guard lock(mutex_);
            fault = active_;
            if (healRequested_) {
                for (Pair& p : pairs_)
                    closePair(p, true);
                healRequested_ = false;
            }
        }
        if (fault == Fault::Kill)
            for (Pair& p : pairs_)
                closePair(p, true);
        std::erase_if(pairs_, [](const Pair& p) { return p.client < 0; });

        std::vector<pollfd> fds{{listener_, POLLIN, 0}};
        if (fault != Fault::Freeze)
            for (const Pair& p : pairs_) {
                fds.push_back({p.client, POLLIN, 0});
                fds.push_back({p.server, POLLIN, 0});
            }
        if (::poll(fds.data(), fds.size(), 20) <= 0)
            continue;
        if (fds[0].revents & POLLIN) {
            Pair p;
            p.client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (p.client >= 0) {
                if (fault == Fault::Kill) {
                    closePair(p, true);
                } else if (fault == Fault::Freeze) {
                    pairs_.push_back(p); // accepted by the kernel, never answered
                } else {
                    p.server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
                    const sockaddr_in server = loopback(serverPort_);
                    if (::connect(p.server, reinterpret_cast<const sockaddr*>(&server), sizeof server) == 0)
                        pairs_.push_back(p);
                    else
                        closePair(p, true);
                }
            }
        }
        for (std::size_t i = 1; i + 1 < fds.size(); i += 2) {
            Pair& p = pairs_[(i - 1) / 2];
            const bool clientReady = fds[i].revents & (POLLIN | POLLHUP | POLLERR);
            const bool serverReady = fds[i + 1].revents & (POLLIN | POLLHUP | POLLERR);
            if ((clientReady && !relay(p.client, p.server, false)) ||
                (serverReady && !relay(p.server, p.client, true)))
                closePair(p, false);
        }
    }
}

} // namespace qvtest
