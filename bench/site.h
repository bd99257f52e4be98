#pragma once
// Where a benchmark's databases live and how the program reaches them: the embedded engine
// in a folder of its own, or the server on 127.0.0.1, directly or through a relay.
#include "data/ddl.h"
#include "data/locations.h"
#include "support/relay.h"
#include "support/scratch.h"
#include "support/server.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kalvora::bench {

// Where the databases live and how they are reached.
class Site {
public:
    Site(bool server, bool forcedWrites, test::Relay* relay)
        : server_(server), forcedWrites_(forcedWrites), relay_(relay)
    {
        if (server_)
            test::shareWithServer(dir_.path());
    }

    const std::string& root() const { return dir_.path(); }
    // How the program reaches the folder: through the relay when there is one.
    std::string entry() const
    {
        return relay_ ? relay_->location(root()) : server_ ? test::serverLocation(root()) : root();
    }
    std::string reached(const std::string& path) const { return relay_ ? relay_->location(path) : path; }
    fb::AttachParams credentials() const
    {
        if (server_)
            return test::sysdba();
        fb::AttachParams params = test::embeddedUser();
        params.forcedWrites = forcedWrites_;
        return params;
    }
    std::string password() const { return server_ ? test::sysdbaPassword() : "masterkey"; }

    void createGeneral() const { create(generalDatabaseLocation(root()), ddl::generalDatabase()); }
    void createCompany(const std::string& code) const
    {
        create(companyDatabaseLocation(root(), code), ddl::companyDatabase());
    }
    // Where the bench itself fills and reads a company, bypassing the relay.
    std::string filled(const std::string& code) const
    {
        const std::string path = companyDatabaseLocation(root(), code);
        return server_ ? test::serverLocation(path) : path;
    }
    // Where the program reaches a company: through the relay when there is one.
    std::string company(const std::string& code) const { return companyDatabaseLocation(entry(), code); }

private:
    // The server creates the file, in folders it may write.
    void create(const std::string& path, const std::vector<std::string>& statements) const
    {
        const auto folder = std::filesystem::path(path).parent_path();
        std::filesystem::create_directories(folder);
        if (!server_) {
            ddl::createDatabase(path, credentials(), statements);
            return;
        }
        for (auto f = folder; f.string().size() > root().size(); f = f.parent_path())
            test::shareWithServer(f.string());
        test::createServerDatabase(path, statements);
    }

    bool server_;
    bool forcedWrites_;
    test::Relay* relay_;
    test::TempDir dir_;
};

}  // namespace kalvora::bench
