#pragma once
// Everything the main window owns: connections, transactions, queries, row stores and the
// session values. The windows and the batch program drive the same instance.
#include "data/connection.h"
#include "data/destination.h"
#include "data/row_store.h"
#include "data/schema.h"
#include "principalconta/master_data_read_ahead.h"
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
    // What QCopia and QCopiadet open for a voucher, an account or a third party, read for the
    // next entries at once.
    VoucherReadAhead headersAhead{DbCia, Trcia, "comprobante_encabezado"};
    VoucherReadAhead linesAhead{DbCia, Trdet, "comprobante_detalle"};
    MasterDataReadAhead accountsAhead{DbCia, Trcia, schema::kTidoCuenta, "cuentas", "cuen_cod"};
    MasterDataReadAhead thirdPartiesAhead{DbCia, Trcia, schema::kTidoTercero, "terceros", "terc_nit"};
    // What Trcia has changed in the source since they were read: those read in it go.
    void forgetReadInTrcia()
    {
        headersAhead.forget();
        accountsAhead.forget();
        thirdPartiesAhead.forget();
    }

    // Session left by the sign-in; clave_sesion is scrambled.
    std::string usuario_sesion;
    std::string clave_sesion;
    std::string servidor_sesion;
    // Replication credentials of the last run.
    std::string usuario_replica;
    std::string clave_replica;

    // A voucher, account or third party copied by one statement where it can be; false copies
    // every one row by row, as that statement's fallback does: the same outcome in more round
    // trips.
    bool copiesInOneStatement = true;

    // The row stores whose errors the data error dialogs explain.
    std::vector<RowStore*> rowStores();
};

}  // namespace kalvora
