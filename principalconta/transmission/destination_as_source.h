#pragma once
// A target whose source is the destination itself would rewrite the consolidation's own
// vouchers. Two spellings of one server or path name the same database, so the databases
// are compared as the server knows them: its file name and the creation time.
namespace kalvora {

class Componentes;

// Whether DbCia, connected, is attached to the database DBEnvio is.
bool sourceIsDestination(Componentes& c);

}  // namespace kalvora
