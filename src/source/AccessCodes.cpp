#include "source/AccessCodes.h"

#include "platform/Text.h"
#include "source/DownloadTargets.h"

namespace quibrant::source {

std::string normalizeCode(const std::string& code) {
    return platform::upperCase(code);
}

AccessCodeResult evaluateAccessCode(const std::string& typed, const AccessCodeTable& table,
                                    const std::string& mainServerBaseUrl,
                                    const std::string& serverBaseUrl) {
    const std::string code = normalizeCode(typed);
    AccessCodeResult result;
    for (const AccessCodeEntry& entry : table) {
        if (normalizeCode(std::string(entry.code)) == code) {
            result.category = entry.category;
        }
    }

    result.fileName = kDefaultTargetFileName;
    result.folder = serverBaseUrl;
    for (const DownloadTarget& target : downloadTargetTable()) {
        if (result.category == target.category) {
            result.fileName = target.fileName;
            result.folder = target.folder ? mainServerBaseUrl + target.folder : serverBaseUrl;
            break;
        }
    }
    result.accepted = result.category != 0;
    return result;
}

}  // namespace quibrant::source
