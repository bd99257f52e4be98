#pragma once
// Where a server keeps its databases: plain concatenation, no trimming, no checks.
#include <string>

namespace kalvora {

inline std::string generalDatabaseLocation(const std::string& serverEntry)
{
    return serverEntry + "/" + "datos" + "/" + "general.fdb";
}

// The same rule serves the destination and every source company.
inline std::string companyDatabaseLocation(const std::string& serverEntry, const std::string& companyCode)
{
    return serverEntry + "/datos/" + companyCode + "/kalvora.fdb";
}

}  // namespace kalvora
