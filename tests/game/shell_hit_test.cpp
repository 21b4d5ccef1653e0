// Pointer hit tests at their boundaries, the image buttons' size-following boxes and pointer
// rules, and the badge texts and notification timing.
#include "shell_fixture.h"

namespace {

class HitTest : public ShellFixture {
 protected:
    void SetUp() override {
        ShellFixture::SetUp();
        app->p_ResetDraw();
        Release();
    }
    void Release() {
        for (int i = 0; i < kPointerSlots; ++i) {
            app->m_touchOn[i] = 0;
            app->m_touchX[i] = app->m_touchY[i] = kTouchUp;
        }
        app->m_pointerDown = 0;
    }
    void Press(int slot, int x, int y) {
        app->m_touchOn[slot] = 1;
        app->m_touchX[slot] = x;
        app->m_touchY[slot] = y;
        app->m_pointerDown = 1;
    }
};

struct Point {
    int x, y;
    int hit;
};

TEST_F(HitTest, RectangleTestsAreStrictAtTheirEdges) {
    const Point mouseIn[] = {{10, 15, 0}, {11, 15, 1}, {29, 29, 1}, {30, 15, 0}, {15, 30, 0}, {15, 10, 0}};
    for (const Point& p : mouseIn) {
        Release();
        Press(0, p.x, p.y);
        EXPECT_EQ(app->p_MouseIn(10, 10, 20, 20), p.hit) << p.x << "," << p.y;
    }
    // p_Touch reaches 6 before and 12 past its box.
    const Point touch[] = {{80, 98, 1}, {295, 135, 1}, {296, 120, 0}, {100, 136, 0}, {78, 120, 0}, {79, 95, 1}};
    for (const Point& p : touch) {
        Release();
        Press(3, p.x, p.y);
        EXPECT_EQ(app->p_Touch(84, 100, 200, 24), p.hit) << p.x << "," << p.y;
    }
    const Point centred[] = {{100, 100, 1}, {131, 100, 1}, {132, 100, 0}, {100, 68, 0}};
    for (const Point& p : centred) {
        Release();
        Press(0, p.x, p.y);
        EXPECT_EQ(app->p_MouseIn_Centered(100, 100, 64, 64), p.hit) << p.x << "," << p.y;
    }
    // Inside the circle through the box's corners, the edge included.
    const Point radius[] = {{132, 132, 1}, {133, 132, 0}, {100, 145, 1}, {100, 146, 0}};
    for (const Point& p : radius) {
        Release();
        Press(0, p.x, p.y);
        EXPECT_EQ(app->p_MouseIn_Radius(100, 100, 64, 64), p.hit) << p.x << "," << p.y;
    }
}

TEST_F(HitTest, RectangleTestsLookOnlyAtSlotsThatAreDown) {
    app->m_touchOn[2] = 0;
    app->m_touchX[2] = 15;
    app->m_touchY[2] = 15;
    EXPECT_EQ(app->p_MouseIn(10, 10, 20, 20), 0);
    Press(9, 15, 15);
    EXPECT_EQ(app->p_MouseIn(10, 10, 20, 20), 1) << "any slot counts, the last one too";
}

TEST_F(HitTest, TouchDrawsItsRectangle) {
    app->m_drawCount = 0;
    app->p_SetCol(0, 0, 160, 0.5f);
    app->p_Touch(84, 100, 200, 24);
    std::vector<const float*> rects = Records(kDrawRect);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0][kDrX], 84);
    EXPECT_EQ(rects[0][kDrA], 200);
    EXPECT_EQ(rects[0][kDrBlue], 160);
    EXPECT_FLOAT_EQ(rects[0][kDrAlpha], 0.5f);
}

TEST_F(HitTest, ButtonBoxFollowsTheDrawSize) {
    // A 32 x 32 icon drawn at size 2: half-size 32.
    app->p_SetSize(2.0f);
    struct Case {
        int dx, dy;
        int hit;
    };
    const Case cases[] = {{31, 0, 1}, {32, 0, 0}, {-31, 31, 1}, {0, -32, 0}};
    for (const Case& c : cases) {
        Release();
        Press(4, 200 + c.dx, 100 + c.dy);
        EXPECT_EQ(app->p_Button(kImgIcons, 200, 100, 0), c.hit) << c.dx << "," << c.dy;
        EXPECT_EQ(app->m_buttonHit, c.hit);
    }
    // At half resolution scale the same icon file is drawn half as large.
    app->m_imgInfo[3 * kImgIcons] = app->m_imgInfo[3 * kImgIcons + 1] = 64;
    app->m_imgScale = 0.5f;
    Release();
    Press(0, 231, 100);
    EXPECT_EQ(app->p_Button(kImgIcons, 200, 100, 0), 1);
}

