#include "app/DownloadForm.h"

namespace quibrant {

void DownloadForm::StartDownload() {}

}  // namespace quibrant
