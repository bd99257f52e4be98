#pragma once
// Dialogs for tests: records every box and answers questions from a script.
#include "ui/dialogs.h"

#include <deque>
#include <string>
#include <vector>

namespace kalvora {

class ScriptedDialogs : public Dialogs {
public:
    enum class Kind { Message, Error, Question, Beep };
    struct Event {
        Kind kind;
        std::string text;
        bool operator==(const Event&) const = default;
    };

    void message(const std::string& text) override;
    void error(const std::string& text) override;
    bool ask(const std::string& text) override;
    void beep() override;
    // Recorded as a message of its text; details and report path kept apart.
    void concluded(const std::string& text, const std::string& details, const std::string& reportPath) override;

    struct Conclusion {
        std::string details;
        std::string reportPath;
    };

    // Answers for the coming questions, in order; when none is left the answer is Yes.
    void answer(bool yes) { answers_.push_back(yes); }
    const std::vector<Event>& events() const { return events_; }
    const std::vector<Conclusion>& conclusions() const { return conclusions_; }
    std::vector<std::string> texts(Kind kind) const;
    void clear() { events_.clear(); }

private:
    std::vector<Event> events_;
    std::vector<Conclusion> conclusions_;
    std::deque<bool> answers_;
};

}  // namespace kalvora
