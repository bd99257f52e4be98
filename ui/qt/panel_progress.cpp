#include "ui/qt/panel_progress.h"

#include "ui/qt/text.h"

#include <QLabel>
#include <QPoint>
#include <QProgressBar>
#include <QWidget>

namespace kalvora {

void PanelProgress::show()
{
    panel_.show();
    panel_.raise();
    panel_.repaint();
}

void PanelProgress::hide() { panel_.hide(); }

void PanelProgress::setCaption(const std::string& text)
{
    caption_.setText(toQString(text));
    // A long company name widens the panel about its centre rather than being cut off.
    const QPoint centre = panel_.geometry().center();
    panel_.resize(panel_.sizeHint().expandedTo(panel_.minimumSize()));
    panel_.move(centre - panel_.rect().center());
    panel_.window()->repaint();
}

void PanelProgress::reset(int maximum)
{
    bar_.setMaximum(maximum);
    bar_.setMinimum(0);
    bar_.setValue(0);
    bar_.repaint();
}

void PanelProgress::step()
{
    bar_.setValue(bar_.value() + 1);
    bar_.repaint();
}

}  // namespace kalvora
