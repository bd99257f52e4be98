#pragma once
// The transmission's progress on a panel with a caption and a bar, painted at once
// because the run keeps the event loop busy.
#include "ui/progress.h"

class QLabel;
class QProgressBar;
class QWidget;

namespace kalvora {

class PanelProgress : public Progress {
public:
    PanelProgress(QWidget& panel, QLabel& caption, QProgressBar& bar) : panel_(panel), caption_(caption), bar_(bar) {}

    void show() override;
    void hide() override;
    void setCaption(const std::string& text) override;
    void reset(int maximum) override;
    void step() override;

private:
    QWidget& panel_;
    QLabel& caption_;
    QProgressBar& bar_;
};

}  // namespace kalvora
