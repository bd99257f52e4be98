#pragma once
// The unattended sequence's steps without windows: the same sign-in, "Conectar" and
// "Enviar" the windows run, on the main window's components.
#include "app/batch/command_line.h"
#include "ctrlaccesoconta/sign_in.h"
#include "principalconta/destination_company.h"
#include "principalconta/transmission/preview.h"
#include "principalconta/transmission/repair.h"
#include "principalconta/transmission/transmission.h"
#include "principalconta/transmission/verify.h"
#include "principalconta/unattended.h"

#include <optional>

namespace kalvora {

class Componentes;
class Dialogs;
class Progress;

class BatchSteps : public UnattendedSteps {
public:
    // desde and hasta replace the sequence's dates (today) when given; the mode says what
    // "Enviar" becomes.
    BatchSteps(Componentes& c, Dialogs& dialogs, Progress& progress, std::optional<Date> desde,
               std::optional<Date> hasta, batch::BatchMode mode = batch::BatchMode::Send, bool dryRun = false,
               bool deleteExtra = false);

    void signIn(const std::string& servidor, const std::string& usuario, const std::string& clave) override;
    void showServer() override;
    void chooseCompany(const std::string& code) override;
    void connect() override;
    void setDateRange(const Date& desde, const Date& hasta) override;
    void send() override;

    // Set once the transmission has returned.
    const std::optional<TransmissionSummary>& summary() const { return summary_; }
    const std::optional<PreviewReport>& preview() const { return preview_; }
    const std::optional<VerifyReport>& verification() const { return verification_; }
    const std::optional<RepairOutcome>& repair() const { return repair_; }

private:
    Componentes& c_;
    Dialogs& dialogs_;
    Progress& progress_;
    SignIn signIn_;
    DestinationCompany destination_;
    std::string compania_;
    std::optional<Date> chosenDesde_;
    std::optional<Date> chosenHasta_;
    Date desde_;
    Date hasta_;
    batch::BatchMode mode_;
    bool dryRun_;
    bool deleteExtra_;
    std::optional<TransmissionSummary> summary_;
    std::optional<PreviewReport> preview_;
    std::optional<VerifyReport> verification_;
    std::optional<RepairOutcome> repair_;
};

}  // namespace kalvora
