#include "principalconta/windows/navigator.h"

#include "ctrlaccesoconta/error_messages.h"
#include "data/row_store.h"
#include "principalconta/windows/data_grid.h"
#include "ui/qt/glyphs.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QToolButton>

namespace kalvora {

// A button that never takes the focus itself; the navigator marks the one Space presses.
class NavigatorButton : public QToolButton {
public:
    using QToolButton::QToolButton;

    void setMarked(bool marked)
    {
        if (marked != marked_) {
            marked_ = marked;
            update();
        }
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QToolButton::paintEvent(event);
        if (!marked_)
            return;
        QStylePainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }

private:
    bool marked_ = false;
};

namespace {

struct ButtonLook {
    Navigator::Button button;
    Glyph glyph;
    const char* tip;
};

constexpr ButtonLook kLooks[] = {
    {Navigator::Button::First, Glyph::First, "Primero"},    {Navigator::Button::Prior, Glyph::Prior, "Anterior"},
    {Navigator::Button::Next, Glyph::Next, "Siguiente"},    {Navigator::Button::Last, Glyph::Last, "Último"},
    {Navigator::Button::Insert, Glyph::Insert, "Insertar"}, {Navigator::Button::Delete, Glyph::Delete, "Borrar"},
    {Navigator::Button::Cancel, Glyph::Cancel, "Cancelar"},
};

bool isEditing(const RowStore& store)
{
    return store.state() == RowStore::State::Insert || store.state() == RowStore::State::Edit;
}

}  // namespace

Navigator::Navigator(RowStore& store, Dialogs& dialogs, bool editing, QWidget* parent)
    : QWidget(parent), store_(store), dialogs_(dialogs)
{
    setFocusPolicy(Qt::TabFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    for (const ButtonLook& look : kLooks) {
        const bool moves = look.button <= Button::Last;
        if (!moves && !editing)
            continue;
        auto* b = new NavigatorButton(this);
        b->setIcon(glyphIcon(look.glyph));
        b->setIconSize(QSize(16, 16));
        b->setToolTip(QString::fromUtf8(look.tip));
        b->setAccessibleName(QString::fromUtf8(look.tip));
        b->setAutoRaise(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(26, 22);
        connect(b, &QToolButton::clicked, this, [this, which = look.button] { act(which); });
        layout->addWidget(b);
        buttons_[look.button] = b;
        order_.push_back(look.button);
    }
    layout->addStretch();
    store_.addObserver([self = QPointer<Navigator>(this)] {
        if (self)
            self->refresh();
    });
    refresh();
}

QAbstractButton* Navigator::button(Button which) const
{
    const auto it = buttons_.find(which);
    return it == buttons_.end() ? nullptr : it->second;
}

void Navigator::act(Button which)
{
    // A value still in a cell editor belongs to the row the button is about to act on.
    DataGrid::commitPendingEdits(window());
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
    focusGrid(which);
}

void Navigator::focusGrid(Button pressed)
{
    if (!grid_ || !grid_->isVisible())
        return;
    const int row = store_.shownCurrent();
    if (row >= 0) {
        const int column =
            pressed == Button::Insert || !grid_->currentIndex().isValid() ? 0 : grid_->currentIndex().column();
        grid_->setCurrentIndex(grid_->model()->index(row, column));
    }
    grid_->setFocus(Qt::OtherFocusReason);
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
    if (!buttons_.at(marked())->isEnabled())
        moveMark(1);
    showMark();
}

void Navigator::moveMark(int step)
{
    // To the next enabled button that way, wrapping round; stays put when none is.
    const int n = int(order_.size());
    for (int tried = 1; tried < n; ++tried) {
        const int candidate = ((int(marked_) + step * tried) % n + n) % n;
        if (buttons_.at(order_[std::size_t(candidate)])->isEnabled()) {
            marked_ = std::size_t(candidate);
            break;
        }
    }
    showMark();
}

void Navigator::showMark()
{
    for (std::size_t i = 0; i < order_.size(); ++i)
        buttons_.at(order_[i])->setMarked(hasFocus() && i == marked_);
}

void Navigator::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        moveMark(-1);
        break;
    case Qt::Key_Right:
        moveMark(1);
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* b = buttons_.at(marked()); b->isEnabled())
            b->click();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void Navigator::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    showMark();
}

void Navigator::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    showMark();
}

}  // namespace kalvora
