// kalvora-envio-batch: the unattended run without windows, for schedulers and scripts.
#include "app/batch/batch_steps.h"
#include "app/batch/command_line.h"
#include "app/batch/process_text.h"
#include "app/batch/schedule_command.h"
#include "base/text.h"
#include "ctrlaccesoconta/error_messages.h"
#include "data/date_text.h"
#include "data/wire_encryption.h"
#include "principalconta/componentes.h"
#include "principalconta/data_error_dialogs.h"
#include "principalconta/transmission/stop_request.h"
#include "principalconta/transmission/summary_line.h"
#include "principalconta/transmission/unreachable_source.h"
#include "settings/regional_formats.h"
#include "settings/unencrypted_wire.h"
#include "ui/console_dialogs.h"
#include "ui/console_progress.h"

#include <unistd.h>

#include <clocale>
#include <iostream>
#include <optional>

using namespace kalvora;
using namespace kalvora::batch;

namespace {

// The completion message is the program's result and goes to standard output; every other
// box is a diagnostic for standard error.
class BatchDialogs : public Dialogs {
public:
    BatchDialogs(Dialogs& boxes, std::ostream& out, bool continueOnUnreachable)
        : boxes_(boxes), out_(out), continueOnUnreachable_(continueOnUnreachable)
    {
    }

    void message(const std::string& text) override { boxes_.message(text); }
    // The totals and the report's path follow the summary line.
    void concluded(const std::string& text, const std::string&, const std::string&) override
    {
        out_ << toUtf8(text) << '\n';
    }
    void error(const std::string& text) override { boxes_.error(text); }
    // The question after a source that could not be reached has an answer of its own.
    bool ask(const std::string& text) override
    {
        if (text != continueWithOtherSources())
            return boxes_.ask(text);
        boxes_.message(text + " " + (continueOnUnreachable_ ? ansi("Sí") : std::string("No")));
        return continueOnUnreachable_;
    }
    void beep() override { boxes_.beep(); }

private:
    Dialogs& boxes_;
    std::ostream& out_;
    bool continueOnUnreachable_;
};

struct Outcome {
    bool completed = false;
    TransmissionSummary summary;
    std::optional<PreviewReport> preview;
    std::optional<VerifyReport> verification;
    std::optional<RepairOutcome> repair;
};

// The main window's components live exactly as long as the run: leaving here closes the
// connections and so commits the last target's sent flags, as the window's closing does.
Outcome transmit(const BatchOptions& options, Dialogs& dialogs, Progress& progress)
{
    Componentes componentes;
    ConfigurarProviders(componentes, dialogs);
    BatchSteps steps(componentes, dialogs, progress, options.desde, options.hasta, options.mode, options.dryRun,
                     options.deleteExtra);
    const bool ran = runGuarded(dialogs, [&] { runUnattended(options.arguments, steps); });
    Outcome outcome;
    if (steps.summary()) {
        outcome.summary = *steps.summary();
        outcome.completed = ran && outcome.summary.concluded;
    }
    if (steps.preview()) {
        outcome.preview = steps.preview();
        outcome.completed = ran && outcome.preview->completed;
    }
    if (steps.verification()) {
        outcome.verification = steps.verification();
        outcome.completed = ran && outcome.verification->completed;
    }
    if (steps.repair()) {
        outcome.repair = steps.repair();
        outcome.completed = ran && (options.dryRun ? outcome.repair->verified : outcome.repair->completed);
    }
    return outcome;
}

void print(const std::vector<std::string>& lines)
{
    for (const auto& line : lines)
        std::cout << toUtf8(line) << '\n';
}

// The summary on standard output, the detail in the installation directory.
int reportVerification(const VerifyReport& report, Dialogs& dialogs)
{
    print(verifySummary(report));
    const std::string detail = writeVerifyDetail(dialogs, report);
    if (!detail.empty())
        std::cout << "Detalle: " << toUtf8(detail) << '\n';
    std::cout.flush();
    return report.differenceCount() > 0 ? kExitDifferent : kExitSame;
}

std::string repairCounts(const RepairOutcome& repair)
{
    return "reparados " + std::to_string(repair.counts.repaired) + ", con error " +
           std::to_string(repair.counts.failed) + ", protegidos por la fecha de bloqueo " +
           std::to_string(repair.counts.protectedByLock);
}

void printReportPath(const std::string& path)
{
    if (!path.empty())
        std::cout << "Informe: " << toUtf8(path) << '\n';
}

// The plan of a dry run, or both verifications around the repair and its counts.
int reportRepair(const BatchOptions& options, const Outcome& outcome, Dialogs& dialogs)
{
    const RepairOutcome& repair = *outcome.repair;
    if (options.dryRun) {
        print(verifySummary(repair.before));
        print(repairPlanText(repair.plan));
        std::cout.flush();
        return repair.before.differenceCount() > 0 ? kExitLeft : kExitRepaired;
    }
    std::cout << toUtf8(ansi("Verificación antes de reparar:")) << '\n';
    print(verifySummary(repair.before));
    std::cout << toUtf8(ansi("Plan de reparación: ") + planCounts(repair.plan)) << '\n';
    if (!outcome.completed) {
        std::cout << toUtf8((repair.interrupted ? ansi("Reparación interrumpida: ") : ansi("Reparación detenida: ")) +
                            repairCounts(repair))
                  << '\n';
        printReportPath(repair.reportPath);
        std::cout.flush();
        return kExitRepairStopped;
    }
    std::cout << toUtf8(ansi("Reparación: ") + repairCounts(repair)) << '\n';
    print(unreachableLines(repair.unreachable));
    std::cout << toUtf8(ansi("Verificación después de reparar:")) << '\n';
    const int status = reportVerification(repair.after, dialogs);
    printReportPath(repair.reportPath);
    std::cout.flush();
    if (!repair.unreachable.empty())
        return kExitRepairStopped;
    return status == kExitSame ? kExitRepaired : kExitLeft;
}

}  // namespace

