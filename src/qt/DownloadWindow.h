#pragma once

#include <QWidget>
#include <memory>

#include "app/DownloadForm.h"
#include "app/WindowHost.h"
#include "platform/InternetTransfer.h"
#include "source/ServerConfig.h"

namespace quibrant::qt {

class WindowLayout;
struct WindowControls;
class KeyPreview;

// The program's window: the Qt widgets of the form and its controls as the
// form sees them, with every user event passed to the window host (which
// runs the form). The transfer component must outlive the window, and
// `server` is the one the wiring gave it: the form sets the component's host
// and login from it.
class DownloadWindow : public QWidget {
    Q_OBJECT
  public:
    DownloadWindow(const quibrant::Services& services, platform::InternetTransfer& inet,
                   quibrant::ServerConfig server, QWidget* parent = nullptr);
    ~DownloadWindow() override;

    quibrant::DownloadForm& form() { return host_->form(); }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void connectClicks();

    std::unique_ptr<WindowLayout> layout_;
    std::unique_ptr<WindowControls> controls_;
    std::unique_ptr<quibrant::WindowHost> host_;
    std::unique_ptr<KeyPreview> keyPreview_;
};

}  // namespace quibrant::qt
