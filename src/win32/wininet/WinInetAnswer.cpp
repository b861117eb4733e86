#include "win32/wininet/WinInetAnswer.h"

#include <string>

#include "platform/Text.h"
#include "win32/services/Utf16.h"

namespace quibrant::win32 {
namespace {

std::wstring queryText(HINTERNET request, DWORD what) {
    DWORD bytes = 0;
    HttpQueryInfoW(request, what, nullptr, &bytes, nullptr);
    if (bytes == 0) {
        return L"";
    }
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (!HttpQueryInfoW(request, what, text.data(), &bytes, nullptr)) {
        return L"";
    }
    text.resize(bytes / sizeof(wchar_t));
    return text;
}

}  // namespace

transfer::Answer readAnswer(HINTERNET request) {
    transfer::Answer answer;
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                       nullptr)) {
        answer.status = static_cast<int>(status);
    }
    const std::string raw = narrow(queryText(request, HTTP_QUERY_RAW_HEADERS_CRLF));
    // The first line is the status line.
    std::size_t line = raw.find("\r\n");
    while (line != std::string::npos && line + 2 < raw.size()) {
        const std::size_t start = line + 2;
        line = raw.find("\r\n", start);
        const std::string text = raw.substr(start, line == std::string::npos ? line : line - start);
        const std::size_t colon = text.find(':');
        if (colon == std::string::npos || colon == 0) {
            continue;
        }
        answer.headers.emplace_back(platform::trimBlanks(text.substr(0, colon)),
                                    platform::trimBlanks(text.substr(colon + 1)));
    }
    return answer;
}

}  // namespace quibrant::win32
