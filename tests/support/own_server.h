#pragma once
// A Firebird server of the test's own, beside the shared one: the same program on a free
// port of 127.0.0.1, with its own firebird.conf, security database (SYSDBA, kPassword) and
// lock folder, so that a test can give it a setting the shared server must not have, such
// as WireCrypt = Disabled. Killed at the end. POSIX only.
#include "data/firebird.h"
#include "support/background_process.h"
#include "support/temp_dir.h"

#include <memory>
#include <string>

namespace kalvora::test {

class OwnServer {
public:
    static constexpr const char* kPassword = "propia.2026";

    // wireCrypt: the server's WireCrypt (Disabled, Enabled or Required).
    explicit OwnServer(const std::string& wireCrypt);
    ~OwnServer();
    OwnServer(const OwnServer&) = delete;
    OwnServer& operator=(const OwnServer&) = delete;

    int port() const { return port_; }
    // A file of the server's own folder, and its location through this server.
    std::string file(const std::string& name) const { return dir_.file(name); }
    std::string location(const std::string& path) const;
    fb::AttachParams sysdba() const;

private:
    TempDir dir_;
    int port_ = 0;
    std::unique_ptr<ChildProcess> server_;
};

}  // namespace kalvora::test
