#include "support/relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <stdexcept>

namespace kalvora::test {

namespace {

using Clock = std::chrono::steady_clock;

void noDelay(int fd)
{
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

bool sendAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

}  // namespace

// One client connection: what arrives from either side is held for the delay, then passed on
// in order. An empty chunk stands for the end of that direction.
struct Relay::Link {
    struct Direction {
        int from;
        int to;
        bool fromClient;
        std::mutex mutex;
        std::condition_variable ready;
        std::deque<std::pair<Clock::time_point, std::string>> queue;
        std::thread reader;
        std::thread writer;
    };

    Link(Relay& relay, int client, int server)
        : relay_(relay), up_{client, server, true, {}, {}, {}, {}, {}}, down_{server, client, false, {}, {}, {}, {}, {}}
    {
        for (Direction* d : {&up_, &down_}) {
            d->reader = std::thread([this, d] { read(*d); });
            d->writer = std::thread([this, d] { write(*d); });
        }
    }

    ~Link()
    {
        ::shutdown(up_.from, SHUT_RDWR);
        ::shutdown(down_.from, SHUT_RDWR);
        for (Direction* d : {&up_, &down_}) {
            d->reader.join();
            d->writer.join();
        }
        ::close(up_.from);
        ::close(down_.from);
    }

    // A client turn is every packet the client sends until the server answers; the answer's
    // first packet closes the round trip.
    void read(Direction& d)
    {
        char buffer[65536];
        for (;;) {
            ssize_t n = ::recv(d.from, buffer, sizeof buffer, 0);
            if (n > 0 && !d.fromClient && relay_.cutArmed_.exchange(false)) {
                ::shutdown(up_.from, SHUT_RDWR);
                ::shutdown(down_.from, SHUT_RDWR);
                n = 0;
            }
            const auto due = Clock::now() + std::chrono::milliseconds(relay_.delayMs_);
            if (n > 0) {
                {
                    std::lock_guard kept(relay_.trafficMutex_);
                    relay_.traffic_.append(buffer, std::size_t(n));
                }
                std::lock_guard turn(turnMutex_);
                if (d.fromClient)
                    clientTurn_ = true;
                else if (clientTurn_) {
                    clientTurn_ = false;
                    ++relay_.roundTrips_;
                }
            }
            std::lock_guard lock(d.mutex);
            d.queue.emplace_back(due, n > 0 ? std::string(buffer, std::size_t(n)) : std::string());
            d.ready.notify_one();
            if (n <= 0)
                return;
        }
    }

    void write(Direction& d)
    {
        for (;;) {
            std::unique_lock lock(d.mutex);
            d.ready.wait(lock, [&] { return !d.queue.empty(); });
            const auto due = d.queue.front().first;
            if (Clock::now() < due) {
                d.ready.wait_until(lock, due);
                continue;
            }
            std::string chunk = std::move(d.queue.front().second);
            d.queue.pop_front();
            lock.unlock();
            if (chunk.empty() || !sendAll(d.to, chunk.data(), chunk.size())) {
                ::shutdown(d.to, SHUT_WR);
                return;
            }
        }
    }

    Relay& relay_;
    std::mutex turnMutex_;
    bool clientTurn_ = false;
    Direction up_;
    Direction down_;
};

Relay::Relay(int delayMs, int serverPort) : delayMs_(delayMs), serverPort_(serverPort)
{
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("the relay cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

Relay::~Relay()
{
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    ::close(listener_);
    std::lock_guard lock(linksMutex_);
    links_.clear();
}

std::string Relay::traffic() const
{
    std::lock_guard lock(trafficMutex_);
    return traffic_;
}

std::string Relay::location(const std::string& path) const { return "127.0.0.1/" + std::to_string(port_) + ":" + path; }

void Relay::acceptLoop()
{
    while (!stopping_) {
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0)
            return;
        const int server = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(std::uint16_t(serverPort_));
        if (server < 0 || ::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            if (server >= 0)
                ::close(server);
            ::close(client);
            continue;
        }
        noDelay(client);
        noDelay(server);
        std::lock_guard lock(linksMutex_);
        links_.push_back(std::make_unique<Link>(*this, client, server));
    }
}

}  // namespace kalvora::test
