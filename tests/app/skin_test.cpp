// The picture buttons' state machine, and the skin as the main window wires it.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Quillanabout.h"
#include "app/skin_buttons.h"
#include "support/main_form_fixture.h"

namespace quillan {
namespace {

class RecordingPainter : public SkinButtons::Painter {
public:
    void ShowFace(int button, bool highlight) override {
        calls.push_back(std::string(highlight ? "lit " : "normal ") + std::to_string(button + 2));
    }
    void MoveButton(int button, int left, int top) override {
        calls.push_back("move " + std::to_string(button + 2) + " " + std::to_string(left) + "," + std::to_string(top));
    }
    std::vector<std::string> Take() {
        std::vector<std::string> taken;
        taken.swap(calls);
        return taken;
    }
    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

TEST(SkinButtons, StraightFromOneButtonToTheNext) {
    RecordingPainter painter;
    SkinButtons buttons(painter);
    buttons.MouseMoveOverButton(0);
    EXPECT_EQ(painter.Take(), Calls{"lit 2"});
    buttons.MouseMoveOverButton(0);  // already lit: nothing to draw
    EXPECT_EQ(painter.Take(), Calls{});
    buttons.MouseMoveOverButton(1);  // Image2 back to normal, Image3 lit, in one move
    EXPECT_EQ(painter.Take(), (Calls{"normal 2", "lit 3"}));
    buttons.MouseMoveOverBackground();
    EXPECT_EQ(painter.Take(), Calls{"normal 3"});
}

TEST(SkinButtons, TimerResetsOutsideTheButtonStripOnly) {
    const struct {
        int dx, dy;
        bool reset;
    } cases[] = {
        {390, 32, false}, {8, 8, false}, {200, 20, false},  // inside the strip
        {391, 32, true},  {390, 33, true}, {7, 20, true}, {20, 7, true}, {20, -3, true},
    };
    for (const auto& c : cases) {
        RecordingPainter painter;
        SkinButtons buttons(painter);
        buttons.MouseMoveOverButton(3);
        painter.Take();
        buttons.HoverResetTick(c.dx, c.dy);
        EXPECT_EQ(painter.Take(), c.reset ? Calls{"normal 5"} : Calls{}) << c.dx << "," << c.dy;
        EXPECT_EQ(buttons.Flags(3).hoverRequested, !c.reset) << c.dx << "," << c.dy;
    }
}

TEST(SkinButtons, PressMoveOffAndRelease) {
    RecordingPainter painter;
    SkinButtons buttons(painter);
    buttons.MouseMoveOverButton(1);
    buttons.MouseDown(1);
    EXPECT_EQ(painter.Take(), (Calls{"lit 3", "move 3 37,9"}));
    // Held and dragged off the window: it keeps its place and its light.
    buttons.HoverResetTick(500, 300);
    buttons.MouseMoveOverBackground();
    EXPECT_EQ(painter.Take(), Calls{});
    EXPECT_TRUE(buttons.Flags(1).highlightDrawn);
    buttons.MouseUp(1);
    EXPECT_EQ(painter.Take(), Calls{"move 3 36,8"});
    // The next restore step gives it its normal face.
    buttons.HoverResetTick(500, 300);
    EXPECT_EQ(painter.Take(), Calls{"normal 3"});
    // One button per restore step, in order.
    buttons.MouseMoveOverButton(0);
    buttons.MouseDown(0);
    buttons.MouseUp(0);
    buttons.MouseMoveOverButton(2);
    painter.Take();
    EXPECT_TRUE(buttons.Flags(2).highlightDrawn);
    EXPECT_FALSE(buttons.Flags(0).highlightDrawn);
}

// A sprite of one colour with the key colour in its bottom-left corner.
std::vector<uint8_t> Sprite(uint8_t r, uint8_t g, uint8_t b) {
    std::string header = "P6\n26 25\n255\n";
    std::vector<uint8_t> ppm(header.begin(), header.end());
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 26; ++x) {
            const bool key = x == 0 && y == 24;
            ppm.push_back(key ? 255 : r);
            ppm.push_back(key ? 0 : g);
            ppm.push_back(key ? 255 : b);
        }
    return ppm;
}

class Skin : public test_support::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        const char* names[] = {"IMAGE6", "IMAGE7", "IMAGE8", "IMAGE9", "IMAGE10", "IMAGE11", "IMAGE12", "IMAGE13"};
        for (int i = 0; i < 8; ++i) backend.resources[names[i]] = Sprite(static_cast<uint8_t>(10 * (i + 1)), 0, 0);
    }
};

TEST_F(Skin, ButtonsTakeTheirFacesFromTheSprites) {
    TMainForm& f = Create();
    EXPECT_FALSE(f.Image2.HasPicture());  // the face in the background shows through
    EXPECT_TRUE(f.Image2.transparent);
    EXPECT_EQ(f.Image3.Hint(), "Start Download");
    f.Image3.onMouseMove(3, 3);
    ASSERT_TRUE(f.Image3.HasPicture());
    EXPECT_EQ(f.Image3.Rgb(), f.Image7.Rgb());
    EXPECT_EQ(f.Image3.PixelAt(0, 24), toolkit::Rgb(255, 0, 255));
    f.Image5.onMouseMove(1, 1);  // straight to Exit: Image3 restored from Image10
    EXPECT_EQ(f.Image3.Rgb(), f.Image10.Rgb());
    EXPECT_EQ(f.Image5.Rgb(), f.Image12.Rgb());
    f.Image5.onMouseDown(toolkit::MouseButton::Right, 1, 1);
    EXPECT_EQ(f.Image5.GetBounds().left, 363);
    EXPECT_EQ(f.Image5.GetBounds().top, 9);
    f.Image5.onMouseUp(toolkit::MouseButton::Right, 1, 1);
    EXPECT_EQ(f.Image5.GetBounds().left, 362);
    backend.cursorDx = 100;
    backend.cursorDy = 2;  // above the strip
    f.Timer2Timer();
    EXPECT_EQ(f.Image5.Rgb(), f.Image13.Rgb());
}

TEST_F(Skin, BackgroundPictureOrPlainColour) {
    TMainForm& plain = Create();  // no picture built in
    EXPECT_FALSE(plain.Image1.HasPicture());
    form.reset();
    backend.resources["BACKGROUND"] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00};  // a JPEG cut short
    EXPECT_FALSE(Create().Image1.HasPicture());
}

TEST_F(Skin, WindowCommands) {
    TMainForm& f = Create();
    TAboutForm about(backend);
    f.AboutForm = &about;
    f.FormMouseDown(toolkit::MouseButton::Right);
    f.Image1.onMouseDown(toolkit::MouseButton::Left, 50, 100);
    f.Image4.onClick();
    EXPECT_TRUE(about.Form().Visible());
    about.Button1.Click();
    EXPECT_FALSE(about.Form().Visible());
    f.Image4.onClick();  // the same box again, with the same texts
    EXPECT_EQ(about.Label1.Text(), "QUILLAN 3.23.3");
    EXPECT_EQ(about.Form().Caption(), "About Quillan");
    f.Image5.onClick();
    Calls relevant;
    for (const std::string& entry : backend.journal)
        if (entry == "drag" || entry.rfind("show", 0) == 0 || entry.rfind("hide", 0) == 0 || entry == "close")
            relevant.push_back(entry);
    EXPECT_EQ(relevant, (Calls{"drag", "drag", "show modal About Quillan", "hide About Quillan",
                               "show modal About Quillan", "close"}));
}

}  // namespace
}  // namespace quillan
