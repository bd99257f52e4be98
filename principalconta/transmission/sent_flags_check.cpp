#include "principalconta/transmission/sent_flags_check.h"

#include "base/text.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/commands.h"
#include "principalconta/transmission/run_steps.h"

#include <algorithm>

namespace kalvora {

StoredFlags readBackSentFlags(Componentes& c, const std::vector<std::int64_t>& audiIds)
{
    // Firebird takes at most 1500 values in one IN list.
    constexpr std::size_t kGroup = 1000;
    StoredFlags stored;
    connectSource(c);
    for (std::size_t start = 0; start < audiIds.size(); start += kGroup) {
        const std::size_t end = std::min(audiIds.size(), start + kGroup);
        std::string list;
        for (std::size_t i = start; i < end; ++i)
            list += (i > start ? ", " : "") + std::to_string(audiIds[i]);
        openSource(c.QCopia, "select count(*) from auditoria where audi_envio = 'S' and audi_id in (" + list + ")");
        const int sent = int(c.QCopia.field(0).asInteger());
        c.QCopia.close();
        stored.sent += sent;
        stored.pending += int(end - start) - sent;
    }
    c.DbCia.disconnect();
    return stored;
}

std::string failedFlagCommitMessage(const std::string& company, const std::string& commitError,
                                    const StoredFlags* stored, const std::string& recheckError)
{
    const std::string start = ansi("La compañía de origen ") + company +
                              ansi(" no confirmó que guardara cuáles entradas quedaron enviadas (") + commitError +
                              "). ";
    if (!stored)
        return start + ansi("Tampoco se pudo consultar después (") + recheckError +
               ansi("). Las entradas que no figuren enviadas en ella se enviarán en la próxima transmisión.");
    const int total = stored->sent + stored->pending;
    if (stored->pending == 0)
        return start + ansi("Consultada de nuevo, las ") + std::to_string(total) +
               ansi(" entradas figuran enviadas: quedaron guardadas.");
    if (stored->sent == 0)
        return ansi("No se pudo guardar en la compañía de origen ") + company +
               ansi(" cuáles entradas quedaron enviadas: ") + commitError +
               ansi(". Consultada de nuevo, ninguna de las ") + std::to_string(total) +
               ansi(" figura enviada. Esas entradas siguen pendientes y se enviarán en la próxima transmisión.");
    return start + ansi("Consultada de nuevo, ") + std::to_string(stored->sent) + " de las " + std::to_string(total) +
           ansi(" entradas figuran enviadas y ") + std::to_string(stored->pending) +
           ansi(" siguen pendientes; estas se enviarán en la próxima transmisión.");
}

}  // namespace kalvora
