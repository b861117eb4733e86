#include "app/DownloadForm.h"
#include "source/DownloadTargets.h"

namespace quibrant {

namespace {

// Upper case for ASCII letters and the Latin-1 letters à..þ (but ÷) as UTF-8.
// Anything else is left as it is, so no other character can turn into one of
// the code letters.
std::string toUpper(const std::string& text) {
    std::string upper = text;
    for (std::size_t i = 0; i < upper.size(); ++i) {
        const auto c = static_cast<unsigned char>(upper[i]);
        if (c >= 'a' && c <= 'z') {
            upper[i] = static_cast<char>(c - ('a' - 'A'));
        } else if (c == 0xC3 && i + 1 < upper.size()) {
            const auto next = static_cast<unsigned char>(upper[i + 1]);
            if (next >= 0xA0 && next <= 0xBE && next != 0xB7) {
                upper[i + 1] = static_cast<char>(next - 0x20);
            }
            ++i;
        }
    }
    return upper;
}

}  // namespace

std::string DownloadForm::NormalizeCode(const std::string& code) const {
    return toUpper(code);
}

void DownloadForm::EvaluateAccessCode() {
    // Blanks are not trimmed: a code typed with a space is a different code.
    const std::string typed = toUpper(controls_.Text4->text());

    state_.BuildCategory = 0;
    // Every entry is compared; the last match decides.
    for (const AccessCodeEntry& entry : accessCodes_) {
        if (NormalizeCode(std::string(entry.code)) == typed) {
            state_.BuildCategory = entry.category;
        }
    }

    state_.CodeAccepted = kFalse;
    controls_.Text1->setText(kDefaultTargetFileName);
    controls_.Text3->setText(state_.ServerBaseUrl);

    for (const DownloadTarget& target : downloadTargetTable()) {
        if (state_.BuildCategory == target.category) {
            controls_.Text1->setText(target.fileName);
            controls_.Text3->setText(target.folder ? server_.MainServerBaseUrl + target.folder
                                                   : state_.ServerBaseUrl);
            break;
        }
    }

    if (state_.BuildCategory != 0) {
        state_.CodeAccepted = kTrue;
    }
}

}  // namespace quibrant
