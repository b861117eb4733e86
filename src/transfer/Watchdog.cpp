#include "app/DownloadForm.h"

namespace quibrant {

void DownloadForm::Timer1_Timer() {}

}  // namespace quibrant
