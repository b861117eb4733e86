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
}

// Each status tells what it means and keeps its number; a redirect that was
// not followed says why. (The common statuses are checked end to end.)
TEST(ResponseTest, OnlyASuccessStatusPasses) {
    checkStatus(200, "");
    checkStatus(299, "http://no.importa/");
    struct Case {
        int code;
        std::string location;
        std::string description;
    };
    const Case cases[] = {
        {0, "", "El servidor no envió una respuesta válida."},
        {410, "",
         "El servidor respondió 410: el instalador no está en el servidor. Consulte con su "
         "proveedor."},
        {429, "",
         "El servidor respondió 429: rechazó la petición de descarga. Consulte con su "
         "proveedor."},
        {301, "FTP://servidor/x.exe",
         "El servidor redirigió la descarga a una dirección sin HTTPS (respuesta 301). Por "
         "seguridad no se siguió y no se descargó nada."},
        {307, "/otra/vez?url=http://x",
         "El servidor redirigió la descarga demasiadas veces (respuesta 307). No se pudo llegar "
         "al archivo; consulte con su proveedor."},
        {302, "HTTPS://127.0.0.1/bucle",
         "El servidor redirigió la descarga demasiadas veces (respuesta 302). No se pudo llegar "
         "al archivo; consulte con su proveedor."},
        {304, "",
         "El servidor respondió 304: el archivo se movió y no se indicó adónde. Consulte con su "
         "proveedor."},
        {101, "",
         "El servidor respondió 101: una respuesta que el programa no esperaba. Vuelva a "
         "intentarlo más tarde."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(failureOf([&] { checkStatus(c.code, c.location); }).description(), c.description)
            << c.code << " " << c.location;
    }
}

}  // namespace
}  // namespace quibrant::transfer
