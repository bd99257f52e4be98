#include "principalconta/transmission/selection.h"

#include "principalconta/transmission/sql_text.h"

namespace kalvora {

std::string selectionText(const Date& desde, const Date& hasta, const std::vector<std::string>& prefixes)
{
    std::string sql = "select * from auditoria where audi_envio = 'N' and ((tido_cod = 1) or (tido_cod = 100) or "
                      "(tido_cod = 102))";
    sql += " and audi_fecha >= " + quotedDate(desde) + " and audi_fecha <= " + quotedDate(hasta);
    if (!prefixes.empty()) {
        sql += " and (";
        for (std::size_t i = 0; i < prefixes.size(); ++i) {
            if (i > 0)
                sql += " or ";
            sql += "(substring(audi_cod from 1 for " + std::to_string(prefixes[i].size()) + ") = " +
                   quoted(prefixes[i]) + ")";
        }
        sql += ")";
    }
    // The key last: a voucher deleted and made again within one second keeps that order.
    return sql + "order by audi_fecha, audi_hora, audi_id";
}

}  // namespace kalvora
