#pragma once
// A server folder for transmissions through the real server on 127.0.0.1: a destination
// company and source companies created through the server from the project's DDL, the
// destination's replication credentials SYSDBA's, the program installed in that folder, and
// the main window's components signed in and connected the way "Conectar" leaves them.
#include "principalconta/componentes.h"
#include "support/server.h"
#include "support/transmission_fixture.h"
#include "ui/dialogs.h"

#include <memory>
#include <string>

namespace kalvora::test {

class ServerSite {
public:
    ServerSite();

    // The server entry of its targets: "127.0.0.1:" + the folder.
    std::string servidor() const { return serverLocation(server_.path()); }
    const std::string& destination() const { return destination_; }
    std::string addSource(const std::string& code);
    const TransmissionSite& installation() const { return site_; }

    std::unique_ptr<Componentes> connect(Dialogs& dialogs) const;

private:
    std::string createCompany(const std::string& code);

    ServerDir server_;
    TransmissionSite site_{server_.path(), TransmissionSite::Databases::Existing};
    std::string destination_;
};

}  // namespace kalvora::test