TEST_F(HitTest, ButtonsNeedAPointerDown) {
    app->p_SetSize(2.0f);
    app->m_touchX[0] = 200;  // a slot left on the button...
    app->m_touchY[0] = 100;
    app->m_pointerDown = 0;  // ...with nothing pressed
    EXPECT_EQ(app->p_Button(kImgIcons, 200, 100, 0), 0);
    EXPECT_EQ(app->p_Button0(kImgIcons, 200, 100, 0), 0);
    app->m_pointerDown = 1;
    EXPECT_EQ(app->p_Button(kImgIcons, 200, 100, 0), 1);
}

TEST_F(HitTest, FirstButtonIgnoresOtherFingers) {
    Press(1, 200, 100);
    EXPECT_EQ(app->p_Button0(kImgIcons, 200, 100, 0), 0);
    EXPECT_EQ(app->p_Button(kImgIcons, 200, 100, 0), 1);
    Press(0, 205, 95);
    EXPECT_EQ(app->p_Button0(kImgIcons, 200, 100, 0), 1);
}

TEST_F(HitTest, ButtonsDrawTheirImage) {
    app->m_drawCount = 0;
    app->p_Button(kImgIcons, 50, 60, 3);
    app->p_Button0(kImgIcons, 70, 80, 5);
    std::vector<const float*> icons = Records(kImgIcons);
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_EQ(icons[0][kDrX], 50);
    EXPECT_EQ(icons[0][kDrFrame], 3);
    EXPECT_EQ(icons[1][kDrY], 80);
    EXPECT_EQ(icons[1][kDrFrame], 5);
}

// ---- Badges ----

using BadgeTest = ShellFixture;

TEST_F(BadgeTest, TextsSplitIntoNameAndDetail) {
    EXPECT_TRUE(app->p_BadgeName(0) == String("Test Badge"));
    EXPECT_TRUE(app->p_BadgeDetail(0) == String("This is a Test Badge which has no purpose."));
    for (int n : {1, 7, 63, 64, 255}) {
        EXPECT_TRUE(app->p_BadgeName(n) == String("Odd Badge")) << n;
        EXPECT_TRUE(app->p_BadgeDetail(n) == String("This badge hasn't been defined!")) << n;
    }
}

TEST_F(BadgeTest, NotificationSlidesInRestsAndSlidesOut) {
    app->m_badgeShown[0] = 3;
    app->m_badgeTimer[0] = 1;
    auto panelX = [this]() {
        app->m_drawCount = 0;
        app->p_ShowBadges();
        std::vector<const float*> rects = Records(kDrawRect);
        EXPECT_EQ(rects.size(), 1u);
        return rects.empty() ? 1e9f : rects[0][kDrX];
    };
    struct Step {
        int timer;  // the value the pass raises the timer to
        float x;
    };
    const Step steps[] = {{2, -128}, {9, -16}, {10, 0}, {230, 0}, {231, -16}, {240, -160}, {241, -176}};
    for (const Step& s : steps) {
        app->m_badgeTimer[0] = s.timer - 1;
        EXPECT_EQ(panelX(), s.x) << "timer " << s.timer;
    }
    EXPECT_EQ(app->m_badgeTimer[0], 0) << "freed on the pass that reaches 241";
    app->m_drawCount = 0;
    app->p_ShowBadges();
    EXPECT_TRUE(Records(kDrawRect).empty());
}

TEST_F(BadgeTest, NotificationShowsNameAndIconBelow64) {
    struct Case {
        int badge;
        size_t icons;
    };
    for (Case c : {Case{3, 1}, Case{64, 0}, Case{200, 0}}) {
        for (int i = 0; i < MyAppSizes::kBadgeSlots; ++i) app->m_badgeTimer[i] = 0;
        app->m_badgeShown[2] = c.badge;
        app->m_badgeTimer[2] = 50;
        app->m_drawCount = 0;
        app->p_ShowBadges();
        std::vector<const float*> icons = Records(kImgBadges);
        ASSERT_EQ(icons.size(), c.icons) << c.badge;
        const float y = jscrh - 34 * 3;  // slot 2
        if (c.icons) {
            EXPECT_EQ(icons[0][kDrFrame], c.badge);
            EXPECT_EQ(icons[0][kDrX], 160 - 16);
            EXPECT_EQ(icons[0][kDrY], y + 16);
            EXPECT_FLOAT_EQ(icons[0][kDrA], 0.5f);
        }
        bool named = false;
        for (const DrawnRow& row : TextRows())
            if (row.text == "OddBadge") named = true;
        EXPECT_TRUE(named) << c.badge;
    }
}

}  // namespace
