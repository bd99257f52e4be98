#pragma once
// The suite's tables, columns and code values that the program relies on.

namespace kalvora::schema {

inline constexpr const char* kCompania = "COMPANIA";
inline constexpr const char* kUsuario = "USUARIO";
inline constexpr const char* kAuditoria = "AUDITORIA";
inline constexpr const char* kComprobanteEncabezado = "COMPROBANTE_ENCABEZADO";
inline constexpr const char* kComprobanteDetalle = "COMPROBANTE_DETALLE";
inline constexpr const char* kCuentas = "CUENTAS";
inline constexpr const char* kTerceros = "TERCEROS";
inline constexpr const char* kConfiguracion = "CONFIGURACION";
inline constexpr const char* kReplicaConta = "REPLICA_CONTA";
inline constexpr const char* kReplicaContaDetalle = "REPLICA_CONTA_DETALLE";
inline constexpr const char* kCambieIdComproba = "cambie_id_comproba";

// Document types of AUDITORIA.TIDO_COD.
inline constexpr int kTidoComprobante = 1;
inline constexpr int kTidoCuenta = 100;
inline constexpr int kTidoTercero = 102;

// AUDI_OPER of a voucher deletion; AUDI_ENVIO pending and sent.
inline constexpr const char* kOperBorrado = "D";
inline constexpr const char* kEnvioPendiente = "N";
inline constexpr const char* kEnvioEnviado = "S";

// Positions in COMPROBANTE_ENCABEZADO that the copy relies on.
inline constexpr int kPosConsec = 0;
inline constexpr int kPosTipo = 1;
inline constexpr int kPosPrefijo = 2;
inline constexpr int kPosNumero = 3;
inline constexpr int kPosFecha = 4;
inline constexpr int kPosCero = 8;

// One CONFIGURACION row: module, category, property.
struct Setting {
    const char* modulo;
    const char* categoria;
    const char* propiedad;
};

inline constexpr Setting kFechaBloqueo{"CONTABILIDAD", "GENERAL", "FECHA DE BLOQUEO"};
inline constexpr Setting kUsuarioReplica{"INVENTARIO", "ARTICULOS", "NOMBRE DE USUARIO PARA REPLICACION DE ARTICULOS"};
inline constexpr Setting kClaveReplica{"INVENTARIO", "ARTICULOS", "CLAVE DE USUARIO PARA REPLICACION DE ARTICULOS"};

}  // namespace kalvora::schema
