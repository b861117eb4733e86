#include "transfer/DownloadRequest.h"

#include "platform/Text.h"

namespace quibrant::transfer {

std::string composeSourceUrl(const std::string& fileName, const std::string& folder) {
    const std::string upper = platform::upperCase(fileName);
    const bool fullAddress =
        upper.compare(0, 4, "HTTP") == 0 || upper.find("WWW.") != std::string::npos;
    return fullAddress ? fileName : folder + fileName;
}

}  // namespace quibrant::transfer
