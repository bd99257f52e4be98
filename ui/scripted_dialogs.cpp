#include "ui/scripted_dialogs.h"

namespace kalvora {

void ScriptedDialogs::message(const std::string& text) { events_.push_back({Kind::Message, text}); }

void ScriptedDialogs::error(const std::string& text) { events_.push_back({Kind::Error, text}); }

bool ScriptedDialogs::ask(const std::string& text)
{
    events_.push_back({Kind::Question, text});
    if (answers_.empty())
        return true;
    const bool yes = answers_.front();
    answers_.pop_front();
    return yes;
}

void ScriptedDialogs::concluded(const std::string& text, const std::string& details, const std::string& reportPath)
{
    events_.push_back({Kind::Message, text});
    conclusions_.push_back({details, reportPath});
}

void ScriptedDialogs::beep() { events_.push_back({Kind::Beep, {}}); }

std::vector<std::string> ScriptedDialogs::texts(Kind kind) const
{
    std::vector<std::string> out;
    for (const auto& e : events_)
        if (e.kind == kind)
            out.push_back(e.text);
    return out;
}

}  // namespace kalvora
