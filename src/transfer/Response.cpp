#include "transfer/Response.h"

#include <limits>
#include <string>

#include "platform/Failure.h"
#include "platform/Text.h"

namespace quibrant::transfer {

namespace {

constexpr const char* kStatusPrefix = "El servidor respondió ";
constexpr const char* kNoStatus = "El servidor no envió una respuesta válida.";
constexpr const char* kNoContentLength = "El servidor no indicó el tamaño del archivo.";
constexpr const char* kBadContentLengthPrefix =
    "El servidor indicó un tamaño de archivo no válido: \"";
constexpr const char* kTooLargePrefix = "El archivo es demasiado grande: el servidor anunció ";
constexpr const char* kTooLargeSuffix = " bytes y el máximo es 2147483647.";
constexpr const char* kEmptyBody = "El servidor anunció un archivo vacío (0 bytes).";
constexpr const char* kShortBodyPrefix = "La descarga se interrumpió: se recibieron ";
constexpr const char* kLongBodyPrefix =
    "El servidor envió más datos de los anunciados: se esperaban ";

constexpr std::size_t kReasonLimit = 60;
constexpr std::size_t kHeaderLimit = 40;
constexpr std::int64_t kLargestLength = std::numeric_limits<std::int32_t>::max();

}  // namespace

std::string printableExcerpt(const std::string& text, std::size_t limit) {
    std::string shown;
    for (const char c : text) {
        if (shown.size() == limit) {
            shown += "...";
            break;
        }
        const auto byte = static_cast<unsigned char>(c);
        shown += (byte < 0x20 || byte >= 0x7F) ? '?' : c;
    }
    return shown;
}

void checkStatus(int code, const std::string& reason) {
    if (code >= 200 && code <= 299) {
        return;
    }
    if (code <= 0) {
        throw platform::Failure(platform::errors::kTransferFailed, kNoStatus);
    }
    std::string description = kStatusPrefix + std::to_string(code);
    const std::string shownReason = printableExcerpt(reason, kReasonLimit);
    if (!shownReason.empty()) {
        description += " (" + shownReason + ")";
    }
    description += ".";
    throw platform::Failure(platform::errors::kTransferFailed, description);
}

std::int32_t parseContentLength(const std::string& header) {
    const std::string digits = platform::trimBlanks(header);
    if (digits.empty()) {
        throw platform::Failure(platform::errors::kTypeMismatch, kNoContentLength);
    }

    // Accumulates with a ceiling, so a long run of digits cannot overflow.
    std::int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            throw platform::Failure(
                platform::errors::kTypeMismatch,
                kBadContentLengthPrefix + printableExcerpt(digits, kHeaderLimit) + "\".");
        }
        value = value * 10 + (c - '0');
        if (value > kLargestLength) {
            value = kLargestLength + 1;
        }
    }
    if (value > kLargestLength) {
        throw platform::Failure(
            platform::errors::kOverflow,
            kTooLargePrefix + printableExcerpt(digits, kHeaderLimit) + kTooLargeSuffix);
    }
    if (value < 1) {
        throw platform::Failure(platform::errors::kInvalidPropertyValue, kEmptyBody);
    }
    return static_cast<std::int32_t>(value);
}

void checkBodyLength(std::int64_t received, std::int32_t announced, bool ended) {
    if (received > announced) {
        throw platform::Failure(platform::errors::kTransferFailed,
                                kLongBodyPrefix + std::to_string(announced) + " bytes.");
    }
    if (ended && received < announced) {
        throw platform::Failure(platform::errors::kTransferFailed,
                                kShortBodyPrefix + std::to_string(received) + " de " +
                                    std::to_string(announced) + " bytes.");
    }
}

}  // namespace quibrant::transfer
