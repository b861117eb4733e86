#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <map>
#include <memory>
#include <sstream>

#include "check/CheckReport.h"
#include "check/MirrorCheck.h"
#include "check/MirrorTargets.h"
#include "install/Signature.h"
#include "posix/PosixFileSystem.h"
#include "posix/PosixSignatureCheck.h"
#include "transfer-e2e/TestServers.h"

namespace quibrant::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kVendor = "Quibrant S.L.";

// The test authority, which signs both the mirror's certificate and the
// installers.
std::string testAuthority() {
    QFile file(pkiFolder() + "/ca.pem");
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll().toStdString();
}

// What one run of the check printed and how it ended.
struct CheckRun {
    int status = -1;
    std::string out;
    std::string err;

    // The table's row of a target: the line that starts with its path.
    std::string row(const std::string& path) const {
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind(path + " ", 0) == 0) {
                return line;
            }
        }
        ADD_FAILURE() << "no row for " << path << " in\n" << out;
        return "";
    }
};

// A copy of the vendor's server below the test nginx's folder: the test's
// signed installer under the name of every target, but for the ones a test
// replaces ("" leaves the target out).
class MirrorCheckTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { nginx_ = std::make_unique<NginxServer>(); }
    static void TearDownTestSuite() { nginx_.reset(); }

    std::string serve(const std::map<std::string, std::string>& replaced) {
        const QString root = mirror_.path() + "/";
        for (const check::MirrorTarget& target :
             check::mirrorTargets(builtInAccessCodeTable(), "")) {
            const auto found = replaced.find(target.path);
            const std::string source = found == replaced.end() ? "vendor.exe" : found->second;
            if (source.empty()) {
                continue;
            }
            const QString path = root + QString::fromStdString(target.path);
            QDir().mkpath(QFileInfo(path).path());
            EXPECT_TRUE(QFile::link(pkiFolder() + "/www/" + QString::fromStdString(source), path));
        }
        return nginx_->baseUrl() + QDir(pkiFolder() + "/www").relativeFilePath(root).toStdString() +
               "/";
    }

    CheckRun check(const std::string& serverUrl, const std::vector<std::string>& arguments = {}) {
        const std::unique_ptr<transfer::ResumingTransfer> inet = makeTransfer(serverUrl);
        posix::PosixSignatureCheck signatures(testAuthority());
        const std::unique_ptr<platform::FileSystem> files =
            posix::PosixFileSystemFactory().createFileSystem();
        check::CheckSetup setup;
        setup.server = ServerConfig{serverUrl, "ftp.example", "example.es", "secreto"};
        setup.codes = &builtInAccessCodeTable();
        setup.signer = kVendor;
        setup.inet = inet.get();
        setup.signatures = &signatures;
        setup.files = files.get();
        std::ostringstream out;
        std::ostringstream err;
        CheckRun run;
        run.status = check::runMirrorCheck(arguments, setup, out, err, false);
        run.out = out.str();
        run.err = err.str();
        return run;
    }

    static std::unique_ptr<NginxServer> nginx_;
    QTemporaryDir mirror_{pkiFolder() + "/www/comprobar-XXXXXX"};
};

std::unique_ptr<NginxServer> MirrorCheckTest::nginx_;

// Every installer in place and signed by the vendor: nothing to report.
TEST_F(MirrorCheckTest, AcceptsAMirrorWhereEveryInstallerIsSigned) {
    const CheckRun run = check(serve({}));
    EXPECT_EQ(run.status, check::kAllAccepted) << run.out << run.err;
    const std::string size = std::to_string(servedFile("vendor.exe").size());
    EXPECT_THAT(run.row("clientes/2011/quibrant6_a.exe"),
                AllOf(HasSubstr("A9VG"), HasSubstr(" 200 "), HasSubstr(" " + size + " "),
                      HasSubstr(kVendor), HasSubstr("aceptado")));
    EXPECT_THAT(run.out, AllOf(HasSubstr("15 destinos: 15 aceptados, 0 rechazados."),
                               Not(HasSubstr("rechazado:"))));
}

