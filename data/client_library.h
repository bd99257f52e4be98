#pragma once
// Firebird's client library. On Windows fbclient.dll may be delay-loaded (see
// cmake/windows.cmake): looked for at the first call, and a missing one would end the
// process there.
namespace kalvora::fb {

// Loads the client library where it is loaded on demand; throws Error when it cannot be
// found. Nothing to do elsewhere.
void requireClientLibrary();

}  // namespace kalvora::fb
