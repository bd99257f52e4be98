// kalvora-envio: the main window, and at its first activation the sign-in or, given four
// arguments, the unattended run.
#include "data/date_text.h"
#include "data/wire_encryption.h"
#include "principalconta/componentes.h"
#include "principalconta/transmission/stop_request.h"
#include "principalconta/windows/tfprincipalconta.h"
#include "settings/regional_formats.h"
#include "settings/unencrypted_wire.h"
#include "ui/qt/message_boxes.h"
#include "ui/qt/spanish.h"
#include "ui/qt/text.h"

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
    // A stop request closes the windows; a run in progress stops before its next entry.
    kalvora::watchStopRequests([] {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [] { QApplication::closeAllWindows(); }, Qt::QueuedConnection);
    });
    QApplication application(argc, argv);
    const kalvora::ScopedDateText dateText(kalvora::regionalFormats);
    const kalvora::ScopedWireEncryption wire(kalvora::unencryptedWireAllowed);
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
    window.show();
    // A request that came before the windows were there found nothing to close.
    if (kalvora::stopRequested())
        return 0;
    return QApplication::exec();
}
