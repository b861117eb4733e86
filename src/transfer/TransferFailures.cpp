#include "transfer/TransferFailures.h"

#include <algorithm>

namespace quibrant::transfer {

namespace {

constexpr const char* kUnsupportedOperation =
    "El componente de transferencia no admite la operación ";
constexpr const char* kInvalidAddress = "La dirección de descarga no es válida: ";
constexpr const char* kNoRequest = "No hay ninguna descarga en curso.";
constexpr const char* kCancelled = "La descarga se canceló.";
constexpr const char* kStalledStart = "La descarga se detuvo: el servidor no envió datos durante ";
constexpr const char* kStalledSeconds = " segundos";
constexpr const char* kInterrupted = "La descarga se interrumpió: ";
constexpr const char* kReceived = "se recibieron ";
constexpr const char* kOf = " de ";
constexpr const char* kBytes = " bytes";

// Longer runs of digits are not a length anyone can read out anyway.
constexpr std::size_t kMostLengthDigits = 18;

// "se recibieron 2000 de 5000 bytes"; without " de ..." when the announced
// length is absent or not a plain number.
std::string receivedSoFar(const BodyProgress& progress) {
    std::string text = kReceived + std::to_string(progress.received);
    const std::string& announced = progress.announced;
    const std::size_t begin = announced.find_first_not_of(" \t");
    const std::size_t end = announced.find_last_not_of(" \t");
    if (begin != std::string::npos && end - begin < kMostLengthDigits &&
        std::all_of(announced.begin() + begin, announced.begin() + end + 1,
                    [](char c) { return c >= '0' && c <= '9'; })) {
        text += kOf + announced.substr(begin, end - begin + 1);
    }
    return text + kBytes;
}

}  // namespace

platform::Failure transferFailure(TransferFault fault, const std::string& subject) {
    switch (fault) {
        case TransferFault::kUnsupportedOperation:
            return platform::Failure(platform::errors::kInvalidPropertyValue,
                                     kUnsupportedOperation + subject + ".");
        case TransferFault::kInvalidAddress:
            return platform::Failure(platform::errors::kTransferFailed,
                                     kInvalidAddress + std::string("«") + subject + "».");
        case TransferFault::kNoRequest:
            return platform::Failure(platform::errors::kTransferFailed, kNoRequest);
        case TransferFault::kCancelled:
            break;
    }
    return platform::Failure(platform::errors::kTransferFailed, kCancelled);
}

platform::Failure stalledBody(std::chrono::milliseconds limit, const BodyProgress& progress) {
    return platform::Failure(platform::errors::kTransferFailed,
                             kStalledStart + std::to_string(limit.count() / 1000) +
                                 kStalledSeconds + "; " + receivedSoFar(progress) + ".");
}

platform::Failure brokenBody(const std::string& cause, const BodyProgress& progress,
                             const std::string& detail) {
    return platform::Failure(
        platform::errors::kTransferFailed,
        kInterrupted + cause + "; " + receivedSoFar(progress) + " (" + detail + ").");
}

}  // namespace quibrant::transfer
