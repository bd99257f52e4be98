#include "ui/console_progress.h"

#include "base/text.h"

#include <algorithm>
#include <ostream>

namespace kalvora {

namespace {
constexpr int kBarWidth = 30;
}  // namespace

ConsoleProgress::ConsoleProgress(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

void ConsoleProgress::hide() { finishBar(); }

void ConsoleProgress::setCaption(const std::string& text)
{
    finishBar();
    caption_ = text;
}

void ConsoleProgress::reset(int maximum)
{
    maximum_ = maximum;
    position_ = 0;
    if (!terminal_) {
        out_ << toUtf8(caption_) << ": " << maximum << " registros\n" << std::flush;
        return;
    }
    barOpen_ = true;
    draw();
}

void ConsoleProgress::step()
{
    ++position_;
    // Redrawn when the percentage moves, so that long targets do not flood the terminal.
    if (barOpen_ && percent() != drawnPercent_)
        draw();
}

int ConsoleProgress::percent() const { return maximum_ > 0 ? std::min(100, position_ * 100 / maximum_) : 100; }

void ConsoleProgress::draw()
{
    drawnPercent_ = percent();
    const int filled = drawnPercent_ * kBarWidth / 100;
    out_ << "\r\x1b[K" << toUtf8(caption_) << " [" << std::string(std::size_t(filled), '#')
         << std::string(std::size_t(kBarWidth - filled), '.') << "] " << drawnPercent_ << "% (" << position_ << "/"
         << maximum_ << ")" << std::flush;
}

void ConsoleProgress::finishBar()
{
    if (!barOpen_)
        return;
    // A message box may have erased the bar meanwhile: draw it once more before leaving it.
    draw();
    out_ << '\n' << std::flush;
    barOpen_ = false;
}

}  // namespace kalvora
