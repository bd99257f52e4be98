#pragma once
// The progress panel of a transmission, as the run drives it.
#include <string>

namespace kalvora {

class Progress {
public:
    virtual ~Progress() = default;
    virtual void show() = 0;
    virtual void hide() = 0;
    // Names the target being transmitted and repaints at once.
    virtual void setCaption(const std::string& text) = 0;
    // Maximum first, then minimum and position 0.
    virtual void reset(int maximum) = 0;
    virtual void step() = 0;
};

// For runs that show nothing.
class NoProgress : public Progress {
public:
    void show() override {}
    void hide() override {}
    void setCaption(const std::string&) override {}
    void reset(int) override {}
    void step() override {}
};

}  // namespace kalvora
