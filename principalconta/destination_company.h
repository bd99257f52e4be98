#pragma once
// The main window's hold on the destination: the companies of the signed-in server and
// the connection to one of them ("Conectar").
#include <string>
#include <vector>

namespace kalvora {

class Componentes;

struct Company {
    std::string code;  // COMP_COD
    std::string name;  // COM_NOMBRE
};

class DestinationCompany {
public:
    explicit DestinationCompany(Componentes& c) : c_(c) {}

    // SerDes1Change: opens TCompaniades (an open list is not read again) and returns its rows.
    std::vector<Company> SerDes1Change();

    // AdvGlowButton2Click: reopens DBEnvio on the company's database with the session's
    // credentials and loads the replication targets. Targets already loaded from the same
    // database are kept with their unsaved edits; those of another company are reloaded.
    // On failure DBEnvio stays closed and the targets as they were.
    void AdvGlowButton2Click(const std::string& companyCode);

private:
    Componentes& c_;
    std::string targetsLoadedFrom_;
};

}  // namespace kalvora
