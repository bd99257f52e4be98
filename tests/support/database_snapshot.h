#pragma once
// Everything a database holds that a program could change, and the files of a folder, to
// compare before and after something that must not write.
#include "data/firebird.h"
#include "support/scratch.h"

#include <map>
#include <string>
#include <vector>

namespace kalvora::test {

// Every row of every user table (by table, sorted) and the value of every user generator.
std::vector<std::string> databaseSnapshot(const std::string& location, const fb::AttachParams& params = embeddedUser());

// The files directly in a folder, with their bytes.
std::map<std::string, std::string> folderSnapshot(const std::string& folder);

}  // namespace kalvora::test
