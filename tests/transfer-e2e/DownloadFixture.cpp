#include "DownloadFixture.h"

#include <QCoreApplication>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "EventLoop.h"
#include "TestServers.h"

namespace quibrant::test {

std::string RecordingProcess::listName(const std::string& path, bool) {
    if (!exists(path)) {
        return "";
    }
    const std::size_t separator = path.rfind('/');
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

DownloadFixture::DownloadFixture(const std::string& serverBaseUrl)
    : transfer_(makeTransfer(serverBaseUrl)), inet(*transfer_), serverBaseUrl_(serverBaseUrl) {
    if (!dir_.isValid()) {
        throw std::runtime_error("no temporary folder");
    }
    // Ticks and network events run whenever the form lets the window
    // process its events. A time-out inside a tick ended the program: the
    // rest of the loop that let the events run must not go on either.
    window.onEvents = [this] {
        QCoreApplication::processEvents();
        if (ended_) {
            throw ProgramEnded{};
        }
    };
    ticks_.setInterval(500);
    QObject::connect(&ticks_, &QTimer::timeout, [this] {
        if (!form || !Timer1.isEnabled()) {
            return;
        }
        try {
            form->Timer1_Timer();
        } catch (const ProgramEnded&) {
            ended_ = true;
        }
    });
    ticks_.start();
}

DownloadFixture::~DownloadFixture() {
    ticks_.stop();
    inet.onStateChanged(nullptr);
    inet.Cancel();
    form.reset();
}

DownloadForm& DownloadFixture::open() {
    Controls c = controls();
    c.Inet1 = &inet;
    Services s = services();
    s.fileSystems = files_;
    s.process = &realProcess;
    s.clock = clock_;
    s.signatures = signatures_;
    form = std::make_unique<DownloadForm>(
        c, s, ServerConfig{serverBaseUrl_, "transferencias.example", "prueba", "secreto"});
    inet.onStateChanged([this](std::int16_t state) {
        try {
            form->Inet1_StateChanged(state);
        } catch (const ProgramEnded&) {
            ended_ = true;
        }
    });
    shells.specialFolders["Desktop"] = folder();
    form->Option1_Click(1);
    Text2.setText(destination());
    state().CodeAccepted = kTrue;
    state().BuildCategory = 3;
    return *form;
}

void DownloadFixture::download(const std::string& folder, const std::string& file, bool install) {
    Text3.setText(folder);
    Text1.setText(file);
    if (install) {
        form->Command1_Click();
    } else {
        form->Command2_Click();
    }
}

bool DownloadFixture::runToOutcome(int timeoutMs) {
    return runUntil([this] { return ended_ || (Frame2.isEnabled() && !messages.shown.empty()); },
                    timeoutMs);
}

std::string DownloadFixture::lastMessage() const {
    return messages.shown.empty() ? "" : messages.shown.back().text;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "<none>";
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool exists(const std::string& path) {
    return std::ifstream(path).good();
}

bool partialFileIn(const std::string& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 9 && name.compare(name.size() - 9, 9, ".descarga") == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace quibrant::test
