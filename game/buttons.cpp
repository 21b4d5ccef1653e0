// Pointer hit tests of the screens: rectangles, centred boxes, circles and image buttons,
// each answering 1 when any suitable pointer slot lies inside. None consumes the press.
#include "game/my_app.h"
#include "game/shell.h"

#include <cmath>

namespace {

constexpr float kTouchMarginBefore = 6;  // p_Touch reaches this far left of and above its box
constexpr float kTouchMarginAfter = 12;  // and this far right of and below it
constexpr float kHalf = 0.5f;

}  // namespace

int c_MyApp::p_MouseIn(float x, float y, float w, float h) {
    int hit = 0;
    for (int i = 0; i < kPointerSlots; ++i) {
        if (!m_touchOn[i]) continue;
        float tx = static_cast<float>(m_touchX[i]), ty = static_cast<float>(m_touchY[i]);
        if (x < tx && tx < x + w && y < ty && ty < y + h) hit = 1;
    }
    return hit;
}

int c_MyApp::p_MouseIn_Centered(float cx, float cy, float w, float h) {
    return p_MouseIn(cx - w * kHalf, cy - h * kHalf, w, h);
}

int c_MyApp::p_MouseIn_Radius(float cx, float cy, float w, float h) {
    const float reach = (w * kHalf) * (w * kHalf) + (h * kHalf) * (h * kHalf);
    int hit = 0;
    for (int i = 0; i < kPointerSlots; ++i) {
        if (!m_touchOn[i]) continue;
        float dx = static_cast<float>(m_touchX[i]) - cx, dy = static_cast<float>(m_touchY[i]) - cy;
        if (dx * dx + dy * dy <= reach) hit = 1;
    }
    return hit;
}

int c_MyApp::p_Touch(float x, float y, float w, float h) {
    p_Rect(x, y, w, h);
    return p_MouseIn(x - kTouchMarginBefore, y - kTouchMarginBefore,
                     w + kTouchMarginBefore + kTouchMarginAfter,
                     h + kTouchMarginBefore + kTouchMarginAfter);
}

namespace {

// Half the drawn size of an image slot's cell at the current draw scale.
void buttonHalfSize(c_MyApp* app, int slot, float* hw, float* hh) {
    const bool known = slot >= 0 && slot < MyAppSizes::kImages;
    const float w = known ? static_cast<float>(app->m_imgInfo[3 * slot]) : 0;
    const float h = known ? static_cast<float>(app->m_imgInfo[3 * slot + 1]) : 0;
    *hw = w * app->m_imgScale * app->m_drawScaleX * kHalf;
    *hh = h * app->m_imgScale * app->m_drawScaleY * kHalf;
}

bool insideBox(int tx, int ty, float x, float y, float hw, float hh) {
    return std::fabs(static_cast<float>(tx) - x) < hw && std::fabs(static_cast<float>(ty) - y) < hh;
}

}  // namespace

int c_MyApp::p_Button(int slot, float x, float y, int frame) {
    p_DrawImg(slot, x, y, static_cast<float>(frame));
    float hw, hh;
    buttonHalfSize(this, slot, &hw, &hh);
    int hit = 0;
    if (m_pointerDown >= 1) {
        // Up slots sit at (kTouchUp, kTouchUp), outside every button the game places.
        for (int i = 0; i < kPointerSlots; ++i)
            if (insideBox(m_touchX[i], m_touchY[i], x, y, hw, hh)) hit = 1;
    }
    m_buttonHit = hit;
    return hit;
}

int c_MyApp::p_Button0(int slot, float x, float y, int frame) {
    p_DrawImg(slot, x, y, static_cast<float>(frame));
    float hw, hh;
    buttonHalfSize(this, slot, &hw, &hh);
    if (m_pointerDown > 0 && insideBox(m_touchX[0], m_touchY[0], x, y, hw, hh)) return 1;
    return 0;
}
