#include "app/batch/command_line.h"

#include "base/text.h"

#include <algorithm>

namespace kalvora::batch {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Only YYYY-MM-DD, so that a script means the same date whatever the regional formats say.
Date parseIsoDate(const std::string& option, const std::string& text)
{
    const auto refuse = [&] { return UsageError(ansi("Fecha no válida para ") + option + ": " + ansi(text)); };
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        throw refuse();
    const auto digitsAt = {0, 1, 2, 3, 5, 6, 8, 9};
    if (!std::all_of(digitsAt.begin(), digitsAt.end(), [&](int i) { return isDigit(text[std::size_t(i)]); }))
        throw refuse();
    const Date d{std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)), std::stoi(text.substr(8, 2))};
    if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > daysInMonth(d.year, d.month))
        throw refuse();
    return d;
}

bool parseOnError(const std::string& text)
{
    if (text == "continue")
        return true;
    if (text == "skip-target")
        return false;
    throw UsageError(ansi("Valor no válido para --on-error: ") + ansi(text) + " (continue o skip-target)");
}

bool parseOnUnreachable(const std::string& text)
{
    if (text == "continue")
        return true;
    if (text == "stop")
        return false;
    throw UsageError(ansi("Valor no válido para --on-unreachable: ") + ansi(text) + " (continue o stop)");
}

}  // namespace

BatchOptions parseCommandLine(const std::vector<std::string>& arguments,
                              const std::optional<std::string>& environmentPassword)
{
    BatchOptions options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument == kPasswordFromEnvironment || !argument.starts_with("-")) {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return options;
        }
        if (argument == "--version") {
            options.version = true;
            return options;
        }
        if (argument == "--preview" || argument == "--verify" || argument == "--repair") {
            if (options.mode != BatchMode::Send)
                throw UsageError("--preview, --verify y --repair no se usan juntas");
            options.mode = argument == "--preview"  ? BatchMode::Preview
                           : argument == "--verify" ? BatchMode::Verify
                                                    : BatchMode::Repair;
            continue;
        }
        if (argument == "--dry-run" || argument == "--delete-extra") {
            (argument == "--dry-run" ? options.dryRun : options.deleteExtra) = true;
            continue;
        }
        // "--name value" or "--name=value".
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (name != "--from" && name != "--to" && name != "--on-error" && name != "--on-unreachable")
            throw UsageError(ansi("Opción desconocida: ") + ansi(argument));
        std::string value;
        if (equals != std::string::npos)
            value = argument.substr(equals + 1);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        else
            throw UsageError(ansi("Falta el valor de ") + name);

        if (name == "--from")
            options.desde = parseIsoDate(name, value);
        else if (name == "--to")
            options.hasta = parseIsoDate(name, value);
        else if (name == "--on-error")
            options.continueOnError = parseOnError(value);
        else
            options.continueOnUnreachable = parseOnUnreachable(value);
    }

    if ((options.dryRun || options.deleteExtra) && options.mode != BatchMode::Repair)
        throw UsageError(std::string(options.dryRun ? "--dry-run" : "--delete-extra") + " solo se usa con --repair");
    if (positional.size() != 4)
        throw UsageError(ansi("Se esperan 4 argumentos (SERVIDOR USUARIO CLAVE COMPAÑIA) y se recibieron ") +
                         std::to_string(positional.size()));
    std::string clave = positional[2];
    if (clave == kPasswordFromEnvironment) {
        if (!environmentPassword)
            throw UsageError(ansi("La clave es \"-\" pero KALVORA_PASSWORD no está definida"));
        clave = *environmentPassword;
    }
    const auto parsed =
        unattendedArguments({ansi(positional[0]), ansi(positional[1]), ansi(clave), ansi(positional[3])});
    if (!parsed)
        throw UsageError(ansi("Falta el código de la compañía destino"));
    options.arguments = *parsed;
    return options;
}

