#include "app/DownloadForm.h"

namespace quibrant {

void DownloadForm::Inet1_StateChanged(std::int16_t /*State*/) {}

void DownloadForm::discardPartialDownload() {}

}  // namespace quibrant
