// The embedded skins, icon and default sound: every skin named exists, decodes, has the frames its control
// cuts, tiles without seams and fits the geometry of the control that draws it.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "fw_png.h"
#include "skin_table.h"
#include "test_support.h"

using namespace testsupport;

namespace {

const art::SkinSpec* Find(const std::wstring& name) {
    for (const auto& s : art::kSkins)
        if (name == s.name) return &s;
    return nullptr;
}

// Decodes a skin resource with an alpha plane; fails the test (and returns false) when it cannot.
bool Load(const wchar_t* name, fw::TPngImage& img) {
    try {
        img.LoadFromResource(GetModuleHandleW(nullptr), name);
    } catch (const fw::Exception& e) {
        ADD_FAILURE() << Narrow(name) << ": " << Narrow(e.Message);
        return false;
    }
    if (!img.HasAlpha()) img.CreateAlpha();
    return img.GetWidth() > 0;
}

uint8_t Alpha(const fw::TPngImage& img, int x, int y) { return img.AlphaScanline(y)[x]; }

bool PixelsEqual(const fw::TPngImage& img, int x0, int y0, int x1, int y1) {
    return memcmp(img.Scanline(y0) + 3 * x0, img.Scanline(y1) + 3 * x1, 3) == 0 &&
           Alpha(img, x0, y0) == Alpha(img, x1, y1);
}

bool FrameVisible(const fw::TPngImage& img, int left, int fw) {
    for (int y = 0; y < img.GetHeight(); ++y)
        for (int x = left; x < left + fw; ++x)
            if (Alpha(img, x, y) != 0) return true;
    return false;
}

bool FramesEqual(const fw::TPngImage& img, int fw, int i, int j) {
    for (int y = 0; y < img.GetHeight(); ++y)
        if (memcmp(img.Scanline(y) + 3 * i * fw, img.Scanline(y) + 3 * j * fw, size_t(fw) * 3) != 0 ||
            memcmp(img.AlphaScanline(y) + i * fw, img.AlphaScanline(y) + j * fw, size_t(fw)) != 0)
            return false;
    return true;
}

bool RowsTransparent(const fw::TPngImage& img, int top, int bottom) {
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < img.GetWidth(); ++x)
            if (Alpha(img, x, y) != 0) return false;
    return true;
}

}  // namespace

TEST(SkinTable, ListsEverySkinSourceOnce) {
    std::set<std::wstring> listed;
    for (const auto& s : art::kSkins) EXPECT_TRUE(listed.insert(s.name).second) << "listed twice: " << Narrow(s.name);

    std::set<std::wstring> sources;
    for (const auto& e : std::filesystem::directory_iterator(SourceDir() + L"\\resources\\skins"))
        if (e.path().extension() == L".svg") sources.insert(e.path().stem().wstring());
    ASSERT_FALSE(sources.empty()) << "no skin sources found under " << Narrow(SourceDir());
    for (const auto& n : sources) EXPECT_TRUE(listed.count(n)) << "skin source not in the table: " << Narrow(n);
    for (const auto& n : listed) EXPECT_TRUE(sources.count(n)) << "table names a skin without a source: " << Narrow(n);
}

TEST(Skins, EachDecodesIntoDistinctFramesThatTileWithoutSeams) {
    for (const auto& s : art::kSkins) {
        SCOPED_TRACE(Narrow(s.name));
        fw::TPngImage img;
        if (!Load(s.name, img)) continue;
        // A strip whose width is not exactly frames x frame width yields no frame at all.
        EXPECT_EQ(img.GetWidth(), s.frameWidth * s.frames);
        EXPECT_EQ(img.GetHeight(), s.frameHeight);
        if (img.GetWidth() != s.frameWidth * s.frames || img.GetHeight() != s.frameHeight) continue;
        // The three-part and nine-part routines repeat the band between the split lines; a band that
        // varies along the repeat direction (a corner arc reaching into it, a gradient) shows a seam
        // every few pixels. The nine-part cut wants both split points inside the image.
        const bool horz = s.tile == art::Tile::Horz || s.tile == art::Tile::Both;
        const bool vert = s.tile == art::Tile::Vert || s.tile == art::Tile::Both;
        const int inside = s.tile == art::Tile::Both ? 1 : 0;
        if (horz) { ASSERT_TRUE(0 < s.x1 && s.x1 < s.x2 && s.x2 <= s.frameWidth - inside); }
        if (vert) { ASSERT_TRUE(0 < s.y1 && s.y1 < s.y2 && s.y2 <= s.frameHeight - inside); }
        for (int f = 0; f < s.frames; ++f) {
            const int left = f * s.frameWidth;
            EXPECT_TRUE(FrameVisible(img, left, s.frameWidth)) << "frame " << f << " is empty";
            // Every state must look different from every other, or the user cannot see it change.
            for (int j = f + 1; j < s.frames; ++j)
                EXPECT_FALSE(FramesEqual(img, s.frameWidth, f, j)) << "frames " << f << " and " << j << " match";
            int seams = 0;
            if (horz)
                for (int y = 0; y < img.GetHeight(); ++y)
                    for (int x = s.x1 + 1; x < s.x2; ++x)
                        if (!PixelsEqual(img, left + s.x1, y, left + x, y)) ++seams;
            if (vert)
                for (int x = left; x < left + s.frameWidth; ++x)
                    for (int y = s.y1 + 1; y < s.y2; ++y)
                        if (!PixelsEqual(img, x, s.y1, x, y)) ++seams;
            EXPECT_EQ(seams, 0) << "frame " << f << " varies inside its repeated band";
        }
    }
}