int main(int argc, char* argv[])
{
    // The client names database files in the user's locale, as the window's toolkit does.
    std::setlocale(LC_CTYPE, "");
    const Utf8Console console;
    const ScopedDateText dateText(regionalFormats);
    const ScopedWireEncryption wire(unencryptedWireAllowed);
    BatchOptions options;
    try {
        const std::vector<std::string> arguments = commandLineArguments(argc, argv);
        if (const auto request = parseScheduleCommandLine(arguments))
            return runScheduleRequest(*request, environmentText("KALVORA_PASSWORD"));
        options = parseCommandLine(arguments, environmentText("KALVORA_PASSWORD"));
        takeStoredPassword(options.arguments);
    } catch (const UsageError& e) {
        std::cerr << "kalvora-envio-batch: " << toUtf8(e.what()) << "\n"
                  << "Use --help para ver la forma de uso.\n";
        return kExitUsage;
    }
    if (options.help) {
        std::cout << toUtf8(usage() + scheduleUsage());
        return kExitAllSent;
    }
    if (options.version) {
        std::cout << "kalvora-envio-batch " KALVORA_VERSION "\n";
        return kExitAllSent;
    }

    watchStopRequests();
    const bool terminal = isatty(STDERR_FILENO) != 0;
    ConsoleDialogs boxes(std::cerr, terminal, options.continueOnError);
    BatchDialogs dialogs(boxes, std::cout, options.continueOnUnreachable);
    ConsoleProgress progress(std::cerr, terminal);

    const Outcome outcome = transmit(options, dialogs, progress);
    if (outcome.summary.interrupted) {
        std::cout << toUtf8(interruptedLine(outcome.summary)) << '\n';
        if (!outcome.summary.reportPath.empty())
            std::cout << "Informe: " << toUtf8(outcome.summary.reportPath) << '\n';
        std::cout.flush();
        return kExitStopped;
    }
    if (outcome.repair && outcome.repair->verified)
        return reportRepair(options, outcome, dialogs);
    if (!outcome.completed)
        return options.mode == BatchMode::Verify ? kExitNotCompared : kExitStopped;
    if (outcome.preview) {
        print(previewText(*outcome.preview));
        print(unreachableLines(outcome.preview->unreachable));
        std::cout.flush();
        return outcome.preview->unreachable.empty() ? kExitAllSent : kExitStopped;
    }
    if (outcome.verification)
        return reportVerification(*outcome.verification, dialogs);
    std::cout << toUtf8(summaryLine(outcome.summary)) << '\n';
    print(unreachableLines(outcome.summary.unreachable));
    if (!outcome.summary.reportPath.empty())
        std::cout << "Informe: " << toUtf8(outcome.summary.reportPath) << '\n';
    std::cout.flush();
    if (!outcome.summary.unreachable.empty())
        return kExitStopped;
    return outcome.summary.failed > 0 ? kExitSomeFailed : kExitAllSent;
}
