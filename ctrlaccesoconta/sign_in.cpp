#include "ctrlaccesoconta/sign_in.h"

#include "credentials/scrambler.h"
#include "data/locations.h"
#include "data/sql_text.h"
#include "principalconta/componentes.h"

#include <algorithm>

namespace kalvora {

std::string upperCaseAscii(const std::string& text)
{
    std::string out = text;
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
    return out;
}

SignIn::SignIn(Componentes& principal)
    : CusuarioDes("CusuarioDes", std::make_unique<DirectSource>(principal.DbGeneraldes, principal.TrusuariosDes),
                  {"PUsuarioDes", true, true}),
      principal_(principal)
{
    CusuarioDes.declareFields({{"USUA_NOMBRE", "USUA_NOMBRE"}});
}

void SignIn::attempt(const SignInFields& fields)
{
    Connection& general = principal_.DbGeneraldes;
    general.disconnect();
    general.setDatabase(generalDatabaseLocation(fields.servidor));
    general.setParam("User_Name", fields.usuario);
    general.setParam("password", fields.clave);
    general.connect();

    principal_.usuario_sesion = upperCaseAscii(fields.usuario);
    principal_.clave_sesion = encriptar(fields.clave);
    principal_.servidor_sesion = fields.servidor;

    // The row is not looked at: a user the server accepts is signed in, listed or not.
    CusuarioDes.close();
    CusuarioDes.setCommandText("select usua_nombre from usuario where usua_cod = " + quoted(principal_.usuario_sesion));
    CusuarioDes.open();
    CusuarioDes.close();
}

}  // namespace kalvora
