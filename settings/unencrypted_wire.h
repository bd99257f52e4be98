#pragma once
// The program's own choice to connect to servers that do not encrypt the wire: the DWORD
// value ConexionSinCifrar of HKEY_LOCAL_MACHINE\Software\Kalvora\Envio (apart from the
// suite's key). 1 allows them; missing, or anything else, requires encryption.
namespace kalvora {

// Read afresh on each call, from the registry's 64-bit view, or else from its 32-bit view.
bool unencryptedWireAllowed();

}  // namespace kalvora
