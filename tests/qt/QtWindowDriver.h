#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <memory>

#include "app/DownloadForm.h"
#include "qt/DownloadWindow.h"
#include "support/FakeInternetTransfer.h"
#include "support/FakeServices.h"

namespace quibrant::test {

// The window over fakes of every service: nothing touches the real machine.
struct WindowFixture : FakeServiceSet {
    static constexpr const char* kTempFolder = "/tmp/quibrant-test-temp";
    static constexpr const char* kProfile = "/home/user1";
    static constexpr const char* kDriveRoot = "/home/user1/.wine/dosdevices/c:/";

    FakeInternetTransfer inet;
    std::unique_ptr<qt::DownloadWindow> window;

    WindowFixture() {
        environment.addFolder(kTempFolder);
        environment.addFolder(kProfile);
        environment.variables = {{"temp", kTempFolder}, {"userprofile", kProfile}};
        fileSystems.fs().driveRoot = kDriveRoot;
    }

    // Builds the window and shows it as the program's start does, active.
    qt::DownloadWindow& start() {
        window = std::make_unique<qt::DownloadWindow>(services(), inet, ServerConfig::builtIn());
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get())) {
            qFatal("the window did not become active");
        }
        return *window;
    }

    template <typename T>
    T& child(const char* name) {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr) {
            qFatal("no widget named %s", name);
        }
        return *found;
    }
};

}  // namespace quibrant::test
