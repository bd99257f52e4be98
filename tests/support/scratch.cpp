#include "support/scratch.h"

#include "data/ddl.h"
#include "data/locations.h"

namespace kalvora::test {

fb::AttachParams embeddedUser()
{
    fb::AttachParams p;
    p.user = "SYSDBA";
    p.hasUser = true;
    p.forcedWrites = false;
    return p;
}

std::string createGeneralDatabase(const std::string& root)
{
    const std::string location = generalDatabaseLocation(root);
    ddl::createDatabase(location, embeddedUser(), ddl::generalDatabase());
    return location;
}

std::string createCompanyDatabase(const std::string& root, const std::string& code)
{
    const std::string location = companyDatabaseLocation(root, code);
    ddl::createDatabase(location, embeddedUser(), ddl::companyDatabase());
    return location;
}

void execute(const std::string& location, const std::vector<std::string>& statements)
{
    auto attachment = fb::Attachment::attach(location, embeddedUser());
    for (const auto& sql : statements)
        attachment->executeImmediate(sql);
    attachment->detach();
}

fb::Rows query(const std::string& location, const std::string& sql)
{
    auto attachment = fb::Attachment::attach(location, embeddedUser());
    fb::Rows rows;
    {
        fb::Transaction tr(*attachment);
        fb::Statement statement(*attachment, tr, sql);
        rows = statement.fetchAll(tr);
        tr.commit();
    }
    attachment->detach();
    return rows;
}

}  // namespace kalvora::test
