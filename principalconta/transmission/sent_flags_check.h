#pragma once
// What a source holds of sent flags whose commit failed: a commit can reach the server and
// its answer still be lost, so the flags are read back instead of guessed.
#include <cstdint>
#include <string>
#include <vector>

namespace kalvora {

class Componentes;

struct StoredFlags {
    int sent = 0;     // AUDI_ENVIO 'S'
    int pending = 0;  // any other value, or the entry gone
};

// Connects to the current target's source again and reads the flags of the given entries;
// leaves the source disconnected. Database errors propagate.
StoredFlags readBackSentFlags(Componentes& c, const std::vector<std::int64_t>& audiIds);

// What the user reads after the failed commit: what the source holds, or that it could not
// be asked (recheckError). company is "NAME (COD)".
std::string failedFlagCommitMessage(const std::string& company, const std::string& commitError,
                                    const StoredFlags* stored, const std::string& recheckError = {});

}  // namespace kalvora
