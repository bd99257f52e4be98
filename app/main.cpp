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
#include "ui/qt/user_guide.h"

#include <QApplication>

#include <iostream>
#include <string_view>

namespace {

constexpr const char* kHelp = R"(Uso: kalvora-envio
       kalvora-envio SERVIDOR USUARIO CLAVE COMPAÑIA

Sin argumentos abre la ventana "Envío de información" y pide el ingreso al servidor
destino. Con los cuatro argumentos hace el envío desatendido: ingresa a SERVIDOR con
USUARIO y CLAVE, conecta la compañía destino COMPAÑIA, envía las entradas pendientes
del día y se cierra. Sin ventanas, el mismo envío lo hace kalvora-envio-batch.

  SERVIDOR   entrada de servidor como en SERVIDORES.cfg, p. ej. 127.0.0.1:/srv/kalvora
  USUARIO    usuario del servidor destino
  CLAVE      su clave
  COMPAÑIA   código de la compañía destino (COMP_COD)

  -h, --help   muestra esta ayuda
  --version    muestra la versión del programa
)";

}  // namespace

int main(int argc, char* argv[])
{
    // Answered before the toolkit starts, so that they need no display. A single argument
    // never starts the unattended run, which takes four.
    const std::string_view only = argc == 2 ? argv[1] : "";
    if (only == "--version") {
        std::cout << "kalvora-envio " KALVORA_VERSION "\n";
        return 0;
    }
    if (only == "--help" || only == "-h") {
        std::cout << kHelp;
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
    kalvora::openUserGuideOnF1(window);
    window.show();
    // A request that came before the windows were there found nothing to close.
    if (kalvora::stopRequested())
        return 0;
    return QApplication::exec();
}
