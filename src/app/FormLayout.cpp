#include "app/FormLayout.h"

#include <algorithm>
#include <cmath>

namespace quibrant {

namespace {

constexpr platform::Color kCommand1Color = 0x00FF00;  // green
constexpr platform::Color kCommand2Color = 0xC0FFC0;  // light green
constexpr platform::Color kCommand3Color = 0xC0FFFF;  // light yellow

constexpr const char* kSourceFolderLabel = "Carpeta Origen";
constexpr const char* kSourceFileLabel = "Fichero Origen";
constexpr const char* kDestinationLabel = "Fichero Destino";
constexpr const char* kCodeLabel = "Contraseña";
constexpr const char* kServer1Caption = "Servidor-1";
constexpr const char* kServer2Caption = "Servidor-2";
constexpr const char* kCommand1Caption = "Descargar e Instalar";
constexpr const char* kCommand2Caption = "Solo Descargar";
// The spaces break the caption into "Solo" over "Instalar" on the button.
constexpr const char* kCommand3Caption = "  Solo   Instalar";
constexpr const char* kFolderPictureName = "Cambiar la carpeta de destino";
// One name for both padlocks: a click acts on the mask, whichever is shown.
constexpr const char* kPadlockName = "Mostrar u ocultar la contraseña";
constexpr const char* kProgressName = "Progreso de la descarga";

constexpr double kLegibleContrast = 4.5;
constexpr int kShadeSteps = 64;

// The light a colour gives off, 0 for black to 1 for white (sRGB, as the
// accessibility guidelines define it).
double luminance(platform::Color color) {
    const auto linear = [color](int shift) {
        const double c = static_cast<double>((color >> shift) & 0xFF) / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(0) + 0.7152 * linear(8) + 0.0722 * linear(16);
}

platform::Color shade(platform::Color color, int step) {
    platform::Color out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const platform::Color channel = (color >> shift) & 0xFF;
        out |= (channel * static_cast<platform::Color>(step) / kShadeSteps) << shift;
    }
    return out;
}

using K = ControlKind;

const std::vector<ControlDef> kControls = {
    {"Frame1", K::Frame, nullptr, 0, 2130, 9765, 510, kFrame1Caption, "", false, -1, kFrameColor},
    {"ProgressBar1", K::Progress, "Frame1", 45, 225, 9675, 225, kProgressName, "", true, -1, 0},
    {"Frame2", K::Frame, nullptr, -15, 0, 9780, 2130, "", "", true, -1, kFrameColor},
    {"Label1_3", K::Label, "Frame2", 210, 1560, 930, 315, kCodeLabel, "", true, -1, kFrameColor},
    {"Text4", K::TextBox, "Frame2", 1230, 1515, 1185, 285, "", kPasswordChar, true, 0,
     kSystemWindowColor},
    {"Command1", K::Command, "Frame2", 3690, 1410, 1155, 525, kCommand1Caption, "", true, 1,
     kCommand1Color},
    {"Command2", K::Command, "Frame2", 4875, 1410, 1155, 525, kCommand2Caption, "", true, 2,
     kCommand2Color},
    {"Label1_2", K::Label, "Frame2", 75, 240, 1275, 315, kSourceFolderLabel, "", false, -1,
     kFrameColor},
    {"Text3", K::TextBox, "Frame2", 1245, 195, 7125, 285, "", "", false, 3, kSystemWindowColor},
    {"Label1_0", K::Label, "Frame2", 75, 585, 1275, 315, kSourceFileLabel, "", true, -1,
     kFrameColor},
    {"Text1", K::TextBox, "Frame2", 1245, 555, 8385, 285, "", "", true, 4, kSystemWindowColor},
    {"Label1_1", K::Label, "Frame2", 75, 945, 2160, 315, kDestinationLabel, "", true, -1,
     kFrameColor},
    {"Text2", K::TextBox, "Frame2", 1245, 900, 8085, 285, "", "", true, 5, kSystemWindowColor},
    {"Label2", K::Label, "Frame2", 5655, 1950, 2265, 240, kLabel2Caption, "", false, -1,
     kFrameColor},
    {"Picture1_0", K::Picture, "Frame2", 2415, 1500, 315, 300, kPadlockName, "", true, 14,
     kFrameColor},
    {"Command3", K::Command, "Frame2", 6030, 1410, 1155, 525, kCommand3Caption, "", true, 15,
     kCommand3Color},
    {"Picture2_0", K::Picture, "Frame2", 9330, 915, 300, 255, kFolderPictureName, "", true, 16,
     kFrameColor},
    {"Picture1_1", K::Picture, "Frame2", 2820, 1530, 315, 300, kPadlockName, "", false, 17,
     kFrameColor},
    {"Option1_0", K::Option, "Frame2", 8415, 135, 1215, 195, kServer1Caption, "", false, 18,
     kOptionBackColor},
    {"Option1_1", K::Option, "Frame2", 8415, 345, 1215, 195, kServer2Caption, "", false, 19,
     kOptionBackColor},
};

}  // namespace

const std::vector<ControlDef>& formControls() {
    return kControls;
}

std::vector<const ControlDef*> formTabOrder() {
    std::vector<const ControlDef*> order;
    for (const ControlDef& control : kControls) {
        if (control.tabIndex >= 0) {
            order.push_back(&control);
        }
    }
    std::sort(order.begin(), order.end(),
              [](const ControlDef* a, const ControlDef* b) { return a->tabIndex < b->tabIndex; });
    return order;
}

const ControlDef* formControl(std::string_view name) {
    for (const ControlDef& control : kControls) {
        if (name == control.name) {
            return &control;
        }
    }
    return nullptr;
}

double contrastRatio(platform::Color a, platform::Color b) {
    const double lighter = std::max(luminance(a), luminance(b));
    const double darker = std::min(luminance(a), luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

platform::Color disabledTextColor(platform::Color background) {
    for (int step = kShadeSteps; step > 0; --step) {
        if (contrastRatio(shade(background, step), background) >= kLegibleContrast) {
            return shade(background, step);
        }
    }
    return 0;
}

}  // namespace quibrant
