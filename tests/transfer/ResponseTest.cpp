#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Failure.h"
#include "platform/Text.h"
#include "transfer/Response.h"

namespace quibrant::transfer {
namespace {

// The failure a call throws; fails the test when it throws none.
template <typename Call>
platform::Failure failureOf(Call call) {
    try {
        call();
    } catch (const platform::Failure& failure) {
        return failure;
    }
    ADD_FAILURE() << "no failure";
    return platform::Failure(0, "");
}

TEST(ResponseTest, ContentLengthAcceptsDecimalDigitsWithBlanksAround) {
    EXPECT_EQ(parseContentLength("1"), 1);
    EXPECT_EQ(parseContentLength(" 5242880 "), 5242880);
    EXPECT_EQ(parseContentLength("\t042\t"), 42);
    EXPECT_EQ(parseContentLength("2147483647"), 2147483647);
}

// `text` with the first `from` in it replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// Each refusal has its number, and reads as a refusal of the same kind does
// (the words are in tests/texts), with its own header in the other's place.
TEST(ResponseTest, ContentLengthRefusesWhatIsNotAUsableLength) {
    const auto text = [](const std::string& header) {
        return failureOf([&] { parseContentLength(header); }).description();
    };
    struct Case {
        std::string header;
        std::int32_t number;
        std::string alike;
    };
    const Case cases[] = {
        {"", 13, ""},
        {"  ", 13, ""},
        {"abc", 13, "abc"},
        {"-5", 13, "abc"},
        {"1.5", 13, "abc"},
        {"5, 5", 13, "abc"},
        {"0x10", 13, "abc"},
        {"2147483648", 6, "2147483648"},
        {"99999999999999999999999", 6, "2147483648"},
        {"0", 380, "0"},
        {"000", 380, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("[" + c.header + "]");
        const platform::Failure failure = failureOf([&] { parseContentLength(c.header); });
        EXPECT_EQ(failure.number(), c.number);
        const std::string shown = platform::trimBlanks(c.header);
        if (c.number == 380 || shown.empty()) {
            EXPECT_EQ(failure.description(), text(c.alike));
        } else {
            EXPECT_NE(failure.description().find(shown), std::string::npos);
            EXPECT_EQ(failure.description(), replaced(text(c.alike), c.alike, shown));
        }
    }
    // A length that is no number is told apart from a missing one.
    EXPECT_NE(replaced(text("abc"), "abc", ""), text(""));
}

TEST(ResponseTest, ServerTextIsShownPrintableAndShort) {
    const std::string description =
        failureOf([] { parseContentLength("1\x1b[2J" + std::string(500, '7')); }).description();
    EXPECT_EQ(description.find('\x1b'), std::string::npos);
    EXPECT_LT(description.size(), 120u);
}

// Each status tells what it means and keeps its number; a redirect that was
// not followed says why. Each reads as another status of the same meaning
// with its own number in place (the words are in tests/texts), and the
// meanings read differently from one another.
TEST(ResponseTest, OnlyASuccessStatusPasses) {
    checkStatus(200, "");
    checkStatus(299, "http://no.importa/");
    const auto text = [](int code, const std::string& location) {
        return failureOf([&] { checkStatus(code, location); }).description();
    };
    struct Case {
        int code;
        std::string location;
        int alike;
        std::string alikeLocation;
    };
    const Case cases[] = {
        {410, "", 404, ""},
        {403, "", 401, ""},
        {429, "", 418, ""},
        {503, "", 500, ""},
        {301, "FTP://servidor/x.exe", 302, "http://descargas.example/q.exe"},
        {307, "/otra/vez?url=http://x", 308, "/otra/"},
        {302, "HTTPS://127.0.0.1/bucle", 308, "/otra/"},
        {304, "", 305, "  "},
        {101, "", 102, ""},
    };
    std::vector<std::string> meanings;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + " " + c.location);
        EXPECT_EQ(failureOf([&] { checkStatus(c.code, c.location); }).number(),
                  platform::errors::kTransferFailed);
        const std::string alike = text(c.alike, c.alikeLocation);
        EXPECT_EQ(text(c.code, c.location),
                  replaced(alike, std::to_string(c.alike), std::to_string(c.code)));
        const std::string meaning = replaced(alike, std::to_string(c.alike), "");
        if (std::find(meanings.begin(), meanings.end(), meaning) == meanings.end()) {
            meanings.push_back(meaning);
        }
    }
    EXPECT_EQ(meanings.size(), 8u);
    // No answer at all has words of its own, without a number.
    EXPECT_EQ(text(0, "").find('0'), std::string::npos);
    EXPECT_EQ(std::find(meanings.begin(), meanings.end(), text(0, "")), meanings.end());
}

}  // namespace
}  // namespace quibrant::transfer
