#include "principalconta/destination_company.h"

#include "credentials/scrambler.h"
#include "data/locations.h"
#include "principalconta/componentes.h"

namespace kalvora {

std::vector<Company> DestinationCompany::SerDes1Change()
{
    Query& list = c_.TCompaniades;
    if (!list.isOpen())
        list.open();
    list.fetchAll();
    std::vector<Company> companies;
    for (list.first(); !list.eof(); list.next())
        companies.push_back({list.field("COMP_COD").asText(), list.field("COM_NOMBRE").asText()});
    list.first();
    return companies;
}

void DestinationCompany::AdvGlowButton2Click(const std::string& companyCode)
{
    c_.DBEnvio.close();
    const std::string location = companyDatabaseLocation(c_.servidor_sesion, companyCode);
    c_.DBEnvio.setParam("Database", location);
    c_.DBEnvio.setParam("User_Name", c_.usuario_sesion);
    c_.DBEnvio.setParam("password", desencriptar(c_.clave_sesion));
    c_.DBEnvio.open();

    if (c_.Creplicac.active() && targetsLoadedFrom_ != location) {
        c_.Creplicac.close();
        targetsLoadedFrom_.clear();
    }
    if (!c_.Creplicac.active()) {
        c_.Creplicac.open();
        targetsLoadedFrom_ = location;
    }
}

}  // namespace kalvora
