#include "ui/qt/message_boxes.h"

#include "ui/qt/text.h"

#include <QApplication>
#include <QMessageBox>

namespace kalvora {

namespace {

int show(QMessageBox::Icon icon, const QString& caption, const std::string& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, caption, toQString(text), buttons, QApplication::activeWindow());
    return box.exec();
}

}  // namespace

void MessageBoxes::message(const std::string& text) { show(QMessageBox::NoIcon, title_, text, QMessageBox::Ok); }

void MessageBoxes::error(const std::string& text)
{
    show(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok);
}

bool MessageBoxes::ask(const std::string& text)
{
    return show(QMessageBox::Question, title_, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void MessageBoxes::beep() { QApplication::beep(); }

}  // namespace kalvora
