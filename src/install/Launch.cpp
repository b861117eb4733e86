#include "app/DownloadForm.h"

namespace quibrant {

void DownloadForm::RunInstaller() { services_.process->end(); }

}  // namespace quibrant
