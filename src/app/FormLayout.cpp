#include "app/FormLayout.h"

#include <algorithm>
#include <cmath>

namespace quibrant {

namespace {

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

#define QUIBRANT_CONTROL_ROW(name, kind, container, left, top, width, height, caption, mask, \
                             visible, tabIndex, backColor, click)                            \
    {#name,  ControlKind::kind, container, left,    top,      width,                         \
     height, caption,           mask,      visible, tabIndex, backColor},
const std::vector<ControlDef> kControls = {QUIBRANT_FORM_CONTROLS(QUIBRANT_CONTROL_ROW)};
#undef QUIBRANT_CONTROL_ROW

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
