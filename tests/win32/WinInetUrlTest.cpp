#include "win32/wininet/WinInetUrl.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quibrant::win32 {
namespace {

// The transfer hands over addresses already checked and escaped; WinINet
// splits them into what its calls take.
TEST(WinInetUrlTest, SplitsAddressesIntoWhatWinInetTakes) {
    struct Case {
        std::string url;
        std::optional<WinInetUrl> parts;
    };
    const Case cases[] = {
        {"https://descargas.example/clientes/actual/q.exe",
         WinInetUrl{true, L"descargas.example", 443, L"/clientes/actual/q.exe"}},
        {"http://descargas.example", WinInetUrl{false, L"descargas.example", 80, L"/"}},
        {"https://localhost:8443/a/b?x=1&y=2",
         WinInetUrl{true, L"localhost", 8443, L"/a/b?x=1&y=2"}},
        {"https://descargas.example/a%C3%B1o/mi%20archivo.exe",
         WinInetUrl{true, L"descargas.example", 443, L"/a%C3%B1o/mi%20archivo.exe"}},
        {"ftp://descargas.example/q.exe", std::nullopt},
        {"https:///q.exe", std::nullopt},
        // A line break would end the request line early.
        {"https://descargas.example/q.exe\r\nX-Inyectada: 1", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        const std::optional<WinInetUrl> parts = crackUrl(c.url);
        ASSERT_EQ(parts.has_value(), c.parts.has_value());
        if (parts) {
            EXPECT_EQ(parts->secure, c.parts->secure);
            EXPECT_EQ(parts->host, c.parts->host);
            EXPECT_EQ(parts->port, c.parts->port);
            EXPECT_EQ(parts->target, c.parts->target);
        }
    }
}

}  // namespace
}  // namespace quibrant::win32
