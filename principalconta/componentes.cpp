#include "principalconta/componentes.h"

#include "base/text.h"

namespace kalvora {

namespace {

std::unique_ptr<RowSource> destination(DestinationConnection& c) { return std::make_unique<DestinationSource>(c); }

}  // namespace

Componentes::Componentes()
    : CDestino("CDestino", destination(DBEnvio), {"PDestino"}),
      // The key source may well write (a generator, a counter table).
      CIdfact("CIdfact", destination(DBEnvio), {"PIdfact", true, false, true}),
      CBorrar("CBorrar", destination(DBEnvio), {"PBorrar"}),
      Creplicac("Creplicac", destination(DBEnvio), {"PReplicaconta", false}),
      CReplicadet(Creplicac.addNested("CReplicadet", "SELECT * FROM REPLICA_CONTA_DETALLE WHERE RPCO_ID = :RPCO_ID",
                                      {{"RPCO_ID", "RPCO_ID"},
                                       {"RPCD_ITEM", "Item"},
                                       {"RPCD_PREF", "Prefijo"},
                                       {"RPCD_PROY", "Proyecto"},
                                       {"RPCD_CENTRO", "Centro"}}))
{
    Creplicac.setQueryText("SELECT * FROM REPLICA_CONTA");
    Creplicac.declareFields(
        {{"RPCO_ID", ansi("Cód")}, {"RPCO_NOMBRE", "Nombre"}, {"RPCO_SERVIDOR", "Servidor"}, {"RPCO_COD", "Cia"}});
    TCompaniades.addSql("SELECT * FROM COMPANIA ORDER BY COMP_COD");
}

std::vector<RowStore*> Componentes::rowStores() { return {&CDestino, &CIdfact, &CBorrar, &Creplicac, &CReplicadet}; }

}  // namespace kalvora
