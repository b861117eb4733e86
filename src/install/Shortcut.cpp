#include "app/DownloadForm.h"

namespace quibrant {

std::int32_t DownloadForm::CreateShortCut(const std::string&, const std::string&,
                                          const std::string&, const std::string&) {
    return 52;
}

void DownloadForm::CreateDesktopShortcut(const std::string&) {}

}  // namespace quibrant
