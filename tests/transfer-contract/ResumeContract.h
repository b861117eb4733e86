#pragma once

// A broken body resumed, checked with the real form, the real component,
// real files and the scriptable server's "/resume" routes. The traits are
// TransferContract's, whose Component also has setResumeWait; the test
// program defines realFileSystems(). The form lets no events run between
// pieces: every wait of the component must run the window's events itself.
//
// The failures the user reads are the ones a break gets without resuming,
// except that a file changed on the server says so; in every failure the
// older installer stays as it was and nothing else is left beside it.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "app/FormTexts.h"
#include "support/FormFixture.h"
#include "transfer-contract/TransferContract.h"
#include "transfer/TransferFailures.h"

namespace quibrant::test {

// The system's own file-system service, as the program uses it.
platform::FileSystemFactory& realFileSystems();

// A new empty folder for one download, ending in a separator.
inline std::string newFolder() {
    static int made = 0;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("quibrant-resume-" + std::to_string(stamp) + "-" + std::to_string(++made));
    std::filesystem::create_directories(folder);
    return (folder / "").string();
}

inline constexpr std::chrono::milliseconds kShortResumeWait{50};
inline constexpr const char* kOlderInstaller = "MZ instalador anterior";

// The form downloading with "Solo Descargar" through the component, into a
// folder of its own, as the program does.
template <typename Traits>
struct ResumingForm : FormFixture {
    explicit ResumingForm(const std::string& mainServerBaseUrl)
        : inet(Traits::make(mainServerBaseUrl)) {
        inet->setResumeWait(kShortResumeWait);
        inet->setStallTimeout(kShortStall);
        Controls c = controls();
        c.Inet1 = inet.get();
        Services s = services();
        s.fileSystems = &realFileSystems();
        form = std::make_unique<DownloadForm>(
            c, s, ServerConfig{mainServerBaseUrl, "transferencias.example", "prueba", "secreto"});
        inet->onStateChanged([this](std::int16_t state) {
            answers += state == State::kResponseCompleted;
            try {
                form->Inet1_StateChanged(state);
            } catch (const ProgramEnded&) {
                ended = true;
            }
        });
        form->Option1_Click(1);
        state().CodeAccepted = kTrue;
        state().BuildCategory = 3;
        Text2.setText(destination());
        std::ofstream(destination(), std::ios::binary) << kOlderInstaller;
    }
    ~ResumingForm() {
        inet->onStateChanged(nullptr);
        inet->Cancel();
        form.reset();
    }

    // Downloads `url` to the end: the program's or the input frame back.
    bool fetch(const std::string& url) {
        Text1.setText(url);
        form->Command2_Click();
        return Traits::runUntil(
            [this] { return ended || (Frame2.isEnabled() && !messages.shown.empty()); }, kWaitMs);
    }
    std::string destination() const { return folder + "Quibrant6_Setup.exe"; }
    std::string saved() const {
        std::ifstream in(destination(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::size_t filesInFolder() const {
        const std::filesystem::directory_iterator all(folder);
        return static_cast<std::size_t>(std::distance(begin(all), end(all)));
    }

    std::unique_ptr<typename Traits::Component> inet;
    const std::string folder = newFolder();
    int answers = 0;
    bool ended = false;
};

template <typename Traits>
class ResumeContract : public TransferContract<Traits> {
  protected:
    // What the scriptable server counted at `counter` (e.g. "/authorizations").
    static int counted(const std::string& counter) {
        const auto inet = TransferContract<Traits>::make();
        ContractDownload<Traits> count(*inet);
        count.start(TransferContract<Traits>::trusted(counter));
        EXPECT_TRUE(count.run());
        return std::stoi(count.body);
    }
};

TYPED_TEST_SUITE_P(ResumeContract);

constexpr std::size_t kResumedSize = 300000;

// However the connection broke, the rest is asked for once and the form
// saves one file, byte for byte, after one answer; a file that changed on the
// server meanwhile is told, and the older installer stays. (Every other
// answer to a request for the rest is judged by the transfer alike on every
// system, and tested there.)
TYPED_TEST_P(ResumeContract, JoinsOnlyTheRestOfTheSameFile) {
    struct Case {
        std::string path;
        int requests;
        std::string told;  // "" when the download succeeds
    };
    const std::string size = "/" + std::to_string(kResumedSize);
    // How a changed file is told, before how far the download got.
    const std::string changed =
        transfer::brokenBody(transfer::TransferFault::kChangedOnServer, {}, "").description();
    const Case cases[] = {
        {"reset/rest", 2, ""},
        {"close/rest", 2, ""},
        {"stall/rest", 2, ""},
        {"reset/new", 2, changed.substr(0, changed.find(';'))},
    };
    for (const Case& c : cases) {
        const std::string path = "/resume/" + c.path + size;
        SCOPED_TRACE(path);
        const int before = this->counted("/requests" + path);
        ResumingForm<TypeParam> f(this->trusted("/"));
        ASSERT_TRUE(f.fetch(this->trusted(path)));
        EXPECT_EQ(f.answers, 1);
        EXPECT_EQ(this->counted("/requests" + path) - before, c.requests);
        EXPECT_EQ(f.filesInFolder(), 1u);
        if (c.told.empty()) {
            EXPECT_TRUE(f.ended);
            EXPECT_TRUE(f.saved() == this->pattern(kResumedSize));
            EXPECT_EQ(f.messages.shown.back().text, texts::kDownloaded);
            continue;
        }
        EXPECT_FALSE(f.ended);
        ASSERT_EQ(f.messages.shown.size(), 1u);
        EXPECT_THAT(f.messages.shown[0].text, ::testing::StartsWith(c.told));
        EXPECT_EQ(f.saved(), kOlderInstaller);
        std::cout << "  " << path << ": \"" << f.messages.shown[0].text << "\"; " << f.destination()
                  << " = \"" << f.saved() << "\"\n";
    }
}

// The wait before the rest is asked for lets the window's events run, and
// a cancel among them ends the download at once, not after the wait.
TYPED_TEST_P(ResumeContract, ACancelDuringTheWaitEndsTheDownloadAtOnce) {
    ResumingForm<TypeParam> f(this->trusted("/"));
    f.inet->setResumeWait(std::chrono::seconds(30));
    std::optional<decltype(TypeParam::later(0, {}))> cancel;
    f.window.onEvents = [&] {
        if (!cancel && f.form->progressBar().value() > static_cast<float>(kResumedSize / 4)) {
            cancel = TypeParam::later(300, [&] { f.inet->Cancel(); });
        }
    };
    const std::string path = "/resume/reset/rest/" + std::to_string(kResumedSize + 2);
    ASSERT_TRUE(f.fetch(this->trusted(path)));
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text,
              transfer::transferFailure(transfer::TransferFault::kCancelled).description());
    EXPECT_EQ(f.saved(), kOlderInstaller);
    EXPECT_EQ(this->counted("/requests" + path), 1);
}

REGISTER_TYPED_TEST_SUITE_P(ResumeContract, JoinsOnlyTheRestOfTheSameFile,
                            ACancelDuringTheWaitEndsTheDownloadAtOnce);

}  // namespace quibrant::test
