// Each recorded pad played through the desktop host's own pad polling, the input device and the
// game: its A confirms in the menu, Start pauses, the d-pad and the left stick move the cursor
// the way they point, the options box's thumbstick line flips the stick, and a pad unplugged
// while held lets go.
#include <cctype>

#include "shell_fixture.h"
#include "tests/host/recorded_pads.h"

namespace {

using recorded::Action;

constexpr int kIntroFrames = 32;      // the menu has slid in after these
constexpr int kSlideFrames = 30;      // the options box has slid in after these
constexpr int kLineLeftStick = 4;     // the options box's left thumbstick line on the desktop
constexpr int kSettleFrames = 30;     // the cursor has slid and every latch let go
constexpr int kDirectionFrames = 3;   // a digital direction passes the move threshold

class PadTest : public ShellFixture, public ::testing::WithParamInterface<size_t> {
 protected:
    recorded::Player pads;

    void SetUp() override {
        ShellFixture::SetUp();
        SetJoySource(&pads);
        host->readPads = true;
        Hold(Action::kNothing);
    }
    void TearDown() override {
        host->readPads = false;
        SetJoySource(nullptr);
        ShellFixture::TearDown();
    }
    const recorded::Pad& Pad() const { return recorded::Pads()[GetParam()]; }
    // The pad (GLFW joystick 1, the only one) reports this from the next update on.
    void Hold(Action action) { pads.Plug(1, recorded::Record(Pad(), action)); }
    void Tap(Action action) {
        Hold(action);
        Frame();
        Hold(Action::kNothing);
        Frame();
    }
    void OnBoard() {
        StartGame(2);
        SetBoard({});
        Player(kPlCursorX) = 3;
        Player(kPlCursorY) = 3;
        Frames(kSettleFrames);
    }
    // Holds a direction until the cursor has moved once, and lets go.
    void Move(Action action) {
        Hold(action);
        Frames(kDirectionFrames);
        Hold(Action::kNothing);
        Frames(kSettleFrames);
    }
};

TEST_P(PadTest, AConfirmsInTheMenu) {
    app->m_mode = kModeMenu;
    app->m_menuChoice = 1;
    app->m_menuFocus = 1;
    app->m_wheelTarget = app->m_wheelPos = -32;
    Frames(kIntroFrames);
    Hold(Action::kPressA);
    Frame();
    EXPECT_EQ(app->m_mode, kModeStart);
    Hold(Action::kNothing);
    Frame();
    EXPECT_EQ(app->m_mode, kModePlaying);
}

TEST_P(PadTest, StartPausesAGame) {
    StartGame(2);
    Frames(2);
    EXPECT_EQ(app->m_paused, 0);
    Hold(Action::kPressStart);
    Frame();
    EXPECT_EQ(app->m_paused, 1);
}

TEST_P(PadTest, TheDpadAndTheLeftStickMoveTheCursorTheWayTheyPoint) {
    OnBoard();
    Move(Action::kDpadUp);
    EXPECT_EQ(Player(kPlCursorX), 3.0f);
    EXPECT_EQ(Player(kPlCursorY), 2.0f) << "d-pad up";
    Move(Action::kStickUp);
    EXPECT_EQ(Player(kPlCursorY), 1.0f) << "stick up";
    Move(Action::kStickLeft);
    EXPECT_EQ(Player(kPlCursorX), 2.0f) << "stick left";
    EXPECT_EQ(Player(kPlCursorY), 1.0f);
}

TEST_P(PadTest, TheOptionsBoxThumbstickLineFlipsTheStick) {
    app->m_mode = kModeMenu;
    app->m_menuIntro = 0;
    app->m_optionsOpen = 1;
    app->m_optSel = kLineLeftStick;
    Frames(kSlideFrames);
    // A new player's setting (0) reads the stick the way it points (the other tests); the
    // line switches it to the other direction.
    ASSERT_EQ(app->m_options[kOptLeftStickY], 0);
    Tap(Action::kPressA);  // the pad's A activates the selected line
    EXPECT_EQ(app->m_options[kOptLeftStickY], 1);
    EXPECT_TRUE(Drew("LeftThumbstickYNormal"));
    Tap(Action::kPressStart);  // and Start closes the box
    EXPECT_EQ(app->m_optionsOpen, 0);

    OnBoard();
    Move(Action::kStickUp);
    EXPECT_EQ(Player(kPlCursorY), 4.0f) << "pushed up, the flipped stick moves down";
    Move(Action::kDpadUp);
    EXPECT_EQ(Player(kPlCursorY), 3.0f) << "the d-pad is not flipped";
}

TEST_P(PadTest, APadUnpluggedWhileHeldLetsGo) {
    OnBoard();
    Hold(Action::kStickLeft);
    Frames(kDirectionFrames);
    EXPECT_EQ(Player(kPlCursorX), 2.0f);
    pads.Unplug(1);
    Frames(kSettleFrames);
    EXPECT_EQ(Player(kPlCursorX), 2.0f) << "the cursor stopped with the pad gone";
    EXPECT_EQ(app->m_stickX, 0.0f);

    Hold(Action::kDpadUp);  // plugged in again, d-pad held: read at the next update
    Frames(kDirectionFrames);
    pads.Unplug(1);
    Frame();
    EXPECT_EQ(ox_input_JoyDown(kJoyButtonUp, 0), 0) << "no key left down";
    Frames(kSettleFrames);
    EXPECT_EQ(Player(kPlCursorY), 2.0f) << "one move, no more";
}

std::string TestName(const ::testing::TestParamInfo<size_t>& info) {
    std::string name;
    for (const char* c = recorded::Pads()[info.param].name; *c; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(RecordedPads, PadTest, ::testing::Range<size_t>(0, recorded::Pads().size()),
                         TestName);

}  // namespace
