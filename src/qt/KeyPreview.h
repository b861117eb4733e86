#pragma once

#include <QObject>
#include <QWidget>
#include <cstdint>
#include <functional>

namespace quibrant::qt {

// Offers every character key typed in one window to a handler before the
// focused control sees it. The handler returns the character to type: the
// same, another, or 0 to discard the key.
class KeyPreview : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<std::uint32_t(std::uint32_t character)>;

    KeyPreview(QWidget& window, Handler handler);
    ~KeyPreview() override;
    KeyPreview(const KeyPreview&) = delete;
    KeyPreview& operator=(const KeyPreview&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget& window_;
    Handler handler_;
    bool retyping_ = false;
};

}  // namespace quibrant::qt
