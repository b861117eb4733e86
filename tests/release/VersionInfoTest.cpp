#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace quibrant::test {
namespace {

// A program file's version information as the system's version API reads it,
// and so as Explorer's Properties show it: the texts in the first language
// and code page the file lists.
class VersionInfo {
  public:
    explicit VersionInfo(const std::wstring& path) {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        data_.resize(size);
        if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, data_.data())) {
            data_.clear();
        }
    }

    bool present() const { return !data_.empty(); }

    const VS_FIXEDFILEINFO* fixed() const {
        return static_cast<const VS_FIXEDFILEINFO*>(query(L"\\", sizeof(VS_FIXEDFILEINFO)));
    }

    struct Translation {
        WORD language;
        WORD codePage;
    };
    const Translation* translation() const {
        return static_cast<const Translation*>(
            query(L"\\VarFileInfo\\Translation", sizeof(Translation)));
    }

    std::wstring text(const std::wstring& name) const {
        const Translation* first = translation();
        if (first == nullptr) {
            return L"";
        }
        wchar_t block[32];
        swprintf(block, 32, L"%04x%04x", first->language, first->codePage);
        const auto* value = static_cast<const wchar_t*>(
            query(L"\\StringFileInfo\\" + std::wstring(block) + L"\\" + name, 1));
        return value != nullptr ? value : L"";
    }

  private:
    // The value at `path`, when it holds at least `minimum` units (bytes, or
    // characters for a text).
    const void* query(const std::wstring& path, UINT minimum) const {
        void* value = nullptr;
        UINT length = 0;
        if (data_.empty() || !VerQueryValueW(data_.data(), path.c_str(), &value, &length) ||
            length < minimum) {
            return nullptr;
        }
        return value;
    }

    std::vector<char> data_;
};

std::wstring programPath() {
    const wchar_t* named = _wgetenv(L"QUIBRANT_RELEASE_PROGRAM");
    EXPECT_NE(named, nullptr) << "QUIBRANT_RELEASE_PROGRAM names no program";
    return named != nullptr ? named : L"C:\\no-existe.exe";
}

std::wstring wide(const char* text) {
    std::wstring result;
    for (; *text != '\0'; ++text) {
        result += static_cast<wchar_t>(*text);
    }
    return result;
}

}  // namespace

// What the file's Properties show: the vendor, the product and the project's
// version, in Spanish, with its accented letters intact.
TEST(ReleaseVersionInfoTest, PropertiesShowTheVendorProductAndVersion) {
    const VersionInfo info(programPath());
    ASSERT_TRUE(info.present()) << "the program carries no version information";

    const VersionInfo::Translation* translation = info.translation();
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(translation->language, 0x0C0A);  // Spanish (Spain)
    EXPECT_EQ(translation->codePage, 1200);    // UTF-16

    const std::wstring version = wide(QUIBRANT_PROJECT_VERSION);
    const struct {
        const char* name;
        std::wstring value;
    } texts[] = {
        {"CompanyName", L"Quibrant S.L."},
        {"ProductName", L"Quibrant Descarga"},
        {"FileVersion", version},
        {"ProductVersion", version},
        {"OriginalFilename", L"quibrant-descarga.exe"},
    };
    for (const auto& t : texts) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(info.text(wide(t.name)), t.value);
    }
    EXPECT_NE(info.text(L"FileDescription").find(L"instalaci\u00f3n"), std::wstring::npos);
    EXPECT_EQ(info.text(L"LegalCopyright").rfind(L"\u00a9 ", 0), 0u);

    const VS_FIXEDFILEINFO* fixed = info.fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS,
              MAKELONG(QUIBRANT_PROJECT_VERSION_MINOR, QUIBRANT_PROJECT_VERSION_MAJOR));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, QUIBRANT_PROJECT_VERSION_PATCH));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

}  // namespace quibrant::test
