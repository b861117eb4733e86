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
    Controls c;
    c.window = &window;
    c.Text1 = &Text1;
    c.Text2 = &Text2;
    c.Text3 = &Text3;
    c.Text4 = &Text4;
    c.Frame1 = &Frame1;
    c.Frame2 = &Frame2;
    c.Label2 = &Label2;
    c.ProgressBar1 = &ProgressBar1;
    c.Picture1 = {&Picture1_0, &Picture1_1};
    c.Picture2 = &Picture2;
    c.Option1 = {&Option1_0, &Option1_1};
    c.Timer1 = &Timer1;
    c.Inet1 = &Inet1;
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
