#include "support/server_site.h"

#include "data/ddl.h"
#include "principalconta/data_error_dialogs.h"

#include <filesystem>

namespace kalvora::test {

ServerSite::ServerSite()
{
    destination_ = createCompany(TransmissionSite::kDestination);
    CompanyRows rows(destination_, sysdba());
    rows.setting(schema::kUsuarioReplica, "SYSDBA");
    rows.setting(schema::kClaveReplica, sysdbaPassword());
}

std::string ServerSite::addSource(const std::string& code) { return createCompany(code); }

std::string ServerSite::createCompany(const std::string& code)
{
    const std::string folder = server_.path() + "/datos/" + code;
    std::filesystem::create_directories(folder);
    shareWithServer(server_.path() + "/datos");
    shareWithServer(folder);
    return createServerDatabase(folder + "/kalvora.fdb", ddl::companyDatabase());
}

std::unique_ptr<Componentes> ServerSite::connect(Dialogs& dialogs) const
{
    auto c = std::make_unique<Componentes>();
    ConfigurarProviders(*c, dialogs);
    c->DBEnvio.setParam("Database", destination_);
    c->DBEnvio.setParam("User_Name", "SYSDBA");
    c->DBEnvio.setParam("password", sysdbaPassword());
    c->DBEnvio.open();
    c->Creplicac.open();
    return c;
}

}  // namespace kalvora::test
