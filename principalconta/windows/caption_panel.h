#pragma once
// A panel with a caption band in the highlight colours, laid over the window's middle.
// While the focus is inside it, Tab and Shift+Tab go round its own controls only: the
// window's controls beneath it cannot be seen.
#include <QFrame>

namespace kalvora {

class CaptionPanel : public QFrame {
    Q_OBJECT
public:
    explicit CaptionPanel(const QString& caption, QWidget* parent = nullptr);

    QString caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QString caption_;
    int bandHeight_;
};

}  // namespace kalvora
