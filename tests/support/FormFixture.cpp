#include "support/FormFixture.h"

#include "app/WindowHost.h"

namespace quibrant::test {

FormFixture::FormFixture() {
    // Controls as every window starts.
    showControlsAtStart(controls());
    Frame1.captionChanges = 0;
    Frame2.captionChanges = 0;
    Label2.captionChanges = 0;
}

Controls FormFixture::controls() {
    Controls c = controlsOf(*this, Inet1);
    c.taskbar = &taskbar;
    return c;
}

DownloadForm& FormFixture::create(ServerConfig server, const AccessCodeTable& table) {
    form = std::make_unique<DownloadForm>(controls(), services(), std::move(server), table);
    Inet1.onStateChanged([this](std::int16_t state) { form->Inet1_StateChanged(state); });
    return *form;
}

DownloadForm& FormFixture::start(ServerConfig server, const AccessCodeTable& table) {
    create(std::move(server), table);
    form->Form_Load();
    form->Form_Activate();
    return *form;
}

}  // namespace quibrant::test
