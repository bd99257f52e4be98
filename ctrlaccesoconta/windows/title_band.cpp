#include "ctrlaccesoconta/windows/title_band.h"

#include "ui/qt/glyphs.h"

#include <QLinearGradient>
#include <QPainter>

namespace kalvora {

namespace {
constexpr int kPicture = 40;
constexpr int kMargin = 14;
}  // namespace

TitleBand::TitleBand(const QString& title, const QString& subtitle, QWidget* parent)
    : QWidget(parent), title_(title), subtitle_(subtitle)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize TitleBand::sizeHint() const { return {360, kPicture + 2 * kMargin}; }

void TitleBand::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, width(), height());
    g.setColorAt(0, QColor(24, 58, 112));
    g.setColorAt(1, QColor(58, 110, 180));
    p.fillRect(rect(), g);
    p.setPen(QColor(255, 255, 255, 60));
    p.drawLine(0, height() - 1, width(), height() - 1);

    const int top = (height() - kPicture) / 2;
    p.drawPixmap(kMargin, top, glyphPixmap(Glyph::Database, kPicture));
    p.drawPixmap(width() - kMargin - kPicture, top, glyphPixmap(Glyph::Lock, kPicture));

    const QRect text(kMargin * 2 + kPicture, 0, width() - 4 * kMargin - 2 * kPicture, height());
    QFont big = font();
    big.setPointSizeF(big.pointSizeF() * 1.45);
    big.setBold(true);
    p.setFont(big);
    p.setPen(Qt::white);
    const int titleHeight = QFontMetrics(big).height();
    const int subtitleHeight = fontMetrics().height();
    const int y = (height() - titleHeight - subtitleHeight) / 2;
    p.drawText(QRect(text.left(), y, text.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter, title_);
    p.setFont(font());
    p.setPen(QColor(208, 224, 246));
    p.drawText(QRect(text.left(), y + titleHeight, text.width(), subtitleHeight), Qt::AlignLeft | Qt::AlignVCenter,
               subtitle_);
}

}  // namespace kalvora
