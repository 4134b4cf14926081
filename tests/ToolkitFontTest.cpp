// The font each control makes, hands to its window and deletes again; the
// screen density it is sized by.
#include "tests/ToolkitSupport.h"

#include <cstring>

#include "toolkit/ScreenDensity.h"

namespace {

using namespace ToolkitTesting;

class ToolkitFont : public ToolkitTest {};

// Read here on its own, not through the toolkit.
int ScreenDensityFromTheScreen() {
    HDC screen = GetDC(nullptr);
    const int logPixels = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return logPixels;
}

// The character height of a font of the given points, rounded to the
// nearest pixel (halves away from zero, as MulDiv does), negative.
int CharacterHeight(int points) {
    const int scaled = points * ScreenDensityFromTheScreen();
    return -((scaled + 36) / 72);
}

// The font as created, with every field checked: all zero but height,
// weight and face name.
::testing::AssertionResult IsToolkitFont(HFONT font, int height, const char* faceName) {
    LOGFONTA logFont;
    std::memset(&logFont, 0xde, sizeof logFont);
    if (GetObjectA(font, sizeof logFont, &logFont) != static_cast<int>(sizeof logFont))
        return ::testing::AssertionFailure() << "not a font: " << font;
    auto result = ::testing::AssertionSuccess();
    bool same = logFont.lfHeight == height && logFont.lfWidth == 0 &&
                logFont.lfEscapement == 0 && logFont.lfOrientation == 0 &&
                logFont.lfWeight == FW_NORMAL && logFont.lfItalic == 0 &&
                logFont.lfUnderline == 0 && logFont.lfStrikeOut == 0 &&
                logFont.lfCharSet == 0 && logFont.lfOutPrecision == 0 &&
                logFont.lfClipPrecision == 0 && logFont.lfQuality == 0 &&
                logFont.lfPitchAndFamily == 0 &&
                std::strncmp(logFont.lfFaceName, faceName, LF_FACESIZE) == 0;
    if (same) return result;
    return ::testing::AssertionFailure()
           << "font height " << logFont.lfHeight << " (expected " << height << "), width "
           << logFont.lfWidth << ", weight " << logFont.lfWeight << ", italic "
           << int(logFont.lfItalic) << ", charset " << int(logFont.lfCharSet) << ", quality "
           << int(logFont.lfQuality) << ", face \""
           << std::string(logFont.lfFaceName, strnlen(logFont.lfFaceName, LF_FACESIZE))
           << "\" (expected \"" << faceName << "\")";
}

TEST(ToolkitScreenDensity, IsTheScreensVerticalPixelsPerInch) {
    EXPECT_EQ(ScreenDensityFromTheScreen(), ScreenLogPixels);
    EXPECT_GT(ScreenLogPixels, 0);
}

TEST(ToolkitScreenDensity, CharacterHeightRoundsLikeMulDiv) {
    // The test's own rounding, checked against the platform's for the
    // density at hand, so that the tests below do not rest on MulDiv.
    for (int points = 1; points <= 72; ++points) {
        SCOPED_TRACE(points);
        EXPECT_EQ(-MulDiv(points, ScreenDensityFromTheScreen(), 72), CharacterHeight(points));
    }
}

TEST_F(ToolkitFont, ConstructionSizesEightPointsAndMakesNoFontYet) {
    for (const ControlClass& type : kControlClasses) {
        SCOPED_TRACE(type.name);
        std::unique_ptr<TsVCLWinControl> control = type.Make(parent);
        EXPECT_EQ(CharacterHeight(8), control->FontHeight);
        EXPECT_EQ(nullptr, control->FontHandle);
    }
    if (ScreenDensityFromTheScreen() == 96) {
        EXPECT_EQ(-11, TsVCLLabel(parent).FontHeight);
    }
}

TEST_F(ToolkitFont, EachControlCarriesItsOwnFont) {
    std::vector<std::unique_ptr<TsVCLWinControl>> controls;
    std::vector<HFONT> fonts;
    for (const ControlClass& type : kControlClasses) {
        SCOPED_TRACE(type.name);
        controls.push_back(type.Make(parent));
        TsVCLWinControl& control = *controls.back();
        SentMessageRecorder sent;
        control.Show();
        ASSERT_NE(nullptr, control.FontHandle);
        EXPECT_TRUE(IsToolkitFont(control.FontHandle, CharacterHeight(8), "MS Sans Serif"));
        EXPECT_EQ(1, sent.CountOf(control.Handle, WM_SETFONT));
        EXPECT_TRUE(sent.Saw(control.Handle, WM_SETFONT,
                             reinterpret_cast<WPARAM>(control.FontHandle), 0));
        if (type.drawsText) {
            EXPECT_EQ(reinterpret_cast<LRESULT>(control.FontHandle),
                      SendMessageA(control.Handle, WM_GETFONT, 0, 0));
        }
        for (HFONT other : fonts) EXPECT_NE(other, control.FontHandle);
        fonts.push_back(control.FontHandle);
    }
}

TEST_F(ToolkitFont, ReleaseDeletesTheFont) {
    for (const ControlClass& type : kControlClasses) {
        SCOPED_TRACE(type.name);
        std::unique_ptr<TsVCLWinControl> control = type.Make(parent);
        control->Show();
        const HWND window = control->Handle;
        const HFONT font = control->FontHandle;
        ASSERT_EQ(OBJ_FONT, static_cast<int>(GetObjectType(font)));
        control.reset();
        EXPECT_EQ(0u, GetObjectType(font));
        // The window outlives its object and must not keep drawing with the
        // deleted font.
        ASSERT_TRUE(IsWindow(window));
        EXPECT_NE(reinterpret_cast<LRESULT>(font), SendMessageA(window, WM_GETFONT, 0, 0));
    }
}

TEST_F(ToolkitFont, SetFontSizeBeforeTheWindowOnlyChangesTheHeight) {
    for (const ControlClass& type : kControlClasses) {
        SCOPED_TRACE(type.name);
        std::unique_ptr<TsVCLWinControl> control = type.Make(parent);
        control->SetFontSize(12);
        EXPECT_EQ(CharacterHeight(12), control->FontHeight);
        EXPECT_EQ(nullptr, control->FontHandle);
        EXPECT_EQ(nullptr, control->Handle);

        control->Show();
        ASSERT_NE(nullptr, control->FontHandle);
        EXPECT_TRUE(IsToolkitFont(control->FontHandle, CharacterHeight(12), "MS Sans Serif"));
    }
}

TEST_F(ToolkitFont, SetFontSizeAfterTheWindowReplacesTheFont) {
    const int sizes[] = {1, 6, 7, 8, 9, 10, 11, 12, 14, 36, 72};
    for (const ControlClass& type : kControlClasses) {
        SCOPED_TRACE(type.name);
        std::unique_ptr<TsVCLWinControl> control = type.Make(parent);
        control->Show();
        for (int points : sizes) {
            SCOPED_TRACE(points);
            const HFONT old = control->FontHandle;
            SentMessageRecorder sent;
            control->SetFontSize(points);
            EXPECT_EQ(0u, GetObjectType(old));
            EXPECT_EQ(CharacterHeight(points), control->FontHeight);
            ASSERT_NE(nullptr, control->FontHandle);
            EXPECT_TRUE(IsToolkitFont(control->FontHandle, CharacterHeight(points), "MS Sans Serif"));
            EXPECT_EQ(1, sent.CountOf(control->Handle, WM_SETFONT));
            EXPECT_TRUE(sent.Saw(control->Handle, WM_SETFONT,
                                 reinterpret_cast<WPARAM>(control->FontHandle), 0));
            if (type.drawsText) {
                EXPECT_EQ(reinterpret_cast<LRESULT>(control->FontHandle),
                          SendMessageA(control->Handle, WM_GETFONT, 0, 0));
            }
        }
    }
}

// After a failed creation the control has a font but no window: a new size
// deletes that font, and the next Show makes one of the new size.
TEST_F(ToolkitFont, SetFontSizeWithAFontButNoWindowDeletesTheFont) {
    TsVCLButton button(GoneWindowHandle());
    button.Show();
    ASSERT_EQ(nullptr, button.Handle);
    const HFONT font = button.FontHandle;
    ASSERT_NE(nullptr, font);

    button.SetFontSize(10);
    EXPECT_EQ(0u, GetObjectType(font));
    EXPECT_EQ(nullptr, button.FontHandle);

    button.ParentHandle = parent;
    button.Show();
    ASSERT_TRUE(IsWindow(button.Handle));
    EXPECT_TRUE(IsToolkitFont(button.FontHandle, CharacterHeight(10), "MS Sans Serif"));
}

TEST_F(ToolkitFont, FaceNameAndHeightComeFromTheFields) {
    struct Row {
        const char* label;
        std::string fontName;
        std::string faceName;  // what the LOGFONT holds
    };
    const std::string longName(40, 'W');
    const Row rows[] = {
        {"other face", "Tahoma", "Tahoma"},
        {"empty face", "", ""},
        {"31 characters", longName.substr(0, 31), longName.substr(0, 31)},
        {"32 characters, cut to 31", longName.substr(0, 32), longName.substr(0, 31)},
        {"40 characters, cut to 31", longName, longName.substr(0, 31)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        TsVCLLabel label(parent);
        label.FontName = row.fontName;
        label.FontHeight = -23;
        label.Show();
        EXPECT_TRUE(IsToolkitFont(label.FontHandle, -23, row.faceName.c_str()));
    }
}

TEST_F(ToolkitFont, CreateFontHandleMakesANewFontEachTime) {
    TsVCLLabel label(parent);
    label.FontHeight = 17;  // positive: cell height
    const HFONT first = label.CreateFontHandle();
    const HFONT second = label.CreateFontHandle();
    EXPECT_NE(first, second);
    EXPECT_TRUE(IsToolkitFont(first, 17, "MS Sans Serif"));
    EXPECT_TRUE(IsToolkitFont(second, 17, "MS Sans Serif"));
    // Not the control's own: the caller owns them.
    EXPECT_EQ(nullptr, label.FontHandle);
    DeleteObject(first);
    DeleteObject(second);
}

}  // namespace
