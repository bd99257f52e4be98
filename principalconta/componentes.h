#pragma once
// Everything the main window owns: connections, transactions, queries, row stores and the
// session values. The windows and the batch program drive the same instance.
#include "data/connection.h"
#include "data/destination.h"
#include "data/row_store.h"
#include "principalconta/voucher_read_ahead.h"

#include <string>

namespace kalvora {

class Componentes {
public:
    Componentes();
    Componentes(const Componentes&) = delete;
    Componentes& operator=(const Componentes&) = delete;

    // General database of the destination server (sign-in, company list).
    Connection DbGeneraldes;
    DirectTransaction TrGeneraldes{DbGeneraldes};
    DirectTransaction TrusuariosDes{DbGeneraldes};
    Query TCompaniades{DbGeneraldes, TrGeneraldes};
    Query QusuarioDes{DbGeneraldes, TrusuariosDes};

    // Destination company database and its row stores.
    DestinationConnection DBEnvio;
    RowStore CDestino;
    RowStore CIdfact;
    RowStore CBorrar;
    RowStore Creplicac;
    RowStore& CReplicadet;

    // The source company database of the target being transmitted.
    Connection DbCia;
    DirectTransaction Trcia{DbCia};
    DirectTransaction Trdet{DbCia};
    Query QAuditor{DbCia, Trcia};
    Query QCopia{DbCia, Trcia};
    Query QCopiadet{DbCia, Trdet};
    // What QCopia and QCopiadet open for a voucher, read for the next entries at once.
    VoucherReadAhead headersAhead{DbCia, Trcia, "comprobante_encabezado"};
    VoucherReadAhead linesAhead{DbCia, Trdet, "comprobante_detalle"};

    // Session left by the sign-in; clave_sesion is scrambled.
    std::string usuario_sesion;
    std::string clave_sesion;
    std::string servidor_sesion;
    // Replication credentials of the last run.
    std::string usuario_replica;
    std::string clave_replica;

    // A voucher copied by one statement where it can be; false copies every one row by
    // row, as that statement's fallback does, which gives the same outcome in more round trips.
    bool vouchersInOneStatement = true;

    // The row stores whose errors the data error dialogs explain.
    std::vector<RowStore*> rowStores();
};

}  // namespace kalvora
