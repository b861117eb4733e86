#include "app/DownloadForm.h"

namespace quibrant {

// The main server becomes the server in use, and the transfer component gets
// its host and credentials before the user can ask for a download.
void DownloadForm::Option1_Click(std::int16_t /*Index*/) {
    state_.ServerBaseUrl = server_.MainServerBaseUrl;
    state_.SourceUrl = state_.ServerBaseUrl;
    controls_.Text3->setText(state_.ServerBaseUrl);
    controls_.Inet1->setRemoteHost(server_.MainTransferHost);
    controls_.Inet1->setUserName(server_.MainTransferUser);
    controls_.Inet1->setPassword(server_.MainTransferPassword);
}

}  // namespace quibrant
