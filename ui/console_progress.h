#pragma once
// A transmission's progress for a program without windows: on a terminal, a bar per target
// redrawn in place; in a file or a pipe, one line per target.
#include "ui/progress.h"

#include <iosfwd>
#include <string>

namespace kalvora {

class ConsoleProgress : public Progress {
public:
    ConsoleProgress(std::ostream& out, bool terminal);

    void show() override {}
    void hide() override;
    void setCaption(const std::string& text) override;
    void reset(int maximum) override;
    void step() override;

private:
    int percent() const;
    void draw();
    // Leaves the finished target's bar on its own line.
    void finishBar();

    std::ostream& out_;
    bool terminal_;
    std::string caption_;
    int maximum_ = 0;
    int position_ = 0;
    int drawnPercent_ = -1;
    bool barOpen_ = false;
};

}  // namespace kalvora
