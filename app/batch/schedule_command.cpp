#include "app/batch/schedule_command.h"

#include "app/batch/command_line.h"
#include "base/text.h"
#include "scheduling/credential_store.h"
#include "scheduling/task_scheduler.h"

#include <cstdio>
#include <ctime>
#include <iostream>

#ifdef _WIN32
#include "scheduling/wide_text.h"

#include <windows.h>
#endif

namespace kalvora::batch {

namespace {

std::string taskName(const std::string& compania) { return "kalvora-envio " + compania; }

// "HH:MM", 00:00 to 23:59.
void parseTime(const std::string& text, ScheduleRequest& request)
{
    const auto digit = [&](std::size_t i) { return text[i] >= '0' && text[i] <= '9'; };
    if (text.size() != 5 || text[2] != ':' || !digit(0) || !digit(1) || !digit(3) || !digit(4))
        throw UsageError(ansi("Hora no válida para --at: ") + ansi(text) + " (HH:MM)");
    request.hour = std::stoi(text.substr(0, 2));
    request.minute = std::stoi(text.substr(3, 2));
    if (request.hour > 23 || request.minute > 59)
        throw UsageError(ansi("Hora no válida para --at: ") + ansi(text) + " (HH:MM)");
}

// The code names a task and a credential, where these characters have no place.
void checkCompany(const std::string& compania)
{
    if (compania.empty())
        throw UsageError(ansi("Falta el código de la compañía destino"));
    for (char c : compania)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            throw UsageError(ansi("El código de compañía no puede llevar \\ / : * ? \" < > |: ") + ansi(compania));
}

std::string today()
{
    const std::time_t now = std::time(nullptr);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", std::localtime(&now));
    return text;
}

#ifdef _WIN32
// A line typed at the console, not shown while typed; a line of standard input otherwise.
std::optional<std::string> askPassword(const std::string& prompt)
{
    std::cerr << prompt << std::flush;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(input, &mode)) {
        std::string line;
        if (!std::getline(std::cin, line))
            return std::nullopt;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }
    SetConsoleMode(input, mode & ~DWORD(ENABLE_ECHO_INPUT));
    std::u16string typed;
    wchar_t c = 0;
    DWORD read = 0;
    bool ended = false;
    while (ReadConsoleW(input, &c, 1, &read, nullptr) && read == 1) {
        if (c == L'\n') {
            ended = true;
            break;
        }
        if (c != L'\r')
            typed += char16_t(c);
    }
    SetConsoleMode(input, mode);
    std::cerr << '\n';
    return ended ? std::optional<std::string>(utf8(typed)) : std::nullopt;
}
#else
std::optional<std::string> askPassword(const std::string&) { return std::nullopt; }
#endif

int schedule(const ScheduleRequest& request, const std::optional<std::string>& environmentPassword)
{
    std::optional<std::string> clave = environmentPassword;
    if (!clave)
        clave = askPassword("Clave de " + request.usuario + " en " + request.servidor + ": ");
    if (!clave || clave->empty())
        throw UsageError(ansi("Falta la clave: escríbala cuando se pide o póngala en KALVORA_PASSWORD"));

    const std::string credential = credentialName(request.compania);
    const std::optional<std::string> previous = readCredential(credential);
    storeCredential(credential, *clave);
    ScheduledTask task;
    task.description = "Envío de información diario a la compañía " + request.compania + " (kalvora-envio-batch)";
    task.program = runningProgram();
    task.arguments = {request.servidor, request.usuario, kStoredPassword, request.compania};
    task.workingDirectory = runningProgramFolder();
    task.userId = currentUser();
    task.startDate = today();
    task.hour = request.hour;
    task.minute = request.minute;
    try {
        registerTask(taskName(request.compania), task);
    } catch (const SchedulerError&) {
        // No task, so no new password either: what was stored before stays.
        if (previous)
            storeCredential(credential, *previous);
        else
            deleteCredential(credential);
        throw;
    }
    char at[8];
    std::snprintf(at, sizeof at, "%02d:%02d", request.hour, request.minute);
    std::cout << "Programado: la tarea \"" << taskName(request.compania) << "\" transmite cada día a las " << at
              << " hacia la compañía " << request.compania << "; su clave queda en el almacén de credenciales"
              << " de Windows como " << credential << ".\n";
    return kExitAllSent;
}

int unschedule(const ScheduleRequest& request)
{
    const bool removedTask = unregisterTask(taskName(request.compania));
    const bool removedCredential = deleteCredential(credentialName(request.compania));
    std::cout << (removedTask ? "Tarea eliminada: \"" : "No había tarea \"") << taskName(request.compania) << "\"; "
              << (removedCredential ? "clave eliminada: " : "no había clave guardada: ")
              << credentialName(request.compania) << ".\n";
    return removedTask || removedCredential ? kExitAllSent : kExitStopped;
}

}  // namespace

