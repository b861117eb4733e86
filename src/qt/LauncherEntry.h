#pragma once

#include <QString>

#include "app/ScreenRate.h"
#include "platform/Taskbar.h"
#include "qt/ControlAdapters.h"

namespace quibrant::qt {

// The program's entry in the desktop's task manager or dock, through the
// launcher-entry signal on the session bus that Plasma and the GNOME docks
// read: progress while a download runs, "urgent" while its failure is told.
// The entry is found by the program's desktop file; without one, or without
// a session bus, nothing is sent and nothing is said.
class LauncherEntry : public platform::TaskbarButton {
  public:
    // The desktop file the application names (QGuiApplication::desktopFileName).
    LauncherEntry();
    // Leaves nothing shown on the entry.
    ~LauncherEntry() override;
    LauncherEntry(const LauncherEntry&) = delete;
    LauncherEntry& operator=(const LauncherEntry&) = delete;

    void show(const platform::TaskbarProgress& progress) override { rated_.show(progress); }

  private:
    void send(const platform::TaskbarProgress& progress);

    QString appUri_;
    QString path_;
    platform::TaskbarProgress sent_;
    RateTimer timer_;
    RatedTaskbar rated_;
};

}  // namespace quibrant::qt
