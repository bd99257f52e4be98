#pragma once
// The source's accounts or third parties for the entries the run takes up next, read for a
// window of entries with one select instead of one per entry, BLOBs inline where they fit.
// Codes are texts that the server matches by its collation, so each code of the window gets
// a branch of its own in that select (... union all ...), tagged with its place: each entry's
// rows are those its own "select * from <table> where <code> = '...'" gives, in that order,
// in the transaction the run reads them in.
#include "data/connection.h"

#include <optional>
#include <string>
#include <vector>

namespace kalvora {

class MasterDataReadAhead {
public:
    // The entries a window covers: the current one and those the selection holds ahead.
    static constexpr std::size_t kEntries = 32;

    // tido: the entries this reads for; table and codeColumn as the run's select names them.
    MasterDataReadAhead(Connection& connection, DirectTransaction& transaction, int tido, std::string table,
                        std::string codeColumn);

    // The entry's own select.
    std::string select(const std::string& code) const;
    // Opens query, which is on this read-ahead's transaction, on the select of the code of
    // the entry that entries is on, with its rows; reads that entry's window first when the
    // code is not in the window read last.
    void open(Query& query, const Query& entries);
    // The next open reads its window afresh: the transaction has changed the source since.
    void forget() { window_.close(); }

private:
    void read(const std::string& code, const Query& entries);
    void readWindow(const std::string& list);
    void split(bool blobsInline);

    Connection& connection_;
    DirectTransaction& transaction_;
    int tido_;
    std::string table_;
    std::string codeColumn_;
    Query window_;
    std::vector<fb::Column> columns_;  // of the entry's own select
    std::vector<std::string> codes_;   // of the window, in their branches' order
    // Each code's rows, by its place in codes_; nothing when its own select reads it.
    std::vector<std::optional<fb::Rows>> rowsByCode_;
};

}  // namespace kalvora
