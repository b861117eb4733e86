#pragma once

#include <array>
#include <utility>

#include "app/DownloadForm.h"

namespace quibrant {

// Which of the four text boxes the form last saw take the focus, and the
// GotFocus / LostFocus handlers that a focus change means for the form. Both
// windows feed it their focus events; `run` calls one handler of the form.
//
// Focus that leaves for a message box or another program and comes back to
// the same box is no change for the form: the toolkit does not report such a
// loss, and getting the focus back to the box the form last saw is ignored.
class TextBoxFocus {
  public:
    using Handler = void (DownloadForm::*)();

    // Box 1 to 4 took the focus.
    template <typename Run>
    void gained(int box, Run&& run) {
        if (current_ == box) {
            return;
        }
        if (current_ != 0) {
            run(kLost[index(std::exchange(current_, 0))]);
        }
        current_ = box;
        run(kGot[index(box)]);
    }

    // Box 1 to 4 lost the focus to another control of the same window.
    template <typename Run>
    void lost(int box, Run&& run) {
        if (current_ != box) {
            return;
        }
        current_ = 0;
        run(kLost[index(box)]);
    }

    int current() const { return current_; }

  private:
    static constexpr std::array<Handler, 4> kGot{
        &DownloadForm::Text1_GotFocus, &DownloadForm::Text2_GotFocus, &DownloadForm::Text3_GotFocus,
        &DownloadForm::Text4_GotFocus};
    static constexpr std::array<Handler, 4> kLost{
        &DownloadForm::Text1_LostFocus, &DownloadForm::Text2_LostFocus,
        &DownloadForm::Text3_LostFocus, &DownloadForm::Text4_LostFocus};

    static std::size_t index(int box) { return static_cast<std::size_t>(box - 1); }

    int current_ = 0;
};

}  // namespace quibrant
