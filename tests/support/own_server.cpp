#include "support/own_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace kalvora::test {

namespace {

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(std::uint16_t(port));
    return address;
}

// A port nobody listens on now; the server takes it a moment later.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!bound)
        throw std::runtime_error("no free port on 127.0.0.1");
    return ntohs(address.sin_port);
}

bool listening(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = loopback(port);
    const bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

void write(const std::string& file, const std::string& text)
{
    std::ofstream out(file);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + file);
}

}  // namespace

OwnServer::OwnServer(const std::string& wireCrypt) : port_(freePort())
{
    const std::string security = dir_.file("security3.fdb");
    write(dir_.file("firebird.conf"), "RemoteServicePort = " + std::to_string(port_) +
                                          "\nRemoteBindAddress = 127.0.0.1\nWireCrypt = " + wireCrypt +
                                          "\nSecurityDatabase = " + security + "\n");
    std::filesystem::create_directory(dir_.file("lock"));
    // FIREBIRD names the folder of firebird.conf, for the server and for isql's embedded engine.
    const EnvironmentChanges environment{{"FIREBIRD", dir_.path()},
                                         {"FIREBIRD_LOCK", dir_.file("lock")},
                                         {"ISC_USER", std::nullopt},
                                         {"ISC_PASSWORD", std::nullopt}};
    write(dir_.file("security.sql"),
          "create database '" + security + "';\ncreate user SYSDBA password '" + kPassword + "';\ncommit;\n");
    const Finished made =
        runProgram("/usr/bin/isql-fb", {"-q", "-user", "SYSDBA", "-i", dir_.file("security.sql")}, environment);
    if (made.status != 0)
        throw std::runtime_error("cannot make the security database: " + made.err);
    server_ = std::make_unique<ChildProcess>("/usr/sbin/firebird", std::vector<std::string>{}, environment);
    for (int i = 0; i < 100 && !listening(port_); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!listening(port_))
        throw std::runtime_error("the test's own server does not listen on port " + std::to_string(port_));
}

OwnServer::~OwnServer() = default;

std::string OwnServer::location(const std::string& path) const
{
    return "127.0.0.1/" + std::to_string(port_) + ":" + path;
}

fb::AttachParams OwnServer::sysdba() const
{
    fb::AttachParams p;
    p.user = "SYSDBA";
    p.hasUser = true;
    p.password = kPassword;
    p.hasPassword = true;
    return p;
}

}  // namespace kalvora::test
