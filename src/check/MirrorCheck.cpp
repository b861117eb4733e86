#include "check/MirrorCheck.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>

#include "check/CheckReport.h"
#include "check/Interruption.h"
#include "check/MirrorTargets.h"
#include "check/TargetFetch.h"

namespace quibrant::check {

namespace {

constexpr const char* kJsonOption = "--json";
constexpr const char* kHelpOptions[] = {"-h", "--help", "--ayuda"};
constexpr const char* kUsage =
    "uso: quibrant-comprobar [--json]\n"
    "\n"
    "Descarga del servidor configurado cada instalador al que llevan los códigos\n"
    "de acceso y lo comprueba como el programa: la respuesta del servidor, el\n"
    "tamaño y la firma digital. Escribe una fila por instalador (con --json, un\n"
    "objeto JSON) y el progreso en la salida de errores.\n"
    "\n"
    "Estado de salida: 0 si el programa los aceptaría todos, 1 si rechazaría\n"
    "alguno, 2 si no se pudo hacer la comprobación.\n";
constexpr const char* kUnknownOption = "quibrant-comprobar: opción desconocida: ";
constexpr const char* kServerLine = "Servidor: ";
constexpr const char* kSignerLine = "Firmante exigido: ";
constexpr const char* kNoWorkFolder =
    "quibrant-comprobar: no se pudo crear la carpeta temporal para las descargas: ";
constexpr const char* kCannotWrite = "quibrant-comprobar: no se pudo escribir el resultado.\n";
constexpr const char* kInterruptedText =
    "quibrant-comprobar: comprobación interrumpida; no se ha escrito ningún resultado.\n";
constexpr const char* kWorkFolderPattern = "/quibrant-comprobar-XXXXXX";
// Back to the start of the line, and the rest of it cleared.
constexpr const char* kRedrawLine = "\r\033[K";

// "[3/16] clientes/actual/quibrant6_3.exe"
std::string counter(std::size_t index, std::size_t total, const MirrorTarget& target) {
    return "[" + std::to_string(index + 1) + "/" + std::to_string(total) + "] " +
           cleanText(target.path);
}

// The progress text's percentage, "(62%)", which is all that is redrawn
// for: a redraw per piece of 1 KiB would flood a slow terminal.
std::string percentOf(const std::string& caption) {
    const std::size_t open = caption.rfind('(');
    return open == std::string::npos ? caption : caption.substr(open);
}

}  // namespace

int runMirrorCheck(const std::vector<std::string>& arguments, const CheckSetup& setup,
                   std::ostream& out, std::ostream& err, bool errIsTerminal) {
    bool json = false;
    for (const std::string& argument : arguments) {
        if (argument == kJsonOption) {
            json = true;
        } else if (std::find(std::begin(kHelpOptions), std::end(kHelpOptions), argument) !=
                   std::end(kHelpOptions)) {
            out << kUsage;
            return kAllAccepted;
        } else {
            err << kUnknownOption << cleanText(argument) << "\n\n" << kUsage;
            return kCannotCheck;
        }
    }

    QTemporaryDir work(QDir::tempPath() + kWorkFolderPattern);
    if (!work.isValid()) {
        err << kNoWorkFolder << work.errorString().toStdString() << '\n';
        return kCannotCheck;
    }

    // The same login the program gives the transfer when its window opens.
    const ServerConfig& server = setup.server;
    setup.inet->setRemoteHost(server.MainTransferHost);
    setup.inet->setUserName(server.MainTransferUser);
    setup.inet->setPassword(server.MainTransferPassword);

    err << kServerLine << server.MainServerBaseUrl << '\n' << kSignerLine << setup.signer << '\n';
    TargetFetch fetch(*setup.inet, *setup.signatures, *setup.files, work.path().toStdString() + "/",
                      setup.signer);
    const std::vector<MirrorTarget> targets = mirrorTargets(*setup.codes, server.MainServerBaseUrl);
    std::vector<TargetOutcome> outcomes;
    // A half-done check must not pass for a result, and its downloads go
    // with the work folder.
    const Interruption interruption([&fetch] { fetch.stop(); });
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const std::string name = counter(i, targets.size(), targets[i]);
        std::string shownPercent;
        const TargetFetch::Progress progress = [&](const std::string& caption) {
            const std::string percent = percentOf(caption);
            if (errIsTerminal && percent != shownPercent) {
                shownPercent = percent;
                err << kRedrawLine << name << ": " << caption << std::flush;
            }
        };
        outcomes.push_back(fetch.fetch(targets[i], progress));
        if (interruption.happened()) {
            break;
        }
        const TargetOutcome& outcome = outcomes.back();
        err << (errIsTerminal ? kRedrawLine : "") << name << ": " << verdictText(outcome)
            << std::endl;
    }

    if (interruption.happened()) {
        err << (errIsTerminal ? kRedrawLine : "") << kInterruptedText;
        return kInterrupted;
    }
    if (json) {
        writeJson(out, server.MainServerBaseUrl, setup.signer, outcomes);
    } else {
        writeTable(out, outcomes);
    }
    out.flush();
    if (!out.good()) {
        err << kCannotWrite;
        return kCannotCheck;
    }
    const bool allAccepted = std::all_of(outcomes.begin(), outcomes.end(),
                                         [](const TargetOutcome& o) { return o.accepted(); });
    return allAccepted ? kAllAccepted : kSomeRefused;
}

}  // namespace quibrant::check
