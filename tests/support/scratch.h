#pragma once
// Scratch folders and databases for tests: embedded engine, files in a temporary folder.
#include "data/firebird.h"
#include "support/temp_dir.h"

#include <string>

namespace kalvora::test {

// Credentials the embedded engine accepts without a check.
fb::AttachParams embeddedUser();

// A server tree below root: root/datos/general.fdb and root/datos/CODE/kalvora.fdb.
std::string createGeneralDatabase(const std::string& root);
std::string createCompanyDatabase(const std::string& root, const std::string& code);

// Runs statements on an existing database in one committed transaction each.
void execute(const std::string& location, const std::vector<std::string>& statements);
// Reads every row of a select (fresh attachment, committed at once).
fb::Rows query(const std::string& location, const std::string& sql);

}  // namespace kalvora::test
