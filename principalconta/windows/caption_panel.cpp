#include "principalconta/windows/caption_panel.h"

#include <QLinearGradient>
#include <QPainter>

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

}  // namespace kalvora
