#include "scheduling/credential_store.h"

namespace kalvora {

std::string credentialName(const std::string& company) { return "kalvora-envio/" + company; }

}  // namespace kalvora
