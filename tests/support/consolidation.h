#pragma once
// Two branch companies consolidated into the destination, with one entry of every kind the
// preview tells apart. Built on any engine: the locations and credentials are the caller's.
//
// Target 1 "Sucursal Norte" (S01, no prefixes; its lines' debit is NUMERIC(18,6), so the copy
// rounds it): CE000001 of a closed month, CE000002 that the destination holds already,
// CE000003 to CE000007, CE000003 again, account 110505, third party 800123, the deletion of
// CE000050 (in the destination) and of CE000077 (not there), and an entry whose voucher the
// source has lost. Target 2 "Sucursal Sur" (S02, prefix FV): FV000001, and CE000100 that its
// prefix leaves out. Everything dated kDay, the lock date 2026/12/05.
#include "base/calendar.h"
#include "data/firebird.h"

#include <string>
#include <vector>

namespace kalvora::test {

struct Consolidation {
    static constexpr Date kDay{2026, 12, 9};
    static constexpr const char* kLockDate = "2026/12/05";
    static constexpr const char* kNorth = "S01";
    static constexpr const char* kSouth = "S02";
    // Entries each target's selection takes.
    static constexpr int kNorthEntries = 13;
    static constexpr int kSouthEntries = 1;

    // Creates both sources below servidor (the server entry of their targets), and writes
    // the destination's targets, lock date and rows. The destination database must exist.
    static void build(const std::string& servidor, const std::string& destination, const fb::AttachParams& params);
    // The source's location below servidor; on a server, servidor is "host:/path".
    static std::string source(const std::string& servidor, const std::string& code);

    // Statements that, run on the destination after a transmission of kDay, leave one
    // difference of every kind with Sucursal Norte: CE000002's header, a line of CE000003
    // changed, of CE000004 missing, of CE000005 extra, CE000006 missing, CE000090 only in
    // the destination, CE000007 moved into the closed month, account 110505 renamed and
    // third party 800123 deleted.
    static std::vector<std::string> everyKindOfDifference();
};

}  // namespace kalvora::test
