#pragma once
// A server folder the windows sign in to with the embedded engine: the general database
// with its companies, the destination company DES with replication targets, a second
// company SEG, SERVIDORES.cfg and the registry file that installs the program there.
#include "support/scratch.h"
#include "support/transmission_fixture.h"

#include <string>

namespace kalvora::test {

class WindowSite {
public:
    WindowSite();

    // The server entry: the folder itself, so that the embedded engine opens the files.
    const std::string& root() const { return dir_.path(); }
    std::string general() const;
    std::string destination() const { return site_.destination(); }
    std::string second() const;
    TransmissionSite& site() { return site_; }

private:
    TempDir dir_;
    TransmissionSite site_;
};

}  // namespace kalvora::test
