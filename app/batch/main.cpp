// kalvora-envio-batch: the unattended run without windows, for schedulers and scripts.
#include "app/batch/batch_steps.h"
#include "app/batch/command_line.h"
#include "app/batch/process_text.h"
#include "base/text.h"
#include "ctrlaccesoconta/error_messages.h"
#include "data/date_text.h"
#include "principalconta/componentes.h"
#include "principalconta/data_error_dialogs.h"
#include "principalconta/transmission/summary_line.h"
#include "settings/regional_formats.h"
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
    BatchDialogs(Dialogs& boxes, std::ostream& out) : boxes_(boxes), out_(out) {}

    void message(const std::string& text) override { boxes_.message(text); }
    // The totals and the report's path follow the summary line.
    void concluded(const std::string& text, const std::string&, const std::string&) override
    {
        out_ << toUtf8(text) << '\n';
    }
    void error(const std::string& text) override { boxes_.error(text); }
    bool ask(const std::string& text) override { return boxes_.ask(text); }
    void beep() override { boxes_.beep(); }

private:
    Dialogs& boxes_;
    std::ostream& out_;
};

struct Outcome {
    bool completed = false;
    TransmissionSummary summary;
    std::optional<PreviewReport> preview;
    std::optional<VerifyReport> verification;
};

// The main window's components live exactly as long as the run: leaving here closes the
// connections and so commits the last target's sent flags, as the window's closing does.
Outcome transmit(const BatchOptions& options, Dialogs& dialogs, Progress& progress)
{
    Componentes componentes;
    ConfigurarProviders(componentes, dialogs);
    BatchSteps steps(componentes, dialogs, progress, options.desde, options.hasta, options.mode);
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
    if (detail.empty())
        dialogs.error(ansi("No se pudo escribir el detalle ") + kVerifyDetailFile);
    else
        std::cout << "Detalle: " << toUtf8(detail) << '\n';
    std::cout.flush();
    return report.differenceCount() > 0 ? kExitDifferent : kExitSame;
}

}  // namespace

int main(int argc, char* argv[])
{
    // The client names database files in the user's locale, as the window's toolkit does.
    std::setlocale(LC_CTYPE, "");
    const Utf8Console console;
    const ScopedDateText dateText(regionalFormats);
    BatchOptions options;
    try {
        options = parseCommandLine(commandLineArguments(argc, argv), environmentText("KALVORA_PASSWORD"));
    } catch (const UsageError& e) {
        std::cerr << "kalvora-envio-batch: " << toUtf8(e.what()) << "\n\n" << toUtf8(usage());
        return kExitUsage;
    }
    if (options.help) {
        std::cout << toUtf8(usage());
        return kExitAllSent;
    }
    if (options.version) {
        std::cout << "kalvora-envio-batch " KALVORA_VERSION "\n";
        return kExitAllSent;
    }

    const bool terminal = isatty(STDERR_FILENO) != 0;
    ConsoleDialogs boxes(std::cerr, terminal, options.continueOnError);
    BatchDialogs dialogs(boxes, std::cout);
    ConsoleProgress progress(std::cerr, terminal);

    const Outcome outcome = transmit(options, dialogs, progress);
    if (!outcome.completed)
        return options.mode == BatchMode::Verify ? kExitNotCompared : kExitStopped;
    if (outcome.preview) {
        print(previewText(*outcome.preview));
        std::cout.flush();
        return kExitAllSent;
    }
    if (outcome.verification)
        return reportVerification(*outcome.verification, dialogs);
    std::cout << toUtf8(summaryLine(outcome.summary)) << '\n';
    if (!outcome.summary.reportPath.empty())
        std::cout << "Informe: " << toUtf8(outcome.summary.reportPath) << '\n';
    std::cout.flush();
    return outcome.summary.failed > 0 ? kExitSomeFailed : kExitAllSent;
}
