#pragma once

// A loopback TCP relay in front of a real server that can make the server look frozen
// (nothing more is relayed, connections stay open, as with a stopped process) or killed
// (every connection is reset and new ones are cut at once), now or once a number of bytes
// more have come from the server (in the middle of a login or a result). It runs on a thread
// of its own, so a driver call that blocks the test's thread still sees the fault.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace qvtest {

class FaultProxy
{
public:
    enum class Fault { None, Freeze, Kill };

    explicit FaultProxy(std::uint16_t serverPort);
    ~FaultProxy();
    FaultProxy(const FaultProxy&) = delete;
    FaultProxy& operator=(const FaultProxy&) = delete;

    // The port to connect to instead of the server's; 0 when the relay could not listen.
    std::uint16_t port() const { return port_; }

    // The fault starts once `afterServerBytes` more bytes have been relayed from the server.
    void arm(Fault fault, std::int64_t afterServerBytes = 0);
    // Back to relaying (the server "restarted"): frozen connections are reset.
    void heal();
    // Bytes relayed from the server so far.
    std::int64_t serverBytes() const { return serverBytes_; }

private:
    struct Pair
    {
        int client = -1;
        int server = -1;
    };
    void loop();
    void closePair(Pair& pair, bool reset);
    bool relay(int from, int to, bool fromServer);

    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::uint16_t serverPort_;
    std::vector<Pair> pairs_;
    std::mutex mutex_;
    Fault armed_ = Fault::None;
    Fault active_ = Fault::None;
    std::int64_t faultAt_ = 0;
    bool healRequested_ = false;
    std::atomic<std::int64_t> serverBytes_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace qvtest
