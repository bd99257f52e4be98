// Applies N single-row inserts through the row store, each its own apply, and the same
// rows through the bare client API with one transaction per row; prints both and their ratio.
#include "data/ddl.h"
#include "data/destination.h"
#include "data/firebird.h"
#include "data/row_store.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace kalvora;
using Clock = std::chrono::steady_clock;

namespace {

const std::vector<std::string> kTable{
    "CREATE TABLE MEDIDA (ID INTEGER NOT NULL, CODIGO VARCHAR(20), NOMBRE VARCHAR(120), FECHA DATE,"
    " VALOR NUMERIC(18,4), TASA NUMERIC(9,2))"};

fb::AttachParams sysdba()
{
    fb::AttachParams p;
    p.user = "SYSDBA";
    p.hasUser = true;
    return p;
}

std::vector<Value> rowValues(int i)
{
    return {Value(i), Value("C" + std::to_string(i)), Value("Fila de prueba " + std::to_string(i)),
            Value(Date{2026, 12, 1 + i % 28}), Value(Scaled{i * 12345LL, -4}), Value(Scaled{i % 10000, -2})};
}

double rowStoreSeconds(const std::string& location, int n)
{
    DestinationConnection db;
    db.setParam("Database", location);
    db.setParam("User_Name", "SYSDBA");
    RowStore store("CDestino", std::make_unique<DestinationSource>(db), {"PDestino"});
    store.setCommandText("SELECT * FROM MEDIDA WHERE ID = -1");
    store.open();
    const auto start = Clock::now();
    for (int i = 0; i < n; ++i) {
        store.insert();
        const auto values = rowValues(i);
        for (int f = 0; f < int(values.size()); ++f)
            store.field(f).setValue(values[std::size_t(f)]);
        store.post();
        if (store.applyUpdates(0) != 0)
            throw std::runtime_error("apply failed");
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double bareSeconds(const std::string& location, int n)
{
    auto att = fb::Attachment::attach(location, sysdba());
    fb::TransactionOptions options;
    options.isolation = fb::TransactionOptions::Isolation::ReadCommitted;
    std::unique_ptr<fb::Statement> insert;
    {
        fb::Transaction tr(*att, options);
        insert = std::make_unique<fb::Statement>(
            *att, tr, "insert into MEDIDA (ID, CODIGO, NOMBRE, FECHA, VALOR, TASA) values (?, ?, ?, ?, ?, ?)");
        tr.commit();
    }
    const auto start = Clock::now();
    for (int i = 0; i < n; ++i) {
        fb::Transaction tr(*att, options);
        insert->execute(tr, rowValues(i));
        tr.commit();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    insert.reset();
    att->detach();
    return seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    const int n = argc > 1 ? std::atoi(argv[1]) : 2000;
    const auto dir = std::filesystem::temp_directory_path() / ("kalvora-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    try {
        const std::string a = (dir / "store.fdb").string();
        const std::string b = (dir / "bare.fdb").string();
        ddl::createDatabase(a, sysdba(), kTable);
        ddl::createDatabase(b, sysdba(), kTable);
        const double bare = bareSeconds(b, n);
        const double store = rowStoreSeconds(a, n);
        std::printf("rows                        %d\n", n);
        std::printf("bare client, 1 tx per row   %.3f s  (%.0f rows/s)\n", bare, n / bare);
        std::printf("row store, 1 apply per row  %.3f s  (%.0f rows/s)\n", store, n / store);
        std::printf("ratio row store / bare      %.2f\n", store / bare);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        std::filesystem::remove_all(dir);
        return 1;
    }
    std::filesystem::remove_all(dir);
    return 0;
}