std::optional<ScheduleRequest> parseScheduleCommandLine(const std::vector<std::string>& arguments)
{
    std::optional<ScheduleRequest> request;
    for (const auto& argument : arguments) {
        if (argument == "--")
            break;
        if (argument == "--schedule" || argument == "--unschedule") {
            if (request)
                throw UsageError("--schedule y --unschedule se usan solos");
            request = ScheduleRequest{};
            request->schedule = argument == "--schedule";
        }
    }
    if (!request)
        return std::nullopt;

    std::vector<std::string> positional;
    std::optional<std::string> at;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--schedule" || argument == "--unschedule")
            continue;
        if (argument == "--at" || argument.starts_with("--at=")) {
            if (argument.size() > 4)
                at = argument.substr(5);
            else if (i + 1 < arguments.size())
                at = arguments[++i];
            else
                throw UsageError("Falta el valor de --at");
            continue;
        }
        if (argument.starts_with("-"))
            throw UsageError(ansi("Opción desconocida con --schedule o --unschedule: ") + ansi(argument));
        positional.push_back(argument);
    }
    if (request->schedule) {
        if (positional.size() != 3)
            throw UsageError(ansi("--schedule espera 3 argumentos (SERVIDOR USUARIO COMPAÑIA) y se recibieron ") +
                             std::to_string(positional.size()));
        request->servidor = positional[0];
        request->usuario = positional[1];
        request->compania = positional[2];
        if (at)
            parseTime(*at, *request);
    } else {
        if (positional.size() != 1 || at)
            throw UsageError(ansi("--unschedule espera solo el código de la compañía (COMPAÑIA)"));
        request->compania = positional[0];
    }
    checkCompany(request->compania);
    if (!taskSchedulerAvailable() || !credentialStoreAvailable())
        throw UsageError(ansi("--schedule y --unschedule usan el Programador de tareas de Windows; en Debian la "
                              "ejecución diaria es el temporizador kalvora-envio@COMPAÑIA.timer"));
    return request;
}

int runScheduleRequest(const ScheduleRequest& request, const std::optional<std::string>& environmentPassword)
{
    try {
        return request.schedule ? schedule(request, environmentPassword) : unschedule(request);
    } catch (const CredentialError& e) {
        std::cerr << "kalvora-envio-batch: " << toUtf8(e.what()) << '\n';
    } catch (const SchedulerError& e) {
        std::cerr << "kalvora-envio-batch: " << toUtf8(e.what()) << '\n';
    }
    return kExitStopped;
}

void takeStoredPassword(UnattendedArguments& arguments)
{
    if (arguments.clave != kStoredPassword)
        return;
    if (!credentialStoreAvailable())
        throw UsageError(
            ansi("La clave \"@credencial\" se lee del almacén de credenciales de Windows, que este sistema "
                 "no tiene: use \"-\" con KALVORA_PASSWORD"));
    const std::string name = credentialName(toUtf8(arguments.compania));
    std::optional<std::string> stored;
    try {
        stored = readCredential(name);
    } catch (const CredentialError& e) {
        throw UsageError(e.what());
    }
    if (!stored)
        throw UsageError(ansi("No hay clave guardada como ") + ansi(name) + ansi(": guárdela con --schedule"));
    arguments.clave = ansi(*stored);
}

std::string scheduleUsage()
{
    return ansi(R"(
Ejecución diaria en Windows (Programador de tareas):
  kalvora-envio-batch --schedule SERVIDOR USUARIO COMPAÑIA [--at HH:MM]
                      pide la clave (o la toma de KALVORA_PASSWORD), la guarda en el
                      almacén de credenciales de Windows como kalvora-envio/COMPAÑIA y
                      crea la tarea "kalvora-envio COMPAÑIA", que cada día a la hora
                      dada (por omisión 22:00) ejecuta este programa con la clave
                      @credencial; ni la tarea ni su línea de órdenes llevan la clave
  kalvora-envio-batch --unschedule COMPAÑIA
                      elimina la tarea y la clave guardada
  CLAVE @credencial   toma la clave guardada por --schedule para COMPAÑIA (solo Windows)
)");
}

}  // namespace kalvora::batch
