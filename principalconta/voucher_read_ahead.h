#pragma once
// The source's voucher headers or lines for the entries the run takes up next, read for
// a window of entries with one select instead of one per entry, BLOBs inline where they fit.
// The window is read in the transaction the run reads that table in (the headers in the
// selection's, the lines in their own), so a voucher's rows are those its own
// "... where enco_consec = N" would give there, in the same order: a select without an
// order gives a table's rows in the order it stores them, for one voucher as for several.
#include "data/connection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kalvora {

class VoucherReadAhead {
public:
    // The entries a window covers: the current one and those the selection holds ahead.
    static constexpr std::size_t kEntries = 32;

    // table as the run's select names it: "comprobante_encabezado" or "comprobante_detalle".
    VoucherReadAhead(Connection& connection, DirectTransaction& transaction, std::string table);

    // Opens query, which is on this read-ahead's transaction, on "select * from <table>
    // where enco_consec = N", N the AUDI_IDDOC of the entry that entries is on, with that
    // select's rows. When N is not in the window read last, reads the window of that entry
    // first.
    void open(Query& query, const Query& entries);
    // The next open reads its window afresh: the transaction has changed the source since.
    void forget() { window_.close(); }

private:
    std::string select(std::int64_t consec) const;
    void read(std::int64_t consec, const Query& entries);
    void readWindow(const std::string& head);
    void split();
    // The window's current row as the run's select gives it; false when one of its BLOBs
    // was too long to come inline.
    bool appendRow(fb::Rows& rows);

    Connection& connection_;
    DirectTransaction& transaction_;
    std::string table_;
    Query window_;
    // The columns of the run's select; the window brings each BLOB as text and its length.
    std::vector<fb::Column> columns_;
    bool blobsInline_ = false;
    std::vector<std::int64_t> consecs_;  // of the window, ascending
    // Each voucher's rows, by its place in consecs_; nothing when its own select reads it.
    std::vector<std::optional<fb::Rows>> rowsByVoucher_;
};

}  // namespace kalvora
