// kalvora-envio: the main window, and at its first activation the sign-in or, given four
// arguments, the unattended run.
#include "data/date_text.h"
#include "principalconta/componentes.h"
#include "principalconta/windows/tfprincipalconta.h"
#include "settings/regional_formats.h"
#include "ui/qt/message_boxes.h"
#include "ui/qt/spanish.h"
#include "ui/qt/text.h"
#include "ui/qt/user_guide.h"

#include <QApplication>

#include <iostream>
#include <string_view>

int main(int argc, char* argv[])
{
    // Answered before the toolkit starts, so that it needs no display. A single argument
    // never starts the unattended run, which takes four.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "kalvora-envio " KALVORA_VERSION "\n";
        return 0;
    }
    QApplication application(argc, argv);
    const kalvora::ScopedDateText dateText(kalvora::regionalFormats);
    QApplication::setApplicationName(QStringLiteral("kalvora-envio"));
    QApplication::setDesktopFileName(QStringLiteral("kalvora-envio"));
    kalvora::loadSpanishTranslations(application);
    const QString title = QStringLiteral("Envío de información");

    std::vector<std::string> arguments;
    const QStringList given = QApplication::arguments();
    for (qsizetype i = 1; i < given.size(); ++i)
        arguments.push_back(kalvora::fromQString(given[i]));

    // Both outlive the window, whose grids and dialogs refer to them.
    kalvora::MessageBoxes dialogs(title);
    kalvora::Componentes componentes;
    kalvora::Tfprincipalconta window(componentes, dialogs, std::move(arguments));
    kalvora::openUserGuideOnF1(window);
    window.show();
    return QApplication::exec();
}
