// Badge texts and the on-screen badge notification that slides in at the bottom left,
// rests and slides out; and the two hooks of an external score and badge service.
#include "game/my_app.h"
#include "game/shell.h"

namespace {

// Each badge has one text: name "|" detail.
constexpr char kBadgeTestText[] = "Test Badge|This is a Test Badge which has no purpose.";
constexpr char kBadgeOddText[] = "Odd Badge|This badge hasn't been defined!";
constexpr char kBadgeTextSep[] = "|";

constexpr int kBadgeWidth = 160;       // notification panel width
constexpr int kBadgeSlideSpeed = 16;   // units per frame in and out
constexpr int kBadgeLife = 240;        // frames a notification lives
constexpr int kBadgeDrawnSlots = 13;   // slots 0..12 are drawn
constexpr int kBadgeRowHeight = 34;    // slot i stands 34 (i + 1) above the bottom
constexpr int kBadgePanelHeight = 32;
constexpr float kBadgeTextInset = 16, kBadgeTextDrop = 4;
constexpr float kBadgeIconInset = 16;  // icon centre from the right and top edges
constexpr float kBadgeIconSize = 0.5f;
constexpr int kBadgeIcons = 64;        // frames of the badge icon strip
constexpr float kPanelR = 0, kPanelG = 0, kPanelB = 80, kPanelAlpha = 0.8f;

// The element-th part of a badge's text, or "" when it has fewer parts.
String badgePart(const String& text, int element) {
    Array<String> parts = text.Split(String(kBadgeTextSep));
    return element < parts.Length() ? parts[element] : String();
}

}  // namespace

String c_MyApp::p_BadgeID(int n) {
    return String(n == 0 ? kBadgeTestText : kBadgeOddText);
}

String c_MyApp::p_BadgeName(int n) {
    return badgePart(p_BadgeID(n), 0);
}

String c_MyApp::p_BadgeDetail(int n) {
    return badgePart(p_BadgeID(n), 1);
}

int c_MyApp::p_ShowBadges() {
    p_ResetDraw();
    m_badgeW = kBadgeWidth;
    const int w = m_badgeW;
    for (int i = 0; i < kBadgeDrawnSlots; ++i) {
        if (m_badgeTimer[i] <= 0) continue;
        const int t = ++m_badgeTimer[i];
        int x = kBadgeSlideSpeed * t - w;
        if (t > kBadgeLife - w / kBadgeSlideSpeed) x = kBadgeSlideSpeed * (kBadgeLife - t) - w;
        if (x > 0) x = 0;
        if (t > kBadgeLife) m_badgeTimer[i] = 0;  // freed, still drawn this frame
        const float y = jscrh - kBadgeRowHeight * (i + 1);

        p_SetCol(kPanelR, kPanelG, kPanelB, kPanelAlpha);
        p_Rect(static_cast<float>(x), y, static_cast<float>(w), kBadgePanelHeight);
        p_ResetDraw();
        const int badge = m_badgeShown[i];
        p_Text(x + kBadgeTextInset, y + kBadgeTextDrop, p_BadgeName(badge), 0, 0, 0);
        if (badge >= 0 && badge < kBadgeIcons) {
            p_SetSize(kBadgeIconSize);
            p_DrawImg(kImgBadges, x + w - kBadgeIconInset, y + kBadgeIconInset, static_cast<float>(badge));
            p_SetSize(1);
        }
    }
    return 0;
}

int c_MyApp::p_GC_PostScore(int, int) {
    // No external score service is part of this game.
    return 0;
}

int c_MyApp::p_GC_Badges() {
    // No external badge service is part of this game.
    return 0;
}