TEST(Skins, FitTheControlsThatDrawThem) {
    auto spec = [](const wchar_t* n) {
        const art::SkinSpec* s = Find(n);
        EXPECT_NE(s, nullptr) << Narrow(n);
        return s ? *s : art::SkinSpec{L"", 0, 0, 0, art::Tile::None, 0, 0, 0, 0, ""};
    };
    // Row skins set the rows' height: reminder list 50, notice list 44, menus 25, combo lists 22.
    EXPECT_EQ(spec(L"list_item").frameHeight, 50);
    EXPECT_EQ(spec(L"notice_item").frameHeight, 44);
    EXPECT_EQ(spec(L"menu_item").frameHeight, 25);
    EXPECT_EQ(spec(L"combo_item").frameHeight, 22);
    // Caption buttons and the logo sit inside the caption bar.
    const int caption = spec(L"nc_caption").frameHeight;
    for (const wchar_t* n : {L"nc_btn_close", L"nc_btn_min", L"nc_btn_max", L"nc_btn_restore", L"nc_btn_menu",
                             L"nc_btn_skin", L"nc_logo"})
        EXPECT_LE(spec(n).frameHeight, caption) << Narrow(n);
    // One thickness for every part of a vertical scroll bar.
    const int bar = spec(L"sb_back").frameWidth;
    for (const wchar_t* n : {L"sb_up", L"sb_down", L"sbn_up", L"sbn_down", L"sb_slider"})
        EXPECT_EQ(spec(n).frameWidth, bar) << Narrow(n);
}

TEST(Skins, TransparentWhereTheControlsExpectIt) {
    fw::TPngImage img;
    // The notice list's scroll bar runs its track 8 pixels under each button.
    if (Load(L"sbn_up", img)) { EXPECT_TRUE(RowsTransparent(img, img.GetHeight() - 8, img.GetHeight())) << "sbn_up"; }
    if (Load(L"sbn_down", img)) { EXPECT_TRUE(RowsTransparent(img, 0, 8)) << "sbn_down"; }
    // The menu background keeps a shadow margin; items are drawn 7 pixels inside on an opaque card.
    if (Load(L"menu_back", img)) {
        EXPECT_LT(Alpha(img, 0, 0), 255);
        for (int y = 7; y < img.GetHeight() - 7; ++y)
            for (int x = 7; x < img.GetWidth() - 7; ++x) ASSERT_EQ(Alpha(img, x, y), 255) << x << "," << y;
    }
}

TEST(ProgramIcon, HoldsTheSmallAndLargeSizes) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(self, L"MAINICON", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(res, nullptr);
    const uint8_t* dir = static_cast<const uint8_t*>(LockResource(LoadResource(self, res)));
    ASSERT_NE(dir, nullptr);
    std::set<int> sizes;
    for (int i = 0; i < (dir[4] | (dir[5] << 8)); ++i) {
        const uint8_t* e = dir + 6 + i * 14;  // GRPICONDIRENTRY
        EXPECT_EQ(e[6] | (e[7] << 8), 32) << "bits of entry " << i;
        sizes.insert(e[0] ? e[0] : 256);
    }
    // 16 pixels is what the tray and the title bar show, 32 and 48 the desktop and Explorer.
    EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48}));
}

namespace {

// Playing time of an MPEG-1 Layer III file (optional ID3 tags); negative when a frame is damaged.
double Mp3Seconds(const std::vector<uint8_t>& d) {
    static const int kKbps[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int kRates[3] = {44100, 48000, 32000};
    size_t pos = 0;
    if (d.size() >= 10 && memcmp(d.data(), "ID3", 3) == 0)
        pos = 10 + ((d[6] & 0x7F) << 21 | (d[7] & 0x7F) << 14 | (d[8] & 0x7F) << 7 | (d[9] & 0x7F));
    double seconds = 0;
    while (pos + 4 <= d.size()) {
        if (d[pos] != 0xFF || (d[pos + 1] & 0xFE) != 0xFA) break;  // sync, MPEG-1, Layer III
        const int index = d[pos + 2] >> 4, rate = (d[pos + 2] >> 2) & 3;
        if (index == 0 || index == 15 || rate == 3) return -1;
        seconds += 1152.0 / kRates[rate];
        pos += size_t(144 * kKbps[index] * 1000 / kRates[rate] + ((d[pos + 2] >> 1) & 1));
    }
    // Only an ID3v1 tag may follow the last frame.
    return pos == d.size() || (d.size() - pos == 128 && memcmp(&d[pos], "TAG", 3) == 0) ? seconds : -1;
}

}  // namespace

TEST(DefaultSound, IsAShortMp3BesideTheProgram) {
    const std::wstring path = BuildDir() + L"\\VeskReminder\\default.mp3";
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    ASSERT_FALSE(bytes.empty()) << "missing " << Narrow(path);
    const double seconds = Mp3Seconds(bytes);
    EXPECT_GE(seconds, 0.3);
    EXPECT_LE(seconds, 2.0);
    // The frame reader itself: a cut file and one that is no MP3 are refused.
    EXPECT_LT(Mp3Seconds(std::vector<uint8_t>(bytes.begin(), bytes.end() - 10)), 0);
    EXPECT_LT(Mp3Seconds(std::vector<uint8_t>(100, 0x55)), 0);
}
