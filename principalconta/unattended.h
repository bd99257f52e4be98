#pragma once
// The unattended run: four command-line arguments sign in, connect the destination
// company and transmit the entries of the current day, as a user would.
#include "base/calendar.h"

#include <optional>
#include <string>
#include <vector>

namespace kalvora {

struct UnattendedArguments {
    std::string servidor;  // server entry, as in SERVIDORES.cfg
    std::string usuario;
    std::string clave;     // in plain text
    std::string compania;  // destination COMP_COD
};

// The arguments after the program's name. A fourth argument that is present and not empty
// chooses the unattended run; any further ones are ignored.
std::optional<UnattendedArguments> unattendedArguments(const std::vector<std::string>& arguments);

// The controls and buttons the sequence works, in the windows or in a program without them.
// Each step raises the error that stops it.
class UnattendedSteps {
public:
    virtual ~UnattendedSteps() = default;
    // Fills the sign-in boxes and runs the sign-in attempt.
    virtual void signIn(const std::string& servidor, const std::string& usuario, const std::string& clave) = 0;
    // Shows the session's server entry, which lists its companies.
    virtual void showServer() = 0;
    // The company box's key, not checked against the list.
    virtual void chooseCompany(const std::string& code) = 0;
    virtual void connect() = 0;
    virtual void setDateRange(const Date& desde, const Date& hasta) = 0;
    virtual void send() = 0;
};

// Runs the steps in order; the first error ends the sequence and reaches the caller.
void runUnattended(const UnattendedArguments& arguments, UnattendedSteps& steps);

}  // namespace kalvora
