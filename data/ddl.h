#pragma once
// The project's own DDL for test and demo databases: the suite's tables with at least
// the columns, order and types the program relies on.
#include "data/firebird.h"

#include <string>
#include <vector>

namespace kalvora::ddl {

// COMPANIA and USUARIO.
const std::vector<std::string>& generalDatabase();
// AUDITORIA, vouchers, accounts, third parties, CONFIGURACION, replication targets and
// cambie_id_comproba over a generator (first key 100001).
const std::vector<std::string>& companyDatabase();

// Creates the database (and its folder) and runs the statements, each committed.
void createDatabase(const std::string& location, const fb::AttachParams& params,
                    const std::vector<std::string>& statements);

}  // namespace kalvora::ddl
