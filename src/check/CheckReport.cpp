#include "check/CheckReport.h"

#include <algorithm>
#include <array>

namespace quibrant::check {

namespace {

constexpr const char* kHeadTarget = "DESTINO";
constexpr const char* kHeadCodes = "CÓDIGOS";
constexpr const char* kHeadStatus = "ESTADO";
constexpr const char* kHeadSize = "TAMAÑO";
constexpr const char* kHeadSigner = "FIRMANTE";
constexpr const char* kHeadVerdict = "VEREDICTO";
constexpr const char* kAccepted = "aceptado";
constexpr const char* kRefusedPrefix = "rechazado: ";
constexpr const char* kNoCodes = "(ninguno)";
constexpr const char* kMoreCodesPrefix = " y ";
constexpr const char* kMoreCodesSuffix = " más";
constexpr const char* kUnknown = "-";
constexpr const char* kSummaryTargets = " destinos: ";
constexpr const char* kSummaryAccepted = " aceptados, ";
constexpr const char* kSummaryRefused = " rechazados.";
// A default target is reached by well over a hundred codes: the table names
// a few and counts the rest; the JSON lists them all.
constexpr std::size_t kCodesShown = 4;
constexpr const char* kColumnGap = "  ";

constexpr const char* kVerdictAccepted = "accepted";
constexpr const char* kVerdictRefused = "refused";

// The width a terminal gives UTF-8 text: one column per character.
std::size_t columns(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string codesCell(const std::vector<std::string>& codes) {
    if (codes.empty()) {
        return kNoCodes;
    }
    std::string cell;
    for (std::size_t i = 0; i < codes.size() && i < kCodesShown; ++i) {
        cell += (i == 0 ? "" : " ") + cleanText(codes[i]);
    }
    if (codes.size() > kCodesShown) {
        cell += kMoreCodesPrefix + std::to_string(codes.size() - kCodesShown) + kMoreCodesSuffix;
    }
    return cell;
}

}  // namespace

std::string verdictText(const TargetOutcome& outcome) {
    return outcome.accepted() ? kAccepted : kRefusedPrefix + cleanText(outcome.reason);
}

namespace {

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : cleanText(text)) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

// The length of the UTF-8 sequence that starts with `lead`, 0 when no
// sequence starts with it.
std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

}  // namespace

const char* causeName(Cause cause) {
    switch (cause) {
        case Cause::None:
            return "none";
        case Cause::Missing:
            return "missing";
        case Cause::Status:
            return "status";
        case Cause::Transfer:
            return "transfer";
        case Cause::Unsigned:
            return "unsigned";
        case Cause::Malformed:
            return "malformed";
        case Cause::Tampered:
            return "tampered";
        case Cause::Untrusted:
            return "untrusted";
        case Cause::Expired:
            return "expired";
        case Cause::ForeignSigner:
            return "foreign_signer";
        case Cause::WeakDigest:
            return "weak_digest";
        case Cause::Unreadable:
            return "unreadable";
    }
    return "unknown";
}

std::string cleanText(const std::string& text) {
    std::string clean;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = sequenceLength(lead);
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                length = 0;
            }
        }
        // C1 controls (U+0080 to U+009F) act as escapes on some terminals.
        const bool c1 =
            length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (lead == '\r' || lead == '\n' || lead == '\t') {
            clean += ' ';
        } else if (length == 0 || c1 || lead < 0x20 || lead == 0x7F) {
            clean += '?';
        } else {
            clean.append(text, i, length);
        }
        i += length == 0 ? 1 : length;
    }
    return clean;
}

void writeTable(std::ostream& out, const std::vector<TargetOutcome>& outcomes) {
    using Row = std::array<std::string, 6>;
    std::vector<Row> rows{
        {kHeadTarget, kHeadCodes, kHeadStatus, kHeadSize, kHeadSigner, kHeadVerdict}};
    std::size_t accepted = 0;
    for (const TargetOutcome& outcome : outcomes) {
        rows.push_back({cleanText(outcome.target.path), codesCell(outcome.target.codes),
                        outcome.status != 0 ? std::to_string(outcome.status) : kUnknown,
                        outcome.size >= 0 ? std::to_string(outcome.size) : kUnknown,
                        outcome.signer.empty() ? kUnknown : cleanText(outcome.signer),
                        verdictText(outcome)});
        accepted += outcome.accepted() ? 1 : 0;
    }
    std::array<std::size_t, 6> widths{};
    for (const Row& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            widths[column] = std::max(widths[column], columns(row[column]));
        }
    }
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t column = 0; column + 1 < row.size(); ++column) {
            line +=
                row[column] + std::string(widths[column] - columns(row[column]), ' ') + kColumnGap;
        }
        out << line << row.back() << '\n';
    }
    out << '\n'
        << outcomes.size() << kSummaryTargets << accepted << kSummaryAccepted
        << outcomes.size() - accepted << kSummaryRefused << '\n';
}

void writeJson(std::ostream& out, const std::string& server, const std::string& expectedSigner,
               const std::vector<TargetOutcome>& outcomes) {
    const bool allAccepted = std::all_of(outcomes.begin(), outcomes.end(),
                                         [](const TargetOutcome& o) { return o.accepted(); });
    out << "{\n  \"server\": " << jsonString(server)
        << ",\n  \"signer\": " << jsonString(expectedSigner)
        << ",\n  \"accepted\": " << (allAccepted ? "true" : "false") << ",\n  \"targets\": [";
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const TargetOutcome& outcome = outcomes[i];
        out << (i == 0 ? "\n" : ",\n") << "    {\"target\": " << jsonString(outcome.target.path)
            << ", \"url\": " << jsonString(outcome.target.url) << ", \"codes\": [";
        for (std::size_t k = 0; k < outcome.target.codes.size(); ++k) {
            out << (k == 0 ? "" : ", ") << jsonString(outcome.target.codes[k]);
        }
        out << "], \"status\": "
            << (outcome.status != 0 ? std::to_string(outcome.status) : std::string("null"))
            << ", \"size\": "
            << (outcome.size >= 0 ? std::to_string(outcome.size) : std::string("null"))
            << ", \"signer\": " << (outcome.signer.empty() ? "null" : jsonString(outcome.signer))
            << ", \"verdict\": \"" << (outcome.accepted() ? kVerdictAccepted : kVerdictRefused)
            << "\", \"cause\": \"" << causeName(outcome.cause)
            << "\", \"reason\": " << jsonString(outcome.reason) << "}";
    }
    out << (outcomes.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

}  // namespace quibrant::check
