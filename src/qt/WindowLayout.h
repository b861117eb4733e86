#pragma once

#include <QWidget>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "app/FormLayout.h"
#include "qt/Widgets.h"

namespace quibrant::qt {

// Every widget of the download window, one per row of the control table, at
// its place, with its caption, colours, tab order and accessible name. Each
// widget's object name is the control's name.
class WindowLayout {
  public:
    explicit WindowLayout(QWidget& window);
    ~WindowLayout();
    WindowLayout(const WindowLayout&) = delete;
    WindowLayout& operator=(const WindowLayout&) = delete;

    // The widget of the control of that name, as the widget its kind makes
    // (a QLineEdit for a text box, a CaptionFrame for a frame...).
    template <typename Widget = QWidget>
    Widget& widget(std::string_view name) const {
        return static_cast<Widget&>(find(name));
    }

  private:
    QWidget& find(std::string_view name) const;
    void labelInputs();
    void orderFocus();

    // Declared first: the code box uses it until the box is gone.
    AsteriskMaskStyle codeMask_;
    // In the table's order, containers before what they hold; they go in
    // the reverse order.
    std::vector<std::pair<const ControlDef*, std::unique_ptr<QWidget>>> widgets_;
};

}  // namespace quibrant::qt
