#pragma once
// The close / set text / open steps that every source and destination access repeats.
#include "data/connection.h"
#include "data/row_store.h"

#include <string>

namespace kalvora {

// Runs a select on a source query; closed first, because the query keeps its rows otherwise.
inline void openSource(Query& query, const std::string& sql)
{
    query.close();
    query.clearSql();
    query.addSql(sql);
    query.open();
}

inline void openDestination(RowStore& store, const std::string& text)
{
    store.close();
    store.setCommandText(text);
    store.open();
}

// A store that only inserts: the fields of the text, no rows, nothing read from the
// destination (its rows would be dropped unseen anyway).
inline void openEmptyDestination(RowStore& store, const std::string& text)
{
    store.close();
    store.setCommandText(text);
    store.openEmpty();
}

// A statement on the destination, committed when this returns.
inline void executeDestination(RowStore& store, const std::string& text)
{
    store.close();
    store.setCommandText(text);
    store.execute();
}

}  // namespace kalvora