// One build unsigned, one missing: both rows say why, with the codes their
// holders type, every other row is accepted, and the check fails.
TEST_F(MirrorCheckTest, NamesTheUnsignedAndTheMissingInstallerAndFails) {
    const std::string server =
        serve({{"clientes/actual/quibrant6_3.exe", "unsigned.exe"}, {"Quibvarn.exe", ""}});

    const CheckRun table = check(server);
    EXPECT_EQ(table.status, check::kSomeRefused) << table.out << table.err;
    EXPECT_THAT(table.row("clientes/actual/quibrant6_3.exe"),
                AllOf(HasSubstr("GKKA5 7CBPU 32FTS 32RGK"), HasSubstr(" 200 "),
                      HasSubstr("rechazado: " + install::refusalReason({}))));
    EXPECT_THAT(table.row("Quibvarn.exe"),
                AllOf(HasSubstr("R74SDR"), HasSubstr(" 404 "),
                      HasSubstr("rechazado: el archivo no está en el servidor.")));
    EXPECT_THAT(table.row("Quibrant_Update.exe"), HasSubstr("aceptado"));
    EXPECT_THAT(table.out, HasSubstr("15 destinos: 13 aceptados, 2 rechazados."));
    EXPECT_THAT(table.err, HasSubstr("Quibvarn.exe: rechazado"));

    const CheckRun json = check(server, {"--json"});
    EXPECT_EQ(json.status, check::kSomeRefused);
    QJsonParseError error{};
    const QJsonObject root =
        QJsonDocument::fromJson(QByteArray::fromStdString(json.out), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out;
    EXPECT_EQ(root["server"].toString().toStdString(), server);
    EXPECT_FALSE(root["accepted"].toBool(true));
    std::map<std::string, QJsonObject> byTarget;
    for (const QJsonValue target : root["targets"].toArray()) {
        byTarget[target["target"].toString().toStdString()] = target.toObject();
    }
    ASSERT_EQ(byTarget.size(), 15u);
    const QJsonObject unsignedOne = byTarget["clientes/actual/quibrant6_3.exe"];
    EXPECT_EQ(unsignedOne["cause"].toString(), "unsigned");
    EXPECT_EQ(unsignedOne["status"].toInt(), 200);
    EXPECT_TRUE(unsignedOne["signer"].isNull());
    const QJsonObject missing = byTarget["Quibvarn.exe"];
    EXPECT_EQ(missing["verdict"].toString(), "refused");
    EXPECT_EQ(missing["cause"].toString(), "missing");
    EXPECT_TRUE(missing["size"].isNull());
    const QJsonObject fine = byTarget["Quibrant_Update.exe"];
    EXPECT_EQ(fine["verdict"].toString(), "accepted");
    EXPECT_EQ(fine["signer"].toString(), kVendor);
    // The table shows a few of the default target's codes; JSON lists them all.
    const QJsonArray codes = fine["codes"].toArray();
    EXPECT_GT(codes.size(), 100);
    EXPECT_TRUE(codes.contains("6CDRC"));
    EXPECT_FALSE(codes.contains("3JSMTVEW"));
}

// No server at all: every row is a transfer failure, and the check fails.
TEST_F(MirrorCheckTest, ReportsAServerThatCannotBeReached) {
    const CheckRun run = check("https://127.0.0.1:1/", {"--json"});
    EXPECT_EQ(run.status, check::kSomeRefused);
    const QJsonArray targets =
        QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object()["targets"].toArray();
    ASSERT_EQ(targets.size(), 15);
    for (const QJsonValue target : targets) {
        EXPECT_EQ(target["cause"].toString(), "transfer");
        EXPECT_TRUE(target["status"].isNull());
        EXPECT_FALSE(target["reason"].toString().isEmpty());
    }
}

// Ctrl-C while a server keeps the check waiting: no result that could pass
// for a complete one, and nothing left of the downloads.
TEST_F(MirrorCheckTest, AnInterruptedCheckWritesNoResultAndLeavesNothing) {
    // Connections complete in the backlog, and then nothing is ever said.
    const int silent = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(::listen(silent, 8), 0);
    ASSERT_EQ(::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &size), 0);
    QTemporaryDir temporary;
    const QByteArray oldTemporary = qgetenv("TMPDIR");
    qputenv("TMPDIR", temporary.path().toUtf8());

    // The first events run inside the first download, once the check
    // catches the signal.
    QTimer::singleShot(0, [] { ::raise(SIGINT); });
    const CheckRun run =
        check("https://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/");
    if (oldTemporary.isNull()) {
        qunsetenv("TMPDIR");
    } else {
        qputenv("TMPDIR", oldTemporary);
    }
    ::close(silent);

    EXPECT_EQ(run.status, check::kInterrupted);
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_THAT(run.err, HasSubstr("comprobación interrumpida"));
    EXPECT_TRUE(QDir(temporary.path()).isEmpty());
}

TEST_F(MirrorCheckTest, RefusesAnUnknownOptionWithoutFetchingAnything) {
    const CheckRun run = check("https://127.0.0.1:1/", {"--todo"});
    EXPECT_EQ(run.status, check::kCannotCheck);
    EXPECT_THAT(run.err, AllOf(HasSubstr("opción desconocida: --todo"), HasSubstr("uso:")));
    EXPECT_TRUE(run.out.empty());
}

// Codes are found as the program evaluates them: the later of two entries
// for one code decides, a withdrawn code reaches nothing, and a category
// without a row of its own reaches the default target.
TEST(MirrorTargetsTest, ListsEachCodeUnderTheTargetItsEvaluationReaches) {
    const AccessCodeTable table = {
        {"AAA", 3}, {"BBB", 990}, {"aaa", 0}, {"CCC", 5}, {"DDD", 991}, {"DDD", 993},
    };
    std::map<std::string, std::vector<std::string>> codes;
    for (const check::MirrorTarget& target : check::mirrorTargets(table, "https://s.example/")) {
        EXPECT_EQ(target.url, "https://s.example/" + target.path);
        codes[target.path] = target.codes;
    }
    using Codes = std::vector<std::string>;
    EXPECT_EQ(codes["clientes/actual/quibrant6_3.exe"], Codes{});
    EXPECT_EQ(codes["clientes/actual/quibrant6_990.exe"], Codes{"BBB"});
    EXPECT_EQ(codes["Quibrant_Update.exe"], Codes{"CCC"});
    EXPECT_EQ(codes["clientes/2011/quibrant6_a.exe"], Codes{});
    EXPECT_EQ(codes["clientes/actual/quibrant6_36.exe"], Codes{"DDD"});
    EXPECT_EQ(codes.size(), 15u);
}

// What a server or a certificate names reaches the terminal and the JSON
// without anything that could drive a terminal or break the encoding.
TEST(CheckReportTest, CleansTextFromOutside) {
    const std::pair<std::string, std::string> cases[] = {
        {"Quibrant S.L.", "Quibrant S.L."},
        {"Compañía", "Compañía"},
        {"a\x1b[31mb", "a?[31mb"},
        {"a\xc2\x9b"
         "31mb",
         "a?31mb"},
        {"a\r\nb\tc", "a  b c"},
        {"a\xff\xc3", "a??"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(check::cleanText(text), shown) << text;
    }
}

}  // namespace
}  // namespace quibrant::test
