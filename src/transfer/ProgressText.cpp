#include "transfer/ProgressText.h"

#include <charconv>
#include <cmath>

namespace quibrant::transfer {

namespace {

constexpr const char* kReceived = "Descargados ";
constexpr const char* kOf = " de ";
constexpr const char* kKBytes = " KBytes. (";
constexpr const char* kPercent = "%)";

void appendWhole(std::string& text, double value) {
    char digits[32];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, static_cast<long long>(value));
    text.append(digits, result.ptr);
}

}  // namespace

double roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5) {
        return lower + 1;
    }
    if (fraction < 0.5) {
        return lower;
    }
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

void formatProgressText(float progressValue, std::int32_t contentLength, std::string& text) {
    const float kilobytes = progressValue / 1024.0f;
    const double totalKilobytes = static_cast<double>(contentLength) / 1024.0;
    const double percent =
        static_cast<double>(progressValue) * 100.0 / static_cast<double>(contentLength);

    text.clear();
    text += kReceived;
    appendWhole(text, roundHalfEven(kilobytes));
    text += kOf;
    appendWhole(text, roundHalfEven(totalKilobytes));
    text += kKBytes;
    appendWhole(text, roundHalfEven(percent));
    text += kPercent;
}

}  // namespace quibrant::transfer
