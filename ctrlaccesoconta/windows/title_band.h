#pragma once
// The painted band across the top of the sign-in dialog: its two pictures and its title.
#include <QWidget>

namespace kalvora {

class TitleBand : public QWidget {
    Q_OBJECT
public:
    TitleBand(const QString& title, const QString& subtitle, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
    QString subtitle_;
};

}  // namespace kalvora
