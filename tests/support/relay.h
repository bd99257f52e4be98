#pragma once
// A TCP relay on 127.0.0.1 in front of the Firebird server that makes it look far away: each
// direction is delayed by a fixed time, and the round trips are counted (a client turn of
// one or more packets that the server then answers), and every byte is kept. Tests pin round
// trips with it and look for clear text in what crossed; the transmission benchmark measures
// the run at a distance with it.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kalvora::test {

class Relay {
public:
    // Listens on a free port of 127.0.0.1 and forwards every connection to serverPort.
    explicit Relay(int delayMs = 0, int serverPort = 3050);
    ~Relay();
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    int port() const { return port_; }
    // The location of a file on the server, reached through the relay: "127.0.0.1/PORT:path".
    std::string location(const std::string& path) const;
    // Round trips of every connection so far.
    std::uint64_t roundTrips() const { return roundTrips_.load(); }
    // The next answer of the server is dropped and its connection cut both ways, as a link
    // lost after the request arrived leaves it.
    void cutAtNextAnswer() { cutArmed_ = true; }
    // Every byte of every connection so far, both directions, as it crossed.
    std::string traffic() const;

private:
    struct Link;
    void acceptLoop();

    int delayMs_;
    int serverPort_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<std::uint64_t> roundTrips_{0};
    std::atomic<bool> cutArmed_{false};
    std::thread acceptor_;
    mutable std::mutex trafficMutex_;
    std::string traffic_;
    std::mutex linksMutex_;
    std::vector<std::unique_ptr<Link>> links_;
};

}  // namespace kalvora::test