std::string usage()
{
    return ansi(R"(Uso: kalvora-envio-batch [OPCIONES] SERVIDOR USUARIO CLAVE COMPAÑIA

Transmite sin ventanas, como la ejecución desatendida de kalvora-envio: ingresa al
servidor SERVIDOR con USUARIO y CLAVE, conecta la compañía destino COMPAÑIA y envía
las entradas pendientes de sus compañías de origen dentro del rango de fechas.

  SERVIDOR   entrada de servidor como en SERVIDORES.cfg, p. ej. 127.0.0.1:/srv/kalvora
             (sin equipo, /srv/kalvora, abre las bases con el motor embebido)
  USUARIO    usuario del servidor destino
  CLAVE      su clave; "-" la toma de la variable de entorno KALVORA_PASSWORD, para
             que no aparezca en la lista de procesos
  COMPAÑIA   código de la compañía destino (COMP_COD)

Opciones:
  --from AAAA-MM-DD   primer día del rango (por omisión, hoy)
  --to AAAA-MM-DD     último día del rango (por omisión, hoy)
  --on-error continue|skip-target
                      respuesta a "Error transmitiendo ... Continuar?": continue (Sí,
                      por omisión) sigue con la compañía de origen; skip-target (No)
                      deja pendientes sus entradas restantes y pasa a la siguiente
  --on-unreachable continue|stop
                      una compañía de origen que no se puede abrir o leer (clave,
                      permisos, equipo, puerto, archivo, conexión sin cifrar, o la
                      compañía destino misma): continue (por omisión) la nombra con el
                      motivo y sigue con las demás; stop detiene el envío allí
  --preview           no envía nada: lista, por compañía de origen y en el orden del
                      envío, las entradas que un envío con las mismas fechas tomaría y lo
                      que haría con cada una, con los totales
  --verify            no envía nada: compara los comprobantes fechados en el rango y las
                      cuentas y terceros de las entradas del rango con el destino; da un
                      resumen por compañía de origen y escribe cada diferencia en
                      VERIFICACION.CSV en el directorio de instalación
  --repair            verifica como --verify, luego repara cada diferencia que puede
                      (copia otra vez desde su origen el comprobante que falta o es
                      distinto, iguala la cuenta o el tercero) y verifica otra vez; no
                      toca lo protegido por la fecha de bloqueo ni escribe en las
                      compañías de origen; deja un informe informes/reparacion-*.html
  --dry-run           con --repair: solo muestra el plan, no escribe nada
  --delete-extra      con --repair: borra también los comprobantes que solo tiene el
                      destino ("Sobra en destino"); sin ella se dejan
  -h, --help          muestra esta ayuda
  --version           muestra la versión del programa
  --                  fin de las opciones (para una clave que empieza con "-")

Los mensajes, los errores y las preguntas con su respuesta salen por la salida de
errores, con el progreso de cada compañía de origen. El mensaje de conclusión y una
línea de resumen salen por la salida estándar. Los diarios ENVIO.TXT y ERRORES.TXT
se escriben en el directorio de instalación, como en la ventana.

Estado de salida:
  0    el envío concluyó y todas las entradas seleccionadas quedaron enviadas
  1    el envío concluyó, pero al menos una entrada falló y sigue pendiente
  2    el envío se detuvo por un error (ingreso rechazado, base de datos que no
       abre, error de datos, marcas de envío que la compañía de origen no guardó),
       no empezó porque ya hay otra transmisión hacia la misma compañía, o
       concluyó sin alcanzar alguna compañía de origen (el resumen las nombra)
  64   uso incorrecto (opción desconocida, número de argumentos, fecha no válida)
  Con --preview: 0 la lista está completa, 2 se detuvo por un error o le falta
  alguna compañía de origen que no se pudo leer.
  Con --verify: 0 el destino tiene lo que tienen los orígenes, 1 hay diferencias
  (las protegidas por la fecha de bloqueo no cuentan), 2 no se pudo comparar.
  Con --repair: 0 la verificación después de reparar no encuentra nada, 1 quedan
  diferencias (las que sobran en destino sin --delete-extra, las que el destino
  rechazó), 2 se detuvo. Con --dry-run: 0 no hay diferencias, 1 las hay (el
  plan dice qué se haría con cada una), 2 no se pudo comparar.

Entorno:
  KALVORA_REGISTRY    archivo del registro: directorio de instalación, formatos
                      regionales y ConexionSinCifrar (por omisión
                      /etc/kalvora/kalvora.reg)
  KALVORA_PASSWORD    la clave, cuando CLAVE es "-"
)");
}

}  // namespace kalvora::batch
