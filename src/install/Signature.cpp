#include "install/Signature.h"

#include <cstdio>

#include "install/SignerName.h"

namespace quibrant::install {

namespace {

constexpr const char* kDownloadedRefused =
    "El archivo descargado no lleva la firma digital de %s: se ha eliminado y no se ha iniciado.";
constexpr const char* kExistingRefused =
    "El archivo %s no lleva la firma digital de %s y no se ha iniciado.";
constexpr const char* kReasonPrefix = "Motivo: ";
constexpr const char* kMissing = "No se encuentra el archivo ";

constexpr const char* kReasonMissing = "el archivo no existe.";
constexpr const char* kReasonUnreadable = "no se pudo leer el archivo.";
constexpr const char* kReasonUnsigned = "el archivo no está firmado.";
constexpr const char* kReasonMalformed = "la firma o el programa están dañados.";
constexpr const char* kReasonTampered = "el contenido fue modificado después de firmarlo.";
constexpr const char* kReasonUntrusted = "el certificado no procede de una entidad de confianza.";
constexpr const char* kReasonExpired = "el certificado no era válido cuando se firmó el archivo.";
constexpr const char* kReasonForeign = "está firmado por otra organización";
constexpr const char* kReasonWeakDigest = "la firma usa un algoritmo inseguro o no admitido.";
constexpr const char* kReasonCode = " (código 0x%08X)";

std::string format(const char* pattern, const std::string& first, const std::string& second = "") {
    const int size = std::snprintf(nullptr, 0, pattern, first.c_str(), second.c_str());
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), pattern, first.c_str(), second.c_str());
    text.resize(static_cast<std::size_t>(size));
    return text;
}

// A name from a certificate, as the message box may show it: whoever made the
// certificate chose it, control characters included.
std::string printable(const std::string& name) {
    std::string shown;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            shown += c;
        }
    }
    return shown;
}

}  // namespace

std::string vendorSigner() {
    return kConfiguredSigner;
}

std::string refusalReason(const platform::SignatureReport& report) {
    using platform::SignatureFault;
    std::string reason;
    switch (report.fault) {
        case SignatureFault::Missing:
            reason = kReasonMissing;
            break;
        case SignatureFault::Unreadable:
            reason = kReasonUnreadable;
            break;
        case SignatureFault::None:
        case SignatureFault::Unsigned:
            reason = kReasonUnsigned;
            break;
        case SignatureFault::Malformed:
            reason = kReasonMalformed;
            break;
        case SignatureFault::Tampered:
            reason = kReasonTampered;
            break;
        case SignatureFault::Untrusted:
            reason = kReasonUntrusted;
            break;
        case SignatureFault::Expired:
            reason = kReasonExpired;
            break;
        case SignatureFault::ForeignSigner:
            reason = kReasonForeign;
            reason += report.signer.empty() ? "." : " (" + printable(report.signer) + ").";
            break;
        case SignatureFault::WeakDigest:
            reason = kReasonWeakDigest;
            break;
    }
    if (report.systemCode != 0) {
        char code[32];
        std::snprintf(code, sizeof code, kReasonCode, static_cast<unsigned>(report.systemCode));
        reason.insert(reason.size() - 1, code);
    }
    return reason;
}

std::string refusalMessage(Vetted origin, const std::string& path,
                           const platform::SignatureReport& report) {
    const std::string refusal = origin == Vetted::Downloaded
                                    ? format(kDownloadedRefused, vendorSigner())
                                    : format(kExistingRefused, path, vendorSigner());
    return refusal + "\r\n\r\n" + kReasonPrefix + refusalReason(report);
}

std::shared_ptr<platform::CheckedFile> requireVendorSignature(
    platform::SignatureCheck& check, const std::string& path, Vetted origin,
    const platform::WrittenDigest* written) {
    const platform::SignatureReport report =
        written != nullptr ? check.checkWritten(path, vendorSigner(), *written)
                           : check.check(path, vendorSigner());
    if (report.trusted() && report.fault == platform::SignatureFault::None) {
        return report.held;
    }
    if (report.fault == platform::SignatureFault::Missing) {
        throw platform::Failure(platform::errors::kFileNotFound, kMissing + path);
    }
    throw UntrustedInstaller(platform::errors::kPermissionDenied,
                             refusalMessage(origin, path, report));
}

}  // namespace quibrant::install
