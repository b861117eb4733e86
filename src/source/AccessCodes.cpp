#include "app/DownloadForm.h"

namespace quibrant {

const AccessCodeTable& builtInAccessCodeTable() {
    static const AccessCodeTable table;
    return table;
}

void DownloadForm::EvaluateAccessCode() {}

std::string DownloadForm::NormalizeCode(const std::string& code) const { return code; }

}  // namespace quibrant
