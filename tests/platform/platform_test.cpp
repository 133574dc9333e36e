// The build platform: fonts in the Wine prefix and the manifest (skins and icon: art; version resource,
// zlib and JSON: through the code that uses them).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

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

}  // namespace

TEST(Environment, TahomaIsTheRealFont) {
    // Without the font links Wine silently substitutes another face and every metric shifts.
    EXPECT_EQ(FaceOf(L"Tahoma"), L"Tahoma");
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0));
    EXPECT_STREQ(ncm.lfMessageFont.lfFaceName, L"Tahoma");
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
