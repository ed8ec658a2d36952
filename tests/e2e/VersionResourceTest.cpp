// The version resource as Windows' version API reads it back from Keldarin.exe.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

class VersionInfo {
public:
    explicit VersionInfo(const char* program) {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(program, &ignored);
        m_data.resize(size);
        m_valid = size && GetFileVersionInfoA(program, 0, size, m_data.data());
    }

    bool Valid() const { return m_valid; }

    const VS_FIXEDFILEINFO* Fixed() {
        UINT length = 0;
        void* value = nullptr;
        if (!VerQueryValueA(m_data.data(), "\\", &value, &length) ||
            length < sizeof(VS_FIXEDFILEINFO))
            return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }

    std::vector<WORD> Translation() {
        UINT length = 0;
        void* value = nullptr;
        if (!VerQueryValueA(m_data.data(), "\\VarFileInfo\\Translation", &value, &length))
            return {};
        const auto* words = static_cast<const WORD*>(value);
        return std::vector<WORD>(words, words + length / sizeof(WORD));
    }

    // nullopt when the block has no such value; "" for a value that is present and empty.
    std::optional<std::string> String(const std::string& block, const std::string& name) {
        UINT length = 0;
        void* value = nullptr;
        const std::string path = "\\StringFileInfo\\" + block + "\\" + name;
        if (!VerQueryValueA(m_data.data(), path.c_str(), &value, &length))
            return std::nullopt;
        if (!value || !length)
            return std::string();
        return std::string(static_cast<const char*>(value));
    }

private:
    std::vector<unsigned char> m_data;
    bool m_valid = false;
};

} // namespace

TEST(VersionResource, FixedPartIsVersion1001OfAWindowsApplicationWithoutFlags) {
    VersionInfo info(KELDARIN_EXE);
    ASSERT_TRUE(info.Valid());
    const VS_FIXEDFILEINFO* fixed = info.Fixed();
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);
    EXPECT_EQ(fixed->dwFileOS, 0x00000004u);   // VOS__WINDOWS32
    EXPECT_EQ(fixed->dwFileType, 0x00000001u); // VFT_APP
}

TEST(VersionResource, TranslationIsGermanWithUnicodeStrings) {
    VersionInfo info(KELDARIN_EXE);
    ASSERT_TRUE(info.Valid());
    EXPECT_EQ(info.Translation(), (std::vector<WORD>{0x0407, 0x04B0}));
}

TEST(VersionResource, GermanBlockHoldsTheDescriptionNamesAndVersionTexts) {
    VersionInfo info(KELDARIN_EXE);
    ASSERT_TRUE(info.Valid());
    const std::string block = "040704B0";
    EXPECT_EQ(info.String(block, "FileDescription"), "MFC-Anwendung Keldarin");
    EXPECT_EQ(info.String(block, "InternalName"), "Keldarin");
    EXPECT_EQ(info.String(block, "OriginalFilename"), "Keldarin.EXE");
    EXPECT_EQ(info.String(block, "ProductName"), "Anwendung Keldarin");
    EXPECT_EQ(info.String(block, "CompanyName"), "");
    EXPECT_EQ(info.String(block, "LegalTrademarks"), "");
    EXPECT_EQ(info.String(block, "FileVersion"), "1, 0, 0, 1");
    EXPECT_EQ(info.String(block, "ProductVersion"), "1, 0, 0, 1");
    // Nothing that the program does not carry.
    EXPECT_EQ(info.String(block, "LegalCopyright"), std::nullopt);
    EXPECT_EQ(info.String(block, "Comments"), std::nullopt);
    EXPECT_EQ(info.String("040904B0", "FileDescription"), std::nullopt);
}
