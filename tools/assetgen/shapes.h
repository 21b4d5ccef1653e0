// Signed-distance shapes in units (negative inside) and the ways to combine them.
// Every picture is built from these, so any resolution can be drawn natively.
#pragma once

#include "canvas.h"

#include <vector>

namespace assetgen {

inline auto circle(Vec2 c, float r) {
    return [=](Vec2 p) { return length(p - c) - r; };
}

// Axis-aligned box with rounded corners; half is the half size, r the corner radius.
inline auto roundBox(Vec2 c, Vec2 half, float r) {
    return [=](Vec2 p) {
        float qx = std::fabs(p.x - c.x) - half.x + r;
        float qy = std::fabs(p.y - c.y) - half.y + r;
        float outside = length({std::max(qx, 0.0f), std::max(qy, 0.0f)});
        return outside + std::min(std::max(qx, qy), 0.0f) - r;
    };
}

// A stroke from a to b with round ends; half its width is hw.
inline auto segment(Vec2 a, Vec2 b, float hw) {
    return [=](Vec2 p) {
        Vec2 pa = p - a, ba = b - a;
        float h = clamp01(dot(pa, ba) / std::max(dot(ba, ba), 1e-9f));
        return length(pa - ba * h) - hw;
    };
}

// Any simple polygon (exact distance; the winding decides inside).
inline auto polygon(std::vector<Vec2> pts) {
    return [pts = std::move(pts)](Vec2 p) {
        size_t n = pts.size();
        float d = dot(p - pts[0], p - pts[0]);
        float s = 1.0f;
        for (size_t i = 0, j = n - 1; i < n; j = i, ++i) {
            Vec2 e = pts[j] - pts[i], w = p - pts[i];
            Vec2 b = w - e * clamp01(dot(w, e) / std::max(dot(e, e), 1e-9f));
            d = std::min(d, dot(b, b));
            bool c1 = p.y >= pts[i].y, c2 = p.y < pts[j].y, c3 = e.x * w.y > e.y * w.x;
            if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
        }
        return s * std::sqrt(d);
    };
}

// Points of a star with n tips, outer and inner radius; the first tip points at angle deg
// (0 = up, clockwise).
inline std::vector<Vec2> starPoints(Vec2 c, float outer, float inner, int n, float deg = 0) {
    std::vector<Vec2> pts;
    for (int i = 0; i < 2 * n; ++i) {
        float a = radians(deg + 180.0f * i / n);
        float r = (i % 2 == 0) ? outer : inner;
        pts.push_back({c.x + std::sin(a) * r, c.y - std::cos(a) * r});
    }
    return pts;
}

// Corners of a regular polygon of radius r; the first corner at angle deg (0 = up).
inline std::vector<Vec2> regularPoints(Vec2 c, float r, int n, float deg = 0) {
    std::vector<Vec2> pts;
    for (int i = 0; i < n; ++i) {
        float a = radians(deg + 360.0f * i / n);
        pts.push_back({c.x + std::sin(a) * r, c.y - std::cos(a) * r});
    }
    return pts;
}

// A heart of the given width centred on c, traced from its classic parametric curve.
inline std::vector<Vec2> heartPoints(Vec2 c, float width) {
    constexpr int kSteps = 72;          // outline resolution
    constexpr float kCurveWidth = 32;   // width of the curve in its own units
    constexpr float kCurveMidY = 1.5f;  // vertical middle of the curve in its own units
    std::vector<Vec2> pts;
    float s = width / kCurveWidth;
    for (int i = 0; i < kSteps; ++i) {
        float t = 2 * kPi * i / kSteps;
        float x = 16 * std::pow(std::sin(t), 3.0f);
        float y = 13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t);
        pts.push_back({c.x + x * s, c.y - (y - kCurveMidY) * s});
    }
    return pts;
}

// Boolean combinations and offsets.
template <class A, class B>
auto unite(A a, B b) {
    return [=](Vec2 p) { return std::min(a(p), b(p)); };
}
template <class A, class B>
auto intersect(A a, B b) {
    return [=](Vec2 p) { return std::max(a(p), b(p)); };
}
template <class A, class B>
auto subtract(A a, B b) {
    return [=](Vec2 p) { return std::max(a(p), -b(p)); };
}
// Grows (w > 0) or shrinks the shape by w units.
template <class A>
auto grow(A a, float w) {
    return [=](Vec2 p) { return a(p) - w; };
}
// The outline of a shape as a band of half width hw.
template <class A>
auto outline(A a, float hw) {
    return [=](Vec2 p) { return std::fabs(a(p)) - hw; };
}
// The shape turned by deg degrees about c.
template <class A>
auto turned(A a, Vec2 c, float deg) {
    return [=](Vec2 p) { return a(rotate(p, c, -deg)); };
}

}  // namespace assetgen
