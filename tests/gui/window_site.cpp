#include "window_site.h"

#include "base/text.h"
#include "data/locations.h"

#include <fstream>

namespace kalvora::test {

WindowSite::WindowSite() : site_(dir_.path())
{
    createGeneralDatabase(root());
    CompanyRows companies(general());
    // Any user the server accepts may read the lists, as the suite's installer grants.
    companies.execute("GRANT SELECT ON COMPANIA TO PUBLIC");
    companies.execute("GRANT SELECT ON USUARIO TO PUBLIC");
    companies.insert("COMPANIA", {{"COMP_COD", "DES"}, {"COM_NOMBRE", ansi("Contabilidad Consolidada S.A.")}});
    companies.insert("COMPANIA", {{"COMP_COD", "SEG"}, {"COM_NOMBRE", ansi("Segunda Compañía Ltda.")}});
    companies.insert("COMPANIA", {{"COMP_COD", "XYZ"}, {"COM_NOMBRE", ansi("Compañía sin base de datos")}});

    createCompanyDatabase(root(), "SEG");
    CompanyRows targets(destination());
    targets.execute("GRANT ALL ON REPLICA_CONTA TO PUBLIC");
    targets.execute("GRANT ALL ON REPLICA_CONTA_DETALLE TO PUBLIC");
    targets.target(1, ansi("Almacén Central"), "/srv/kalvora", "ALC", {"CE", "FV"});
    targets.target(2, "Sucursal Norte", "servidor2:/srv/kalvora", "SNO", {"NC"});
    CompanyRows others(second());
    others.execute("GRANT ALL ON REPLICA_CONTA TO PUBLIC");
    others.execute("GRANT ALL ON REPLICA_CONTA_DETALLE TO PUBLIC");
    others.target(7, "Otra fuente", "/srv/otra", "OTF");

    std::ofstream(dir_.file("SERVIDORES.cfg"), std::ios::binary) << root() << "\r\nservidor2:/srv/kalvora\r\n";
}

std::string WindowSite::general() const { return generalDatabaseLocation(root()); }

std::string WindowSite::second() const { return companyDatabaseLocation(root(), "SEG"); }

}  // namespace kalvora::test
