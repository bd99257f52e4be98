#include "principalconta/windows/navigator.h"

#include "data/row_store.h"
#include "principalconta/windows/data_grid.h"
#include "ui/guard.h"
#include "ui/qt/glyphs.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QToolButton>

namespace kalvora {

namespace {

struct ButtonLook {
    Navigator::Button button;
    Glyph glyph;
    const char* tip;
};

constexpr ButtonLook kLooks[] = {
    {Navigator::Button::First, Glyph::First, "Primero"},
    {Navigator::Button::Prior, Glyph::Prior, "Anterior"},
    {Navigator::Button::Next, Glyph::Next, "Siguiente"},
    {Navigator::Button::Last, Glyph::Last, "Último"},
    {Navigator::Button::Insert, Glyph::Insert, "Insertar"},
    {Navigator::Button::Delete, Glyph::Delete, "Borrar"},
    {Navigator::Button::Cancel, Glyph::Cancel, "Cancelar"},
};

bool isEditing(const RowStore& store)
{
    return store.state() == RowStore::State::Insert || store.state() == RowStore::State::Edit;
}

}  // namespace

Navigator::Navigator(RowStore& store, Dialogs& dialogs, bool editing, DataGrid* grid, QWidget* parent)
    : QWidget(parent), store_(store), dialogs_(dialogs), grid_(grid)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    for (const ButtonLook& look : kLooks) {
        const bool moves = look.button <= Button::Last;
        if (!moves && !editing)
            continue;
        auto* b = new QToolButton(this);
        b->setIcon(glyphIcon(look.glyph));
        b->setIconSize(QSize(16, 16));
        b->setToolTip(QString::fromUtf8(look.tip));
        b->setAutoRaise(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(26, 22);
        connect(b, &QToolButton::clicked, this, [this, which = look.button] { act(which); });
        layout->addWidget(b);
        buttons_[look.button] = b;
    }
    layout->addStretch();
    store_.addObserver([self = QPointer<Navigator>(this)] {
        if (self)
            self->refresh();
    });
    refresh();
}

QToolButton* Navigator::button(Button which) const
{
    const auto it = buttons_.find(which);
    return it == buttons_.end() ? nullptr : it->second;
}

void Navigator::act(Button which)
{
    if (grid_)
        grid_->commitPendingEdit();
    runGuarded(dialogs_, [&] {
        switch (which) {
        case Button::First:
            store_.first();
            break;
        case Button::Prior:
            store_.prior();
            break;
        case Button::Next:
            store_.next();
            break;
        case Button::Last:
            store_.last();
            break;
        case Button::Insert:
            store_.insert();
            break;
        case Button::Delete:
            if (dialogs_.ask("Delete record?"))
                store_.remove();
            break;
        case Button::Cancel:
            store_.cancel();
            break;
        }
    });
    refresh();
}

void Navigator::refresh()
{
    const bool open = store_.active();
    const int row = store_.shownCurrent();
    const int count = store_.shownCount();
    const bool editing = open && isEditing(store_);
    const std::map<Button, bool> enabled{
        {Button::First, open && (row > 0 || editing)},
        {Button::Prior, open && (row > 0 || editing)},
        {Button::Next, open && (row < count - 1 || editing)},
        {Button::Last, open && (row < count - 1 || editing)},
        {Button::Insert, open},
        {Button::Delete, open && count > 0},
        {Button::Cancel, editing},
    };
    for (const auto& [which, b] : buttons_)
        b->setEnabled(enabled.at(which));
}

}  // namespace kalvora
