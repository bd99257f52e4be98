#include "principalconta/transmission/verify.h"

#include "base/text.h"
#include "data/destination.h"
#include "data/schema.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/commands.h"
#include "principalconta/transmission/copy_comparison.h"
#include "principalconta/transmission/csv_line.h"
#include "principalconta/transmission/journal_file.h"
#include "principalconta/transmission/journals.h"
#include "principalconta/transmission/lock_date.h"
#include "principalconta/transmission/master_data_replication.h"
#include "principalconta/transmission/run_steps.h"
#include "principalconta/transmission/selection.h"
#include "principalconta/transmission/voucher_replication.h"
#include "settings/installation.h"
#include "settings/regional_formats.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

namespace kalvora {

namespace {

using namespace schema;
using Row = std::vector<Value>;

// DECO_ITEM: a line's number within its voucher, which matches lines between databases.
constexpr int kPosLineItem = 1;

// Vouchers one select looks for, each by type, prefix and number.
constexpr std::size_t kVouchersPerProbe = 50;
// Keys in one select of source lines: well inside the engine's limit on a list.
constexpr std::size_t kKeysPerLineRead = 500;

std::string trimmed(std::string text)
{
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

Row currentRow(const Query& q)
{
    Row row;
    row.reserve(q.fieldCount());
    for (std::size_t i = 0; i < q.fieldCount(); ++i)
        row.push_back(q.field(i));
    return row;
}

Row currentRow(RowStore& store)
{
    Row row;
    row.reserve(std::size_t(store.fieldCount()));
    for (int i = 0; i < store.fieldCount(); ++i)
        row.push_back(store.field(i).value());
    return row;
}

const Value kNull;

// Column i of a row; null past its end, as a source with fewer columns gives nothing.
const Value& at(const Row& row, std::size_t i) { return i < row.size() ? row[i] : kNull; }

// The position of a column in what q yields, as the engine names the columns of a "select *";
// past any row's end when q has none of that name.
std::size_t columnOf(const Query& q, const char* name)
{
    for (std::size_t i = 0; i < q.fieldCount(); ++i)
        if (q.column(i).name == name)
            return i;
    return std::size_t(-1);
}

VerifyDifference difference(const std::string& target, const char* kind, std::string key, std::string column = "",
                            std::string source = "", std::string destination = "")
{
    VerifyDifference d;
    d.target = target;
    d.kind = ansi(kind);
    d.key = std::move(key);
    d.column = std::move(column);
    d.source = std::move(source);
    d.destination = std::move(destination);
    return d;
}

// Where a voucher header holds its date and total in one database.
struct HeaderColumns {
    std::size_t fecha;
    std::size_t total;
};

void describe(VerifyDifference& d, const Row& header, HeaderColumns columns)
{
    d.fecha = at(header, columns.fecha).asText();
    d.total = at(header, columns.total).asText();
}

// A voucher header as either database holds it.
struct Voucher {
    explicit Voucher(Row values) : header(std::move(values))
    {
        tipo = trimmed(at(header, kPosTipo).asText());
        prefijo = trimmed(at(header, kPosPrefijo).asText());
        numero = trimmed(at(header, kPosNumero).asText());
        identity = tipo + '\x1f' + prefijo + '\x1f' + numero;
        key = at(header, kPosConsec).asInteger();
    }
    std::string shown() const { return "Comprobante " + tipo + " " + prefijo + numero; }
    VerifySubject subject(std::int64_t sourceKey) const
    {
        return {VerifySubject::Kind::Voucher, tipo, prefijo, numero, {}, sourceKey};
    }

    Row header;
    std::string tipo;
    std::string prefijo;
    std::string numero;
    std::string identity;  // type, prefix and number: the voucher between databases
    std::int64_t key = 0;  // ENCO_CONSEC in its own database
};

// The destination's lines, kept in its row store, found by their header's key.
struct LineBlock {
    int first = 0;
    int count = 0;
};

class Verification {
public:
    Verification(Componentes& c, const RunContext& run, const Date& desde, const Date& hasta, VerifyReport& report)
        : c_(c), fechaBloqueo_(run.fecha_bloqueo), shortDate_(run.shortDate), desde_(desde), hasta_(hasta),
          report_(report)
    {
    }

    void target(const std::vector<std::string>& prefixes)
    {
        prefixes_ = prefixes;
        vouchers();
        masterData();
    }

    // A destination voucher is only left over when no target's source holds it.
    void finish()
    {
        std::unordered_set<std::string> reported;
        for (auto& [targetIndex, voucher, fecha, columns] : leftOver_) {
            if (sourceIdentities_.count(voucher.identity) || !reported.insert(voucher.identity).second)
                continue;
            VerifyDifference& d =
                add(report_.targets[targetIndex], isLocked(fecha) ? verify_kind::kLocked : verify_kind::kExtra,
                    voucher.shown(), "", fecha);
            describe(d, voucher.header, columns);
            d.subject = voucher.subject(0);
        }
    }

private:
    std::string range(const std::string& table) const
    {
        std::string condition = dateCondition(table + "ENCO_FECHA", desde_, hasta_);
        if (!prefixes_.empty())
            condition += " and " + prefixCondition(table + "PRCO_PREF || " + table + "ENCO_NUMERO", prefixes_);
        return condition;
    }

    // The run's own test, so that what it would refuse to change is reported apart.
    bool isLocked(const std::string& fecha) const { return protectedByLockDate(fecha, fechaBloqueo_, shortDate_); }

    VerifyTarget& summary() { return report_.targets.back(); }
    const std::string& targetName() const { return report_.targets.back().name; }

    VerifyDifference& record(VerifyTarget& target, VerifyDifference d)
    {
        if (d.kind == ansi(verify_kind::kLocked))
            ++target.locked;
        else
            ++target.differences;
        return report_.differences.emplace_back(std::move(d));
    }

    VerifyDifference& add(VerifyTarget& target, const char* kind, std::string key, std::string source,
                          std::string destination)
    {
        return record(target,
                      difference(target.name, kind, std::move(key), "", std::move(source), std::move(destination)));
    }

    // source(i) and destination(i) give column i of each row.
    template <typename Source, typename Destination>
    void compareRows(const std::string& key, const Source& source, const Destination& destination,
                     const std::vector<FieldDef>& fields, CopyPath path, const std::vector<int>& skipped,
                     std::vector<VerifyDifference>& out) const
    {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (std::find(skipped.begin(), skipped.end(), int(i)) != skipped.end())
                continue;
            if (!sameAsCopied(fields[i], source(i), destination(i), path))
                out.push_back(difference(targetName(), verify_kind::kDifferent, key, fields[i].name, source(i).asText(),
                                         destination(i).asText()));
        }
    }

    void compareRows(const std::string& key, const Row& source, const Row& destination,
                     const std::vector<FieldDef>& fields, CopyPath path, const std::vector<int>& skipped,
                     std::vector<VerifyDifference>& out) const
    {
        compareRows(
            key, [&](std::size_t i) -> const Value& { return at(source, i); },
            [&](std::size_t i) -> const Value& { return at(destination, i); }, fields, path, skipped, out);
    }

    void vouchers()
    {
        openSource(c_.QCopia, "select * from comprobante_encabezado where " + range("") +
                                  " order by tico_cod, prco_pref, enco_numero");
        const HeaderColumns sourceColumns{std::size_t(kPosFecha), columnOf(c_.QCopia, "ENCO_TOTAL")};
        std::vector<Voucher> source;
        for (; !c_.QCopia.eof(); c_.QCopia.next())
            source.emplace_back(currentRow(c_.QCopia));
        c_.QCopia.close();
        summary().vouchers = int(source.size());

        openDestination(c_.CDestino, "SELECT * FROM COMPROBANTE_ENCABEZADO WHERE " + range(""));
        const std::vector<FieldDef> headerFields = c_.CDestino.fields();
        const int dateField = c_.CDestino.fieldIndex("ENCO_FECHA");
        // -1 when absent: past any row's end.
        const HeaderColumns destinationColumns{std::size_t(dateField),
                                               std::size_t(c_.CDestino.fieldIndex("ENCO_TOTAL"))};
        std::vector<Voucher> destination;
        for (c_.CDestino.first(); !c_.CDestino.eof(); c_.CDestino.next())
            destination.emplace_back(currentRow(c_.CDestino));
        std::unordered_map<std::string, std::size_t> byIdentity;
        for (std::size_t j = 0; j < destination.size(); ++j)
            byIdentity.emplace(destination[j].identity, j);

        // A copy the destination dates outside the range is still the same voucher. Looked
        // for in groups: a branch that joins with its history has thousands missing.
        std::vector<const Voucher*> absent;
        std::unordered_set<std::string> asked;
        for (const auto& v : source) {
            sourceIdentities_.insert(v.identity);
            if (!byIdentity.count(v.identity) && asked.insert(v.identity).second)
                absent.push_back(&v);
        }
        std::string outside;
        for (std::size_t first = 0; first < absent.size(); first += kVouchersPerProbe) {
            std::string condition;
            for (std::size_t i = first; i < std::min(absent.size(), first + kVouchersPerProbe); ++i)
                condition += (i > first ? " OR (" : "(") +
                             voucherCondition(absent[i]->tipo, absent[i]->prefijo, absent[i]->numero) + ")";
            openDestination(c_.CDestino, "SELECT * FROM COMPROBANTE_ENCABEZADO WHERE " + condition);
            for (c_.CDestino.first(); !c_.CDestino.eof(); c_.CDestino.next()) {
                Voucher found(currentRow(c_.CDestino));
                // The first copy the destination gives, as for one voucher alone.
                if (!asked.count(found.identity) || byIdentity.count(found.identity))
                    continue;
                outside += " or H.ENCO_CONSEC = " + std::to_string(found.key);
                byIdentity.emplace(found.identity, destination.size());
                destination.push_back(std::move(found));
            }
        }

        c_.CDestino.close();
        // The lines straight from the destination connection, as a row store reads them but
        // without its buffer of changes: they are only compared.
        lines_ = c_.DBEnvio.select("SELECT D.* FROM COMPROBANTE_DETALLE D JOIN COMPROBANTE_ENCABEZADO H"
                                   " ON H.ENCO_CONSEC = D.ENCO_CONSEC WHERE (" +
                                       range("H.") + ")" + outside + " ORDER BY D.ENCO_CONSEC",
                                   {}, false);
        std::vector<FieldDef> lineFields;
        for (const auto& column : lines_.columns)
            lineFields.push_back(fieldDefFor(column));
        std::unordered_map<std::int64_t, LineBlock> blocks;
        for (int r = 0; r < int(lines_.rows.size()); ++r) {
            const std::int64_t key = at(lines_.rows[std::size_t(r)], kPosConsec).asInteger();
            ++blocks.try_emplace(key, LineBlock{r, 0}).first->second.count;
        }

        std::vector<std::vector<VerifyDifference>> found(source.size());
        std::vector<int> match(source.size(), -1);
        std::vector<bool> matched(destination.size(), false);
        std::unordered_map<std::int64_t, std::size_t> bySourceKey;
        std::unordered_map<std::string, std::int64_t> sourceKeys;  // of the vouchers the destination holds
        for (std::size_t i = 0; i < source.size(); ++i) {
            bySourceKey.emplace(source[i].key, i);
            const auto j = byIdentity.find(source[i].identity);
            if (j == byIdentity.end()) {
                found[i].push_back(difference(targetName(), verify_kind::kMissing, source[i].shown(), "",
                                              at(source[i].header, kPosFecha).asText()));
                continue;
            }
            match[i] = int(j->second);
            matched[j->second] = true;
            sourceKeys.emplace(source[i].identity, source[i].key);
            compareRows(source[i].shown(), source[i].header, destination[j->second].header, headerFields,
                        CopyPath::AsIs, {kPosConsec, kPosCero}, found[i]);
        }

        std::vector<bool> linesSeen(source.size(), false);
        const auto compareSourceLines = [&](const std::string& select) {
            openSource(c_.QCopiadet, select);
            while (!c_.QCopiadet.eof()) {
                const std::int64_t key = c_.QCopiadet.field(std::size_t(kPosConsec)).asInteger();
                const auto i = bySourceKey.find(key);
                if (i == bySourceKey.end() || match[i->second] < 0) {
                    for (; !c_.QCopiadet.eof() && c_.QCopiadet.field(std::size_t(kPosConsec)).asInteger() == key;)
                        c_.QCopiadet.next();
                    continue;
                }
                linesSeen[i->second] = true;
                compareLines(source[i->second], destination[std::size_t(match[i->second])], blocks, lineFields,
                             found[i->second]);
            }
            c_.QCopiadet.close();
        };
        // A voucher missing in the destination has no lines to compare: when most are, only
        // the lines of those it holds are read, by their keys.
        std::vector<std::int64_t> held;
        for (std::size_t i = 0; i < source.size(); ++i)
            if (match[i] >= 0)
                held.push_back(source[i].key);
        if (held.size() * 2 >= source.size()) {
            compareSourceLines("select d.* from comprobante_detalle d join comprobante_encabezado h"
                               " on h.enco_consec = d.enco_consec where " +
                               range("h.") + " order by d.enco_consec");
        } else {
            std::sort(held.begin(), held.end());
            for (std::size_t first = 0; first < held.size(); first += kKeysPerLineRead) {
                std::string keys;
                for (std::size_t k = first; k < std::min(held.size(), first + kKeysPerLineRead); ++k)
                    keys += (k > first ? ", " : "") + std::to_string(held[k]);
                compareSourceLines("select d.* from comprobante_detalle d where d.enco_consec in (" + keys +
                                   ") order by d.enco_consec");
            }
        }

        const auto dateOf = [&](const Voucher& v) {
            return dateField < 0 ? std::string() : at(v.header, std::size_t(dateField)).asText();
        };
        for (std::size_t i = 0; i < source.size(); ++i) {
            if (match[i] >= 0 && !linesSeen[i])
                extraLines(source[i], destination[std::size_t(match[i])], blocks, found[i]);
            if (found[i].empty())
                continue;
            const std::string sourceDate = at(source[i].header, kPosFecha).asText();
            const std::string destinationDate =
                match[i] < 0 ? std::string() : dateOf(destination[std::size_t(match[i])]);
            if (isLocked(sourceDate) || (match[i] >= 0 && isLocked(destinationDate))) {
                VerifyDifference& d =
                    add(summary(), verify_kind::kLocked, source[i].shown(), sourceDate, destinationDate);
                describe(d, source[i].header, sourceColumns);
                d.subject = source[i].subject(source[i].key);
                continue;
            }
            for (auto& d : found[i]) {
                d.subject = source[i].subject(source[i].key);
                describe(record(summary(), std::move(d)), source[i].header, sourceColumns);
            }
        }
        for (std::size_t j = 0; j < destination.size(); ++j) {
            if (matched[j])
                continue;
            // The destination has no unique key on type, prefix and number: a second copy of
            // a voucher is one too many, whatever the sources hold.
            const std::size_t first = byIdentity.at(destination[j].identity);
            if (first != j && matched[first]) {
                VerifyDifference& d = add(summary(), verify_kind::kExtra, destination[j].shown() + " (copia repetida)",
                                          "", dateOf(destination[j]));
                describe(d, destination[j].header, destinationColumns);
                d.subject = destination[j].subject(sourceKeys.at(destination[j].identity));
            } else
                leftOver_.push_back(
                    {report_.targets.size() - 1, destination[j], dateOf(destination[j]), destinationColumns});
        }
        c_.CDestino.close();
        lines_ = {};
    }

    // The source lines of one voucher (QCopiadet on its first line) against the destination's,
    // matched by item; leaves QCopiadet on the next voucher's first line.
    void compareLines(const Voucher& source, const Voucher& destination,
                      const std::unordered_map<std::int64_t, LineBlock>& blocks, const std::vector<FieldDef>& fields,
                      std::vector<VerifyDifference>& out)
    {
        std::unordered_map<std::string, int> byItem;
        if (const auto b = blocks.find(destination.key); b != blocks.end())
            for (int r = b->second.first; r < b->second.first + b->second.count; ++r)
                byItem.emplace(trimmed(at(lines_.rows[std::size_t(r)], kPosLineItem).asText()), r);
        Query& q = c_.QCopiadet;
        for (; !q.eof() && q.field(std::size_t(kPosConsec)).asInteger() == source.key; q.next()) {
            const std::string item = trimmed(q.field(std::size_t(kPosLineItem)).asText());
            const std::string key = source.shown() + ansi(" línea ") + item;
            const auto r = byItem.find(item);
            if (r == byItem.end()) {
                out.push_back(difference(targetName(), verify_kind::kMissing, key));
                continue;
            }
            const Row& line = lines_.rows[std::size_t(r->second)];
            compareRows(
                key, [&](std::size_t i) -> const Value& { return i < q.fieldCount() ? q.field(i) : kNull; },
                [&](std::size_t i) -> const Value& { return at(line, i); }, fields, CopyPath::ColumnCopy, {kPosConsec},
                out);
            byItem.erase(r);
        }
        for (const auto& [item, r] : byItem)
            out.push_back(difference(targetName(), verify_kind::kExtra, source.shown() + ansi(" línea ") + item));
    }

    // A source voucher without lines whose copy has some.
    void extraLines(const Voucher& source, const Voucher& destination,
                    const std::unordered_map<std::int64_t, LineBlock>& blocks, std::vector<VerifyDifference>& out)
    {
        const auto b = blocks.find(destination.key);
        if (b == blocks.end())
            return;
        for (int r = b->second.first; r < b->second.first + b->second.count; ++r)
            out.push_back(difference(targetName(), verify_kind::kExtra,
                                     source.shown() + ansi(" línea ") +
                                         trimmed(at(lines_.rows[std::size_t(r)], kPosLineItem).asText())));
    }

    // Accounts and third parties that the range's audit entries touched, sent or not.
    void masterData()
    {
        std::string sql =
            "select distinct tido_cod, audi_cod from auditoria where ((tido_cod = 100) or (tido_cod = 102))"
            " and " +
            dateCondition("audi_fecha", desde_, hasta_);
        if (!prefixes_.empty())
            sql += " and " + prefixCondition("audi_cod", prefixes_);
        openSource(c_.QCopia, sql + " order by 1, 2");
        std::vector<std::pair<int, std::string>> codes;
        for (; !c_.QCopia.eof(); c_.QCopia.next())
            codes.emplace_back(int(c_.QCopia.field(0).asInteger()), c_.QCopia.field(1).asText());
        c_.QCopia.close();

        for (const auto& [tido, codigo] : codes) {
            const MasterDataQueries queries = masterDataQueries(tido, codigo);
            openSource(c_.QCopia, queries.source);
            if (c_.QCopia.isEmpty()) {
                // Deleted in the source: the copy leaves the destination as it is.
                c_.QCopia.close();
                continue;
            }
            const Row source = currentRow(c_.QCopia);
            const std::string nombre =
                trimmed(at(source, columnOf(c_.QCopia, tido == kTidoCuenta ? "CUEN_NOMBRE" : "TERC_NOMBRE")).asText());
            c_.QCopia.close();
            ++summary().accounts;
            const std::string key = (tido == kTidoCuenta ? "Cuenta " : "Tercero ") + codigo;
            const VerifySubject subject{
                tido == kTidoCuenta ? VerifySubject::Kind::Account : VerifySubject::Kind::ThirdParty,
                {},
                {},
                {},
                codigo,
                0};
            openDestination(c_.CDestino, queries.destination);
            std::vector<VerifyDifference> found;
            if (c_.CDestino.isEmpty())
                found.push_back(difference(targetName(), verify_kind::kMissing, key));
            else
                compareRows(key, source, currentRow(c_.CDestino), c_.CDestino.fields(), CopyPath::ColumnCopy, {},
                            found);
            for (auto& d : found) {
                d.nombre = nombre;
                d.subject = subject;
                record(summary(), std::move(d));
            }
            c_.CDestino.close();
        }
    }

    struct LeftOver {
        std::size_t target;
        Voucher voucher;
        std::string fecha;
        HeaderColumns columns;
    };

    Componentes& c_;
    std::string fechaBloqueo_;
    std::string shortDate_;
    Date desde_;
    Date hasta_;
    VerifyReport& report_;
    std::vector<std::string> prefixes_;
    fb::Rows lines_;  // the destination's lines of the target being compared
    std::unordered_set<std::string> sourceIdentities_;
    std::vector<LeftOver> leftOver_;
};

std::string counted(int n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int VerifyReport::differenceCount() const
{
    int n = 0;
    for (const auto& t : targets)
        n += t.differences;
    return n;
}

int VerifyReport::lockedCount() const
{
    int n = 0;
    for (const auto& t : targets)
        n += t.locked;
    return n;
}

VerifyReport verificar(Componentes& c, Dialogs& dialogs, Progress& progress, const std::string& companiaDestino,
                       const Date& desde, const Date& hasta)
{
    VerifyReport report;
    if (!mayStart(dialogs, companiaDestino, desde, hasta))
        return report;
    const ReadingScope scope(c, progress);
    const HeldReads reads(c.DBEnvio);
    RunContext run{c, dialogs};
    readRunSettings(run);
    return verifyTargets(run, progress, desde, hasta);
}

VerifyReport verifyTargets(RunContext& run, Progress& progress, const Date& desde, const Date& hasta)
{
    Componentes& c = run.c;
    VerifyReport report;
    Verification verification(c, run, desde, hasta, report);
    for (c.Creplicac.first(); !c.Creplicac.eof(); c.Creplicac.next()) {
        connectSource(c);
        report.targets.push_back({verifyTargetName(c)});
        progress.setCaption(ansi("Verificando información de ") + c.Creplicac.field("RPCO_NOMBRE").asText());
        verification.target(targetPrefixes(c.CReplicadet));
    }
    verification.finish();
    report.completed = true;
    return report;
}

std::string verifyTargetName(Componentes& c)
{
    return trimmed(c.Creplicac.field("RPCO_COD").asText()) + " " + c.Creplicac.field("RPCO_NOMBRE").asText();
}

std::vector<std::string> verifySummary(const VerifyReport& report)
{
    std::vector<std::string> lines;
    for (const auto& t : report.targets)
        lines.push_back(t.name + ": " + counted(t.vouchers, "comprobante", "comprobantes") + " y " +
                        counted(t.accounts, "cuenta o tercero", "cuentas o terceros") + " comparados, " +
                        counted(t.differences, "diferencia", "diferencias") + ", " +
                        counted(t.locked, "protegido", "protegidos"));
    lines.push_back(
        "Total: " + counted(report.differenceCount(), "diferencia", "diferencias") + ", " +
        counted(report.lockedCount(), "protegido", "protegidos") + ansi(" en ") +
        counted(int(report.targets.size()), ansi("compañía de origen").c_str(), ansi("compañías de origen").c_str()));
    return lines;
}

std::string verifyCsv(const VerifyReport& report, std::string_view separator)
{
    std::string text = csvLine({ansi("Compañía de origen"), "Diferencia", "Clave", "Columna", "Valor en origen",
                                "Valor en destino", "Fecha", "Total", "Nombre"},
                               separator);
    for (const auto& d : report.differences)
        text += csvLine({d.target, d.kind, d.key, d.column, d.source, d.destination, d.fecha, d.total, d.nombre},
                        separator);
    return text;
}

std::string writeVerifyDetail(Dialogs& dialogs, const VerifyReport& report)
{
    const auto directory = recordedInstallationDirectory();
    if (!directory) {
        dialogs.error(unknownDirectoryMessage());
        return {};
    }
    const std::string path = installationFile(*directory, kVerifyDetailFile);
    const std::string text = verifyCsv(report, listSeparator());
    // The detail of the last verification only: whole, or no file at all.
    std::remove(path.c_str());
    if (const auto failure = appendWhole(path, text)) {
        std::remove(path.c_str());
        dialogs.error(unwritableFileMessage(path, *failure));
        return {};
    }
    return path;
}

}  // namespace kalvora
