// The build platform itself: fonts in the Wine prefix, the version and manifest resources, the
// skin pipeline and the third-party libraries of the cross build.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <zlib.h>

#include "test_support.h"

using namespace testsupport;

namespace {

std::wstring FaceOf(const wchar_t* requested) {
    LOGFONTW lf{};
    lf.lfHeight = -11;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(lf.lfFaceName, requested);
    HFONT font = CreateFontIndirectW(&lf);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    return face;
}

uint32_t BigEndian32(const uint8_t* p) { return (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }

}  // namespace

TEST(Environment, TahomaIsTheRealFont) {
    // Without the font links Wine silently substitutes another face and every metric shifts.
    EXPECT_EQ(FaceOf(L"Tahoma"), L"Tahoma");
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0));
    EXPECT_STREQ(ncm.lfMessageFont.lfFaceName, L"Tahoma");
}

TEST(Resources, VersionInfoIs1_1_4_52) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<uint8_t> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, data.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(HIWORD(info->dwFileVersionMS), 1);
    EXPECT_EQ(LOWORD(info->dwFileVersionMS), 1);
    EXPECT_EQ(HIWORD(info->dwFileVersionLS), 4);
    EXPECT_EQ(LOWORD(info->dwFileVersionLS), 52);
}

TEST(Resources, ManifestMakesTheRealVersionVisible) {
    // Without the manifest's supportedOS entries Windows (and Wine) report 6.2 at most.
    OSVERSIONINFOW vi{};
    vi.dwOSVersionInfoSize = sizeof(vi);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(GetVersionExW(&vi));
#pragma GCC diagnostic pop
    EXPECT_EQ(vi.dwMajorVersion, 10u);
    EXPECT_EQ(vi.dwMinorVersion, 0u);
}

TEST(Resources, ProgramIconHasTheThreeSizes) {
    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO ii{};
        ASSERT_TRUE(GetIconInfo(icon, &ii));
        BITMAP bm{};
        GetObjectW(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, size);
        if (ii.hbmColor) DeleteObject(ii.hbmColor);
        if (ii.hbmMask) DeleteObject(ii.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(Resources, RenderedSkinIsEmbeddedWithItsSize) {
    // The message box's button strip: four 80 x 26 frames.
    std::vector<uint8_t> png = ReadResource(L"MSG_BTN");
    ASSERT_GE(png.size(), 33u);
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_EQ(memcmp(png.data(), signature, 8), 0);
    ASSERT_EQ(memcmp(png.data() + 12, "IHDR", 4), 0);
    EXPECT_EQ(BigEndian32(png.data() + 16), 320u);
    EXPECT_EQ(BigEndian32(png.data() + 20), 26u);
    EXPECT_EQ(png[25], 6) << "colour type RGBA";
}

TEST(Libraries, ZlibRoundTrip) {
    std::string text(10000, 'a');
    for (size_t i = 0; i < text.size(); i += 7) text[i] = char('a' + i % 26);
    uLongf packedSize = compressBound(text.size());
    std::vector<Bytef> packed(packedSize);
    ASSERT_EQ(compress(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(text.data()), text.size()), Z_OK);
    EXPECT_LT(packedSize, text.size());
    std::string back(text.size(), '\0');
    uLongf backSize = back.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(back.data()), &backSize, packed.data(), packedSize), Z_OK);
    EXPECT_EQ(back, text);
}

TEST(Libraries, JsonKeepsOrderAndEscapesNonAscii) {
    auto j = nlohmann::ordered_json::parse(R"({"zeta":1,"alpha":"\u00e9t\u00e9","list":[1,2]})");
    EXPECT_EQ(j.begin().key(), "zeta");
    EXPECT_EQ(j["alpha"].get<std::string>(), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(j.dump(-1, ' ', true), R"({"zeta":1,"alpha":"\u00e9t\u00e9","list":[1,2]})");
}
