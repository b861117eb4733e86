#include "app/DownloadForm.h"

namespace quibrant {

void DownloadForm::FindExistingInstallation() { state_.InstallFolder = fileSystem().systemDriveRoot(); }

}  // namespace quibrant
