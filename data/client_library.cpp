#include "data/client_library.h"

#ifdef _WIN32
#include "base/errors.h"
#include "base/text.h"

#include <windows.h>
#endif

namespace kalvora::fb {

void requireClientLibrary()
{
#ifdef _WIN32
    // Stays loaded for the rest of the process, as the delay-load helper would keep it.
    if (!LoadLibraryA("fbclient.dll"))
        throw Error(ansi("No se encontró la biblioteca cliente de Firebird (fbclient.dll)"));
#endif
}

}  // namespace kalvora::fb
