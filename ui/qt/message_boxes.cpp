#include "ui/qt/message_boxes.h"

#include "ui/qt/text.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

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

void MessageBoxes::concluded(const std::string& text, const std::string& details, const std::string& reportPath)
{
    QMessageBox box(QMessageBox::NoIcon, title_, toQString(text), QMessageBox::Ok, QApplication::activeWindow());
    box.setInformativeText(toQString(details));
    QPushButton* open = nullptr;
    if (!reportPath.empty())
        open = box.addButton(QStringLiteral("Abrir informe"), QMessageBox::ActionRole);
    box.exec();
    if (open && box.clickedButton() == open)
        QDesktopServices::openUrl(QUrl::fromLocalFile(toQString(reportPath)));
}

void MessageBoxes::beep() { QApplication::beep(); }

}  // namespace kalvora
