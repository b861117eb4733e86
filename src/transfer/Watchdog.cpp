#include "app/DownloadForm.h"

namespace quibrant {

namespace {

constexpr const char* kTimeOut = "La conexión a Internet no responde. Aplicación Cancelada";
constexpr const char* kTimeOutTitle = "ERROR TIME OUT";
constexpr float kTimeOutSeconds = 10;
// A progress value of 1 or less counts as nothing received.
constexpr float kDataFlowing = 1;

}  // namespace

void DownloadForm::Timer1_Timer() {
    if (progress_.value() > kDataFlowing) {
        controls_.Timer1->setEnabled(false);
        return;
    }
    // The clock is monotonic, so a request that spans midnight is timed like
    // any other.
    const float elapsed = static_cast<float>(services_.clock->seconds() - state_.RequestStartTime);
    if (!(elapsed > kTimeOutSeconds)) {
        return;
    }
    controls_.Timer1->setEnabled(false);
    // Abandoned before the message: a response arriving while the box is open
    // must not start a download the program is about to end.
    discardPartialDownload();
    services_.messages->show(kTimeOut, kTimeOutTitle, platform::MessageIcon::Critical);
    services_.process->end();
}

}  // namespace quibrant
