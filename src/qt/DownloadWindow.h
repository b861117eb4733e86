#pragma once

#include <QWidget>
#include <memory>

#include "app/DownloadForm.h"
#include "app/TextBoxFocus.h"
#include "platform/InternetTransfer.h"
#include "source/ServerConfig.h"

namespace quibrant::qt {

struct WindowLayout;
struct WindowControls;
class KeyPreview;

// The program's window: the Qt widgets of the form, its controls as the form
// sees them, and the form itself, with every user event forwarded to the
// form's handler for it. The transfer component must outlive the window.
class DownloadWindow : public QWidget {
    Q_OBJECT
  public:
    DownloadWindow(const quibrant::Services& services, platform::InternetTransfer& inet,
                   quibrant::ServerConfig server = quibrant::ServerConfig::builtIn(),
                   QWidget* parent = nullptr);
    ~DownloadWindow() override;

    quibrant::DownloadForm& form() { return *form_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void connectClicks();
    void onTextFocus(int box, QEvent* event);
    // Runs one handler of the form. A failure that the handler does not trap
    // itself is shown to the user instead of bringing the program down.
    template <typename Handler>
    void run(Handler&& handler);

    quibrant::Services services_;
    platform::InternetTransfer& inet_;
    std::unique_ptr<WindowLayout> layout_;
    std::unique_ptr<WindowControls> controls_;
    std::unique_ptr<quibrant::DownloadForm> form_;
    std::unique_ptr<KeyPreview> keyPreview_;
    TextBoxFocus focus_;
    bool activated_ = false;
};

}  // namespace quibrant::qt
