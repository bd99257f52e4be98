#include "app/batch/batch_steps.h"

namespace kalvora {

BatchSteps::BatchSteps(Componentes& c, Dialogs& dialogs, Progress& progress, std::optional<Date> desde,
                       std::optional<Date> hasta, batch::BatchMode mode, bool dryRun, bool deleteExtra)
    : c_(c), dialogs_(dialogs), progress_(progress), signIn_(c), destination_(c), chosenDesde_(desde),
      chosenHasta_(hasta), mode_(mode), dryRun_(dryRun), deleteExtra_(deleteExtra)
{
}

void BatchSteps::signIn(const std::string& servidor, const std::string& usuario, const std::string& clave)
{
    signIn_.attempt({servidor, usuario, clave});
}

// The list itself is not shown, but reading it fails as it would in the window.
void BatchSteps::showServer() { destination_.SerDes1Change(); }

void BatchSteps::chooseCompany(const std::string& code) { compania_ = code; }

void BatchSteps::connect() { destination_.AdvGlowButton2Click(compania_); }

void BatchSteps::setDateRange(const Date& desde, const Date& hasta)
{
    desde_ = chosenDesde_.value_or(desde);
    hasta_ = chosenHasta_.value_or(hasta);
}

void BatchSteps::send()
{
    switch (mode_) {
    case batch::BatchMode::Send:
        summary_ = SpeedButton1Click(c_, dialogs_, progress_, compania_, desde_, hasta_);
        break;
    case batch::BatchMode::Preview:
        preview_ = vistaPrevia(c_, dialogs_, progress_, compania_, desde_, hasta_);
        break;
    case batch::BatchMode::Verify:
        verification_ = verificar(c_, dialogs_, progress_, compania_, desde_, hasta_);
        break;
    case batch::BatchMode::Repair:
        repair_ = reparar(c_, dialogs_, progress_, compania_, desde_, hasta_, deleteExtra_, dryRun_);
        break;
    }
}

}  // namespace kalvora
