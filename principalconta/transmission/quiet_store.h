#pragma once
// A row store's refusal hooks off while a statement of its rows is built for the fast path:
// a row it cannot build goes to the copy row by row, whose hooks tell of it.
#include "data/row_store.h"

#include <utility>

namespace kalvora {

class QuietStore {
public:
    explicit QuietStore(RowStore& store)
        : store_(store), update_(std::move(store.onUpdateError)), post_(std::move(store.onPostError))
    {
        store.onUpdateError = nullptr;
        store.onPostError = nullptr;
    }
    ~QuietStore()
    {
        store_.onUpdateError = std::move(update_);
        store_.onPostError = std::move(post_);
    }
    QuietStore(const QuietStore&) = delete;
    QuietStore& operator=(const QuietStore&) = delete;

private:
    RowStore& store_;
    UpdateErrorHook update_;
    DataErrorHook post_;
};

}  // namespace kalvora
