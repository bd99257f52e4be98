#pragma once
// The sign-in attempt: the destination server's own authentication decides, then the
// session is left in the main window's components.
#include "data/row_store.h"

#include <string>

namespace kalvora {

class Componentes;

// What the sign-in dialog's boxes hold, as typed.
struct SignInFields {
    std::string servidor;
    std::string usuario;
    std::string clave;
};

// The letters a to z in capitals; ñ, accented letters and everything else as typed.
std::string upperCaseAscii(const std::string& text);

// The sign-in dialog's data: its user lookup, over the main window's general database.
class SignIn {
public:
    explicit SignIn(Componentes& principal);
    SignIn(const SignIn&) = delete;
    SignIn& operator=(const SignIn&) = delete;

    // SpeedButton1Click without its notice: reconnects DbGeneraldes with the typed
    // credentials, stores the session and runs the user query. Throws the database's
    // error; the session changes only once the connection is made.
    void attempt(const SignInFields& fields);

    RowStore CusuarioDes;

private:
    Componentes& principal_;
};

}  // namespace kalvora
