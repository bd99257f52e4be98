#include "principalconta/windows/lookup_combo_box.h"

#include "ui/qt/text.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>

#include <algorithm>

namespace kalvora {

namespace {

constexpr int kCodeColumn = 0;
constexpr int kNameColumn = 1;

struct ColumnBounds {
    int width;
    int minimum;
    int maximum;
};

constexpr ColumnBounds kBounds[] = {{50, 50, 60}, {150, 100, 220}};
constexpr int kListWidth = 200;

}  // namespace

LookupComboBox::LookupComboBox(QWidget* parent)
    : QComboBox(parent), model_(new QStandardItemModel(0, 2, this)), list_(new QTableView(this))
{
    model_->setHorizontalHeaderLabels({QStringLiteral("Código"), QStringLiteral("Nombre")});
    setModel(model_);
    setModelColumn(kNameColumn);
    setView(list_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);
    list_->horizontalHeader()->setStretchLastSection(false);
    list_->horizontalHeader()->setHighlightSections(false);
    list_->setShowGrid(false);
    list_->setAlternatingRowColors(true);
    for (int c = 0; c < 2; ++c)
        list_->setColumnWidth(c, kBounds[c].width);
    list_->installEventFilter(this);
    connect(list_->horizontalHeader(), &QHeaderView::sectionResized, this, &LookupComboBox::keepColumnWithinBounds);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (row >= 0)
            key_ = fromQString(model_->item(row, kCodeColumn)->text());
    });
}

void LookupComboBox::setCompanies(const std::vector<Company>& companies)
{
    const std::string key = key_;
    model_->removeRows(0, model_->rowCount());
    for (const Company& c : companies)
        model_->appendRow({new QStandardItem(toQString(c.code)), new QStandardItem(toQString(c.name))});
    for (int c = 0; c < 2; ++c)
        list_->setColumnWidth(c, kBounds[c].width);
    setKeyValue(key);
}

void LookupComboBox::setKeyValue(const std::string& code)
{
    int row = -1;
    for (int r = 0; r < model_->rowCount() && row < 0; ++r)
        if (fromQString(model_->item(r, kCodeColumn)->text()) == code)
            row = r;
    setCurrentIndex(row);
    key_ = code;
}

int LookupComboBox::longestName() const
{
    int widest = 0;
    for (int r = 0; r < model_->rowCount(); ++r)
        widest = std::max(widest, list_->fontMetrics().horizontalAdvance(model_->item(r, kNameColumn)->text()));
    // The cell's margins on both sides.
    return widest + 2 * list_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list_) + 8;
}

int LookupComboBox::widestName() const
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
    return std::min(std::max(kBounds[kNameColumn].maximum, longestName()),
                    screenWidth - kBounds[kCodeColumn].maximum - 2 * list_->frameWidth() -
                        list_->verticalScrollBar()->sizeHint().width());
}

void LookupComboBox::keepColumnWithinBounds(int column, int, int newWidth)
{
    if (column < 0 || column > 1)
        return;
    const int maximum = column == kNameColumn ? widestName() : kBounds[column].maximum;
    const int bounded = std::clamp(newWidth, kBounds[column].minimum, maximum);
    if (bounded != newWidth)
        list_->setColumnWidth(column, bounded);
}

void LookupComboBox::showPopup()
{
    // As wide as the longest name needs, within the screen; never narrower than designed.
    const int names = std::max(kBounds[kNameColumn].width, std::min(longestName(), widestName()));
    const int needed = list_->columnWidth(kCodeColumn) + names + 2 * list_->frameWidth() +
                       list_->verticalScrollBar()->sizeHint().width();
    list_->setMinimumWidth(std::max(kListWidth, needed));
    QComboBox::showPopup();
    // The names use the room the list has, within their bounds.
    const int room = list_->viewport()->width() - list_->columnWidth(kCodeColumn);
    list_->setColumnWidth(kNameColumn, std::clamp(room, kBounds[kNameColumn].minimum, widestName()));
}

void LookupComboBox::keyPressEvent(QKeyEvent* event)
{
    if (model_->rowCount() > 0 && search(*event))
        return;
    QComboBox::keyPressEvent(event);
}

bool LookupComboBox::eventFilter(QObject* watched, QEvent* event)
{
    // While the list is down it has the keys: typing goes on searching there.
    if (watched == list_ && event->type() == QEvent::KeyPress && search(*static_cast<QKeyEvent*>(event)))
        return true;
    return QComboBox::eventFilter(watched, event);
}

bool LookupComboBox::search(const QKeyEvent& event)
{
    const QString text = event.text();
    const bool typing =
        !text.isEmpty() && text.at(0).isPrint() && !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!typing)
        return false;
    // Keys typed in quick succession into the open list make one text, as in any list.
    if (!list_->isVisible()) {
        typed_.clear();
        showPopup();
    } else if (sinceTyped_.elapsed() > QApplication::keyboardInputInterval()) {
        typed_.clear();
    }
    sinceTyped_.start();
    typed_ += text;
    const int row = rowStartingWith(typed_);
    if (row >= 0)
        list_->setCurrentIndex(model_->index(row, kNameColumn));
    return true;
}

int LookupComboBox::rowStartingWith(const QString& text) const
{
    for (const int column : {kCodeColumn, kNameColumn})
        for (int r = 0; r < model_->rowCount(); ++r)
            if (model_->item(r, column)->text().startsWith(text, Qt::CaseInsensitive))
                return r;
    return -1;
}

}  // namespace kalvora
