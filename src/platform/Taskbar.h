#pragma once

namespace quibrant::platform {

enum class TaskbarState {
    // No progress on the button.
    None,
    // A download runs: the button shows the share received.
    Normal,
    // A download failed and the user is being told: the button asks for attention.
    Error,
};

// What the window's button on the taskbar (or its entry in a dock) shows.
struct TaskbarProgress {
    // Steps in a whole bar: finer than any button is wide.
    static constexpr int kSteps = 1000;

    TaskbarState state = TaskbarState::None;
    // Steps done, 0 to kSteps.
    int done = 0;

    bool operator==(const TaskbarProgress& other) const {
        return state == other.state && done == other.done;
    }
    bool operator!=(const TaskbarProgress& other) const { return !(*this == other); }
};

// The window's button on the system's taskbar. A system without one, or
// whose taskbar is not there yet, shows nothing; nothing about the download
// depends on it, so it never throws.
class TaskbarButton {
  public:
    virtual ~TaskbarButton() = default;
    virtual void show(const TaskbarProgress& progress) = 0;
};

}  // namespace quibrant::platform
