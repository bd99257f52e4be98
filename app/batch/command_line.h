#pragma once
// The batch program's command line: the four arguments of the unattended run, the date
// range and the answer to the per-entry question.
#include "base/calendar.h"
#include "principalconta/unattended.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kalvora::batch {

// A command line that cannot be run; the text says why (Windows-1252, like all program text).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the batch does once connected: "Enviar", or only say what it would send, or compare
// the destination with its sources, or set right what that comparison finds.
enum class BatchMode { Send, Preview, Verify, Repair };

struct BatchOptions {
    bool help = false;
    bool version = false;
    BatchMode mode = BatchMode::Send;
    UnattendedArguments arguments;  // Windows-1252, as the sign-in boxes would hold them
    std::optional<Date> desde;      // today when not given
    std::optional<Date> hasta;
    bool continueOnError = true;  // the answer to "Error transmitiendo ... Continuar?"
    // The answer to "¿Continuar con las demás compañías de origen?" after a source that
    // could not be opened or read.
    bool continueOnUnreachable = true;
    // --repair: only print the plan; delete what only the destination holds.
    bool dryRun = false;
    bool deleteExtra = false;
};

// The password argument that stands for $KALVORA_PASSWORD.
inline constexpr const char* kPasswordFromEnvironment = "-";

// arguments: after the program's name, in UTF-8. environmentPassword: $KALVORA_PASSWORD.
// Throws UsageError.
BatchOptions parseCommandLine(const std::vector<std::string>& arguments,
                              const std::optional<std::string>& environmentPassword);

// --help's text, in Windows-1252.
std::string usage();

// Exit statuses.
inline constexpr int kExitAllSent = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitStopped = 2;
inline constexpr int kExitUsage = 64;
// --verify: nothing differs; some differences; it could not compare.
inline constexpr int kExitSame = 0;
inline constexpr int kExitDifferent = 1;
inline constexpr int kExitNotCompared = 2;
// --repair: the verification after it finds nothing; something is left; it stopped.
inline constexpr int kExitRepaired = 0;
inline constexpr int kExitLeft = 1;
inline constexpr int kExitRepairStopped = 2;

}  // namespace kalvora::batch
