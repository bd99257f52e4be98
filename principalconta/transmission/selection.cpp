#include "principalconta/transmission/selection.h"

#include "data/sql_text.h"

namespace kalvora {

std::string selectionText(const Date& desde, const Date& hasta, const std::vector<std::string>& prefixes)
{
    std::string sql = "select * from auditoria where audi_envio = 'N' and ((tido_cod = 1) or (tido_cod = 100) or "
                      "(tido_cod = 102))";
    sql += " and " + dateCondition("audi_fecha", desde, hasta);
    if (!prefixes.empty())
        sql += " and " + prefixCondition("audi_cod", prefixes);
    // The key last: a voucher deleted and made again within one second keeps that order.
    return sql + "order by audi_fecha, audi_hora, audi_id";
}

std::string dateCondition(const std::string& column, const Date& desde, const Date& hasta)
{
    return column + " >= " + quotedDate(desde) + " and " + column + " <= " + quotedDate(hasta);
}

std::string prefixCondition(const std::string& code, const std::vector<std::string>& prefixes)
{
    if (prefixes.empty())
        return {};
    std::string condition = "(";
    for (std::size_t i = 0; i < prefixes.size(); ++i) {
        if (i > 0)
            condition += " or ";
        condition += "(substring(" + code + " from 1 for " + std::to_string(prefixes[i].size()) +
                     ") = " + quoted(prefixes[i]) + ")";
    }
    return condition + ")";
}

}  // namespace kalvora
