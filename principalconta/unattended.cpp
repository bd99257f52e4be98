#include "principalconta/unattended.h"

#include "settings/clock.h"

namespace kalvora {

std::optional<UnattendedArguments> unattendedArguments(const std::vector<std::string>& arguments)
{
    if (arguments.size() < 4 || arguments[3].empty())
        return std::nullopt;
    return UnattendedArguments{arguments[0], arguments[1], arguments[2], arguments[3]};
}

void runUnattended(const UnattendedArguments& arguments, UnattendedSteps& steps)
{
    steps.signIn(arguments.servidor, arguments.usuario, arguments.clave);
    steps.showServer();
    steps.chooseCompany(arguments.compania);
    steps.connect();
    const Date today = now().date;
    steps.setDateRange(today, today);
    steps.send();
}

}  // namespace kalvora
