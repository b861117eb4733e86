#include "support/FormFixture.h"

namespace quibrant::test {

FormFixture::FormFixture() {
    // Controls as the window is built: hidden ones hidden, Text4 masked.
    Frame1.setVisible(false);
    Label2.setVisible(false);
    Text3.setVisible(false);
    Picture1_1.setVisible(false);
    Option1_0.setVisible(false);
    Option1_1.setVisible(false);
    Text4.setPasswordChar("*");
    Frame1.setCaption("Pravelda");
    Label2.setCaption("Stat");
    Frame1.captionChanges = 0;
    Label2.captionChanges = 0;
}

Controls FormFixture::controls() {
    return controlsOf(*this, Inet1);
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
