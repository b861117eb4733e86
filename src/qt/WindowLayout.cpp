#include "qt/WindowLayout.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QRadioButton>
#include <stdexcept>
#include <string>

#include "platform/Controls.h"
#include "qt/Units.h"

namespace quibrant::qt {

namespace {

// The artwork each picture shows, compiled in with the program.
QPixmap artworkOf(std::string_view picture) {
    const std::pair<std::string_view, const char*> artwork[] = {
        {"Picture1_0", "padlock-closed.xpm"},
        {"Picture1_1", "padlock-open.xpm"},
        {"Picture2_0", "folder-arrows.xpm"}};
    for (const auto& [name, file] : artwork) {
        if (name == picture) {
            return QPixmap(QStringLiteral(":/artwork/") + QString::fromLatin1(file));
        }
    }
    return {};
}

QString captionOf(const ControlDef& def) {
    return QString::fromUtf8(def.caption);
}

void setColors(QWidget& widget, platform::Color back, platform::Color text) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, toQColor(back));
    palette.setColor(QPalette::WindowText, toQColor(text));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

// The widget that shows a control of the row's kind, dressed as the row says.
std::unique_ptr<QWidget> widgetFor(const ControlDef& def, QWidget& parent,
                                   AsteriskMaskStyle& codeMask) {
    switch (def.kind) {
        case ControlKind::Frame:
            return std::make_unique<CaptionFrame>(toQColor(def.backColor), &parent);
        case ControlKind::Label: {
            auto label = std::make_unique<QLabel>(captionOf(def), &parent);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ControlKind::TextBox: {
            auto box = std::make_unique<QLineEdit>(&parent);
            if (*def.passwordChar != '\0') {
                box->setStyle(&codeMask);
            }
            return box;
        }
        case ControlKind::Option: {
            auto option = std::make_unique<QRadioButton>(captionOf(def), &parent);
            setColors(*option, def.backColor, kOptionTextColor);
            return option;
        }
        case ControlKind::Picture: {
            auto picture = std::make_unique<PictureButton>(artworkOf(def.name), &parent);
            picture->setAccessibleName(captionOf(def));
            return picture;
        }
        case ControlKind::Command: {
            auto button =
                std::make_unique<ColorButton>(captionOf(def), toQColor(def.backColor), &parent);
            // Screen readers read the words: the caption's spaces only lay it out.
            button->setAccessibleName(captionOf(def).simplified());
            return button;
        }
        case ControlKind::Progress: {
            auto bar = std::make_unique<QProgressBar>(&parent);
            bar->setTextVisible(false);
            bar->setFocusPolicy(Qt::NoFocus);
            bar->setAccessibleName(captionOf(def));
            return bar;
        }
    }
    throw std::logic_error("a control of no known kind");
}

// An input takes its accessible name from the label in front of it, and the
// label points at it so that screen readers pair them.
void labelInput(QLabel& label, QWidget& input) {
    label.setBuddy(&input);
    input.setAccessibleName(label.text());
}

// The layout is in fixed pixels, built for a narrow classic dialog font. With a
// wider font a label would run under the box beside it, so it is narrowed
// just enough to end before the box.
void fitBefore(QLabel& label, const QWidget& next) {
    constexpr int kGap = 1;
    constexpr int kNarrowestStretch = 70;
    const int available = next.x() - label.x() - kGap;
    QFont font = label.font();
    for (int stretch = 100; stretch >= kNarrowestStretch; stretch -= 5) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(label.text()) <= available) {
            break;
        }
    }
    label.setFont(font);
}

}  // namespace

WindowLayout::WindowLayout(QWidget& window) {
    for (const ControlDef& def : formControls()) {
        QWidget& parent = def.container != nullptr ? find(def.container) : window;
        std::unique_ptr<QWidget> widget = widgetFor(def, parent, codeMask_);
        widget->setObjectName(QString::fromLatin1(def.name));
        widget->setGeometry(pixelRect(def.left, def.top, def.width, def.height));
        widget->setVisible(def.visible);
        widgets_.emplace_back(&def, std::move(widget));
    }
    labelInputs();
    widget<QWidget>("Picture2_0").setToolTip(QString::fromUtf8(kFolderToolTip));
    orderFocus();
}

WindowLayout::~WindowLayout() {
    // What a container holds goes before the container.
    while (!widgets_.empty()) {
        widgets_.pop_back();
    }
}

QWidget& WindowLayout::find(std::string_view name) const {
    for (const auto& [def, widget] : widgets_) {
        if (name == def->name) {
            return *widget;
        }
    }
    throw std::logic_error("no control named " + std::string(name));
}

// Each label just before a text box names that box.
void WindowLayout::labelInputs() {
    for (std::size_t i = 0; i + 1 < widgets_.size(); ++i) {
        const auto& [def, widget] = widgets_[i];
        const auto& [nextDef, next] = widgets_[i + 1];
        if (def->kind == ControlKind::Label && nextDef->kind == ControlKind::TextBox) {
            auto& label = static_cast<QLabel&>(*widget);
            labelInput(label, *next);
            fitBefore(label, *next);
        }
    }
}

// Focus order of the controls that can take the focus; hidden ones are
// passed over while hidden.
void WindowLayout::orderFocus() {
    QWidget* previous = nullptr;
    for (const ControlDef* def : formTabOrder()) {
        QWidget* next = &find(def->name);
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, next);
        }
        previous = next;
    }
}

}  // namespace quibrant::qt
