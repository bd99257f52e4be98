#include "support/destination_contents.h"

#include <algorithm>

namespace kalvora::test {

namespace {

fb::Rows rowsOf(fb::Attachment& attachment, const std::string& sql)
{
    fb::Transaction tr(attachment);
    fb::Rows rows;
    {
        fb::Statement statement(attachment, tr, sql);
        rows = statement.fetchAll(tr);
    }
    tr.commit();
    return rows;
}

}  // namespace

std::vector<std::string> destinationContents(const std::string& location, const fb::AttachParams& params)
{
    auto attachment = fb::Attachment::attach(location, params);
    std::vector<std::string> all;
    auto add = [&](const std::string& table, const std::string& sql, std::size_t keyColumn) {
        for (const auto& row : rowsOf(*attachment, sql).rows) {
            std::string text = table;
            for (std::size_t i = 0; i < row.size(); ++i)
                if (i != keyColumn)
                    text += row[i].isNull() ? std::string("|null") : "|" + row[i].asText();
            all.push_back(text);
        }
    };
    constexpr std::size_t none = std::size_t(-1);
    add("header", "select * from comprobante_encabezado", 0);
    add("line",
        "select e.tico_cod, e.prco_pref, e.enco_numero, d.* from comprobante_detalle d"
        " join comprobante_encabezado e on e.enco_consec = d.enco_consec",
        3);
    add("account", "select * from cuentas", none);
    add("third party", "select * from terceros", none);
    attachment->detach();
    std::sort(all.begin(), all.end());
    return all;
}

std::string sentFlags(const std::string& location, const fb::AttachParams& params)
{
    auto attachment = fb::Attachment::attach(location, params);
    std::string out;
    for (const auto& row : rowsOf(*attachment, "select audi_envio from auditoria order by audi_id").rows)
        out += row[0].asText();
    attachment->detach();
    return out;
}

}  // namespace kalvora::test
