// Applies N single-row inserts through the row store, each its own apply, and the same
// rows through the bare client API with one transaction per row; prints both and their ratio.
#include "data/ddl.h"
#include "data/destination.h"
#include "data/firebird.h"
#include "data/row_store.h"

#include <algorithm>
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
    return {Value(i),
            Value("C" + std::to_string(i)),
            Value("Fila de prueba " + std::to_string(i)),
            Value(Date{2026, 12, 1 + i % 28}),
            Value(Scaled{i * 12345LL, -4}),
            Value(Scaled{i % 10000, -2})};
}

// Inserts rows [from, to) through the row store, one apply each.
class RowStoreWriter {
public:
    explicit RowStoreWriter(const std::string& location)
    {
        db_.setParam("Database", location);
        db_.setParam("User_Name", "SYSDBA");
        store_.setCommandText("SELECT * FROM MEDIDA WHERE ID = -1");
        store_.open();
    }

    void write(int from, int to)
    {
        for (int i = from; i < to; ++i) {
            store_.insert();
            const auto values = rowValues(i);
            for (int f = 0; f < int(values.size()); ++f)
                store_.field(f).setValue(values[std::size_t(f)]);
            store_.post();
            if (store_.applyUpdates(0) != 0)
                throw std::runtime_error("apply failed");
        }
    }

private:
    DestinationConnection db_;
    RowStore store_{"CDestino", std::make_unique<DestinationSource>(db_), {"PDestino"}};
};

// Inserts rows [from, to) through the bare client API, one transaction each.
class BareWriter {
public:
    explicit BareWriter(const std::string& location) : att_(fb::Attachment::attach(location, sysdba()))
    {
        options_.isolation = fb::TransactionOptions::Isolation::ReadCommitted;
        fb::Transaction tr(*att_, options_);
        insert_ = std::make_unique<fb::Statement>(
            *att_, tr, "insert into MEDIDA (ID, CODIGO, NOMBRE, FECHA, VALOR, TASA) values (?, ?, ?, ?, ?, ?)");
        tr.commit();
    }

    ~BareWriter()
    {
        insert_.reset();
        att_->detach();
    }

    void write(int from, int to)
    {
        for (int i = from; i < to; ++i) {
            fb::Transaction tr(*att_, options_);
            insert_->execute(tr, rowValues(i));
            tr.commit();
        }
    }

private:
    std::unique_ptr<fb::Attachment> att_;
    fb::TransactionOptions options_;
    std::unique_ptr<fb::Statement> insert_;
};

template <typename Writer>
double timed(Writer& writer, int from, int to)
{
    const auto start = Clock::now();
    writer.write(from, to);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

constexpr int kBlock = 50;

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
        // Alternating blocks, so that both sides see the same swings of the disk.
        RowStoreWriter storeWriter(a);
        BareWriter bareWriter(b);
        double bare = 0;
        double store = 0;
        for (int from = 0; from < n; from += kBlock) {
            const int to = std::min(n, from + kBlock);
            bare += timed(bareWriter, from, to);
            store += timed(storeWriter, from, to);
        }
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
