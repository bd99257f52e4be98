#pragma once
// The program's boxes as Qt message boxes, over whichever window is active.
#include "ui/dialogs.h"

#include <QString>

#include <utility>

namespace kalvora {

class MessageBoxes : public Dialogs {
public:
    // title: the application title, the caption of the plain boxes and questions.
    explicit MessageBoxes(QString title) : title_(std::move(title)) {}

    void message(const std::string& text) override;
    void error(const std::string& text) override;
    bool ask(const std::string& text) override;
    void beep() override;
    // Its "Abrir informe" button opens the report with the desktop's program for HTML.
    void concluded(const std::string& text, const std::string& details, const std::string& reportPath) override;

private:
    QString title_;
};

}  // namespace kalvora
