#include "win32/wininet/WinInetUrl.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "win32/wininet/WinInetErrors.h"

namespace quibrant::win32 {
namespace {

using ::testing::HasSubstr;

TEST(WinInetUrlTest, SplitsWebAddressesTheWayARequestNeedsThem) {
    struct Case {
        std::string url;
        bool secure;
        std::wstring host;
        int port;
        std::wstring target;
    };
    for (const Case& c : {
             Case{"https://Descargas.Example/clientes/actual/q.exe", true, L"descargas.example",
                  443, L"/clientes/actual/q.exe"},
             Case{"http://descargas.example", false, L"descargas.example", 80, L"/"},
             Case{"https://localhost:8443/a/b?x=1&y=2#parte", true, L"localhost", 8443,
                  L"/a/b?x=1&y=2"},
             Case{"HTTPS://descargas.example/mi archivo.exe", true, L"descargas.example", 443,
                  L"/mi%20archivo.exe"},
             Case{"https://descargas.example/a%C3%B1o/ya%20escapado", true, L"descargas.example",
                  443, L"/a%C3%B1o/ya%20escapado"},
             Case{"https://descargas.example/año.exe", true, L"descargas.example", 443,
                  L"/a%C3%B1o.exe"},
             // Typed without a scheme, as the file-name box allows.
             Case{"www.descargas.example/q.exe", false, L"www.descargas.example", 80, L"/q.exe"},
             Case{"localhost:8080/q.exe", false, L"localhost", 8080, L"/q.exe"},
         }) {
        SCOPED_TRACE(c.url);
        const std::optional<WebUrl> url = parseWebUrl(c.url);
        ASSERT_TRUE(url.has_value());
        EXPECT_EQ(url->secure, c.secure);
        EXPECT_EQ(url->host, c.host);
        EXPECT_EQ(url->port, c.port);
        EXPECT_EQ(url->target, c.target);
    }
}

TEST(WinInetUrlTest, RefusesWhatIsNoWebAddress) {
    for (const char* url :
         {"", "ftp://descargas.example/q.exe", "file:///C:/q.exe", "C:\\Temp\\q.exe", "/tmp/q.exe",
          "\\\\servidor\\q.exe", "mailto:a@b.example", "https://", "https:///q.exe",
          "https://descargas.example/q.exe\r\nX-Inyectada: 1"}) {
        SCOPED_TRACE(url);
        EXPECT_FALSE(parseWebUrl(url).has_value());
    }
}

TEST(WinInetUrlTest, ResolvesRedirectLocationsAgainstTheAddressAsked) {
    const WebUrl base = *parseWebUrl("https://descargas.example:8443/clientes/actual/q.exe");
    struct Case {
        std::string location;
        std::optional<std::wstring> text;
    };
    for (const Case& c : {
             Case{"/otra/r.exe", L"https://descargas.example:8443/otra/r.exe"},
             Case{"r.exe", L"https://descargas.example:8443/clientes/actual/r.exe"},
             Case{"https://espejo.example/r.exe", L"https://espejo.example/r.exe"},
             Case{"http://espejo.example/r.exe", L"http://espejo.example/r.exe"},
             Case{"ftp://espejo.example/r.exe", std::nullopt},
         }) {
        SCOPED_TRACE(c.location);
        const std::optional<WebUrl> next = resolveLocation(base, c.location);
        ASSERT_EQ(next.has_value(), c.text.has_value());
        if (next) {
            EXPECT_EQ(next->text, *c.text);
        }
    }
}

TEST(WinInetUrlTest, ComparesOriginsBySchemeHostAndPort) {
    const WebUrl main = *parseWebUrl("https://descargas.example/");
    EXPECT_TRUE(sameOrigin(main, *parseWebUrl("https://DESCARGAS.example:443/clientes/q.exe")));
    EXPECT_FALSE(sameOrigin(main, *parseWebUrl("http://descargas.example/q.exe")));
    EXPECT_FALSE(sameOrigin(main, *parseWebUrl("https://descargas.example:8443/q.exe")));
    EXPECT_FALSE(sameOrigin(main, *parseWebUrl("https://descargas.example.otro/q.exe")));
}

TEST(WinInetUrlTest, EncodesBasicCredentialsAndFindsTheBasicChallenge) {
    EXPECT_EQ(basicAuthorization("Aladdin", "open sesame"), "Basic QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
    EXPECT_EQ(basicAuthorization("a", ""), "Basic YTo=");
    EXPECT_EQ(basicAuthorization("ab", ""), "Basic YWI6");
    EXPECT_EQ(basicAuthorization("ñ", "é"), "Basic w7E6w6k=");

    EXPECT_TRUE(offersBasic("Basic realm=\"descargas\""));
    EXPECT_TRUE(offersBasic("Negotiate, BASIC realm=x"));
    EXPECT_FALSE(offersBasic("Digest realm=\"basic\", nonce=\"1\""));
    EXPECT_FALSE(offersBasic("Basicx realm=x"));
    EXPECT_FALSE(offersBasic(""));
}

TEST(WinInetErrorsTest, DescribesNetworkAndCertificateErrorsInSpanish) {
    EXPECT_THAT(describeInternetError(12045), HasSubstr("autoridad de confianza"));
    EXPECT_THAT(describeInternetError(12038), HasSubstr("otro servidor"));
    EXPECT_THAT(describeInternetError(12057), HasSubstr("certificado"));
    EXPECT_THAT(describeInternetError(12029), HasSubstr("no se pudo conectar"));
    // Outside the table: the number at least, and Windows' own errors by name.
    EXPECT_EQ(describeInternetError(12999), "error de red 12999");
    EXPECT_EQ(describeInternetError(5), "Acceso denegado");
}

}  // namespace
}  // namespace quibrant::win32
