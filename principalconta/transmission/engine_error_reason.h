#pragma once
// The destination's refusals that an accountant meets, told in plain Spanish with what to do
// next, from the engine's own text (the only thing a refused row brings back).
#include <string>

namespace kalvora {

struct EngineErrorReason {
    bool known = false;
    std::string reason;  // Windows-1252; "" when not known
    std::string advice;  // what to do next, always given
};

// What the advice asks to do again: send (the entry stays pending), or repair.
enum class Retry { Send, Repair };

EngineErrorReason explainEngineError(const std::string& engineText, Retry retry = Retry::Send);

}  // namespace kalvora
