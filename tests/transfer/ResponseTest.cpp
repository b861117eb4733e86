#include <gtest/gtest.h>

#include <string>

#include "platform/Failure.h"
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

TEST(ResponseTest, ContentLengthRefusesWhatIsNotAUsableLength) {
    struct Case {
        std::string header;
        std::int32_t number;
        std::string description;
    };
    const Case cases[] = {
        {"", 13, "El servidor no indicó el tamaño del archivo."},
        {"  ", 13, "El servidor no indicó el tamaño del archivo."},
        {"abc", 13, "El servidor indicó un tamaño de archivo no válido: \"abc\"."},
        {"-5", 13, "El servidor indicó un tamaño de archivo no válido: \"-5\"."},
        {"1.5", 13, "El servidor indicó un tamaño de archivo no válido: \"1.5\"."},
        {"5, 5", 13, "El servidor indicó un tamaño de archivo no válido: \"5, 5\"."},
        {"0x10", 13, "El servidor indicó un tamaño de archivo no válido: \"0x10\"."},
        {"2147483648", 6,
         "El archivo es demasiado grande: el servidor anunció 2147483648 bytes y el máximo es "
         "2147483647."},
        {"99999999999999999999999", 6,
         "El archivo es demasiado grande: el servidor anunció 99999999999999999999999 bytes y el "
         "máximo es 2147483647."},
        {"0", 380, "El servidor anunció un archivo vacío (0 bytes)."},
        {"000", 380, "El servidor anunció un archivo vacío (0 bytes)."},
    };
    for (const Case& c : cases) {
        const platform::Failure failure = failureOf([&] { parseContentLength(c.header); });
        EXPECT_EQ(failure.number(), c.number) << c.header;
        EXPECT_EQ(failure.description(), c.description) << c.header;
    }
}

TEST(ResponseTest, ServerTextIsShownPrintableAndShort) {
    const std::string description =
        failureOf([] { parseContentLength("1\x1b[2J" + std::string(500, '7')); }).description();
    EXPECT_EQ(description.find('\x1b'), std::string::npos);
    EXPECT_LT(description.size(), 120u);
    EXPECT_EQ(failureOf([] { checkStatus(503, "Busy\r\nX-Evil: 1"); }).description(),
              "El servidor respondió 503 (Busy??X-Evil: 1).");
}

TEST(ResponseTest, OnlyASuccessStatusPasses) {
    checkStatus(200, "OK");
    checkStatus(299, "");
    EXPECT_EQ(failureOf([] { checkStatus(500, ""); }).description(), "El servidor respondió 500.");
    EXPECT_EQ(failureOf([] { checkStatus(302, "Found"); }).description(),
              "El servidor respondió 302 (Found).");
    EXPECT_EQ(failureOf([] { checkStatus(0, ""); }).description(),
              "El servidor no envió una respuesta válida.");
}

}  // namespace
}  // namespace quibrant::transfer
