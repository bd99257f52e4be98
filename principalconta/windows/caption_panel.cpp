#include "principalconta/windows/caption_panel.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace kalvora {

CaptionPanel::CaptionPanel(const QString& caption, QWidget* parent)
    : QFrame(parent), caption_(caption), bandHeight_(fontMetrics().height() + 10)
{
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setContentsMargins(1, bandHeight_, 1, 1);
}

void CaptionPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect band(1, 1, width() - 2, bandHeight_ - 1);
    const QColor highlight = palette().color(QPalette::Highlight);
    QLinearGradient g(band.topLeft(), band.bottomLeft());
    g.setColorAt(0, highlight.lighter(135));
    g.setColorAt(1, highlight);
    p.fillRect(band, g);
    p.setPen(highlight.darker(140));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(palette().color(QPalette::HighlightedText));
    p.drawText(band.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, caption_);
}

bool CaptionPanel::focusNextPrevChild(bool next)
{
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus))
        return QFrame::focusNextPrevChild(next);
    // The window's Tab order, kept to the tab stops inside the panel.
    std::vector<QWidget*> stops;
    for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain())
        if (isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(this) && w->isEnabled() &&
            !w->focusProxy())
            stops.push_back(w);
    if (stops.empty())
        return QFrame::focusNextPrevChild(next);
    // The focus may be inside a stop, such as a cell editor inside its grid.
    auto at =
        std::find_if(stops.begin(), stops.end(), [&](QWidget* w) { return w == focus || w->isAncestorOf(focus); });
    const int n = int(stops.size());
    const int from = at == stops.end() ? (next ? n - 1 : 0) : int(at - stops.begin());
    const int to = ((from + (next ? 1 : -1)) % n + n) % n;
    stops[std::size_t(to)]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

}  // namespace kalvora
