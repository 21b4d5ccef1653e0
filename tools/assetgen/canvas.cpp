// Pixels for the asset generator: compositing, mask filters and PNG output.
// PNGs are written by stb_image_write, whose output depends only on the pixels.
#include "canvas.h"

#include <stb/stb_image_write.h>


namespace assetgen {

namespace {
constexpr int kChannels = 4;                              // RGBA
constexpr double kFar = 1e20;  // squared distance standing for "no covered pixel yet"

// One pass of the exact squared Euclidean distance transform (lower envelope of
// parabolas) over f, in place; v, z and out are scratch of at least n (+1) entries.
void distancePass(std::vector<double>& f, int n, std::vector<int>& v, std::vector<double>& z,
                  std::vector<double>& out) {
    int k = 0;
    v[0] = 0;
    z[0] = -kFar;
    z[1] = kFar;
    for (int q = 1; q < n; ++q) {
        double s = ((f[q] + double(q) * q) - (f[v[k]] + double(v[k]) * v[k])) / (2.0 * q - 2.0 * v[k]);
        while (s <= z[k]) {
            --k;
            s = ((f[q] + double(q) * q) - (f[v[k]] + double(v[k]) * v[k])) / (2.0 * q - 2.0 * v[k]);
        }
        ++k;
        v[k] = q;
        z[k] = s;
        z[k + 1] = kFar;
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (z[k + 1] < q) ++k;
        double d = double(q - v[k]);
        out[q] = d * d + f[v[k]];
    }
    for (int q = 0; q < n; ++q) f[q] = out[q];
}
}  // namespace

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), px_(size_t(width) * height * kChannels, 0.0f) {}

void Canvas::over(int x, int y, Rgba c, float coverage) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    float a = clamp01(c.a * coverage);
    if (a <= 0.0f) return;
    float* p = &px_[(size_t(y) * width_ + x) * kChannels];
    float keep = 1.0f - a;
    p[0] = c.r * a + p[0] * keep;
    p[1] = c.g * a + p[1] * keep;
    p[2] = c.b * a + p[2] * keep;
    p[3] = a + p[3] * keep;
}

Rgba Canvas::at(int x, int y) const {
    const float* p = &px_[(size_t(y) * width_ + x) * kChannels];
    if (p[3] <= 0.0f) return kClear;
    return {p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

void Canvas::blit(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy, int zoom) {
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Rgba c = src.at(sx + x, sy + y);
            if (c.a <= 0.0f) continue;
            for (int zy = 0; zy < zoom; ++zy)
                for (int zx = 0; zx < zoom; ++zx) over(dx + x * zoom + zx, dy + y * zoom + zy, c, 1.0f);
        }
    }
}

std::vector<uint8_t> Canvas::rgba8() const {
    std::vector<uint8_t> out(size_t(width_) * height_ * kChannels);
    for (size_t i = 0; i < size_t(width_) * height_; ++i) {
        const float* p = &px_[i * kChannels];
        float a = clamp01(p[3]);
        uint8_t* o = &out[i * kChannels];
        if (a <= 0.0f) {
            o[0] = o[1] = o[2] = o[3] = 0;
            continue;
        }
        for (int c = 0; c < 3; ++c) o[c] = uint8_t(std::lround(clamp01(p[c] / a) * kByte));
        o[3] = uint8_t(std::lround(a * kByte));
    }
    return out;
}

bool Canvas::writePng(const std::string& path) const {
    std::vector<uint8_t> bytes = rgba8();
    return stbi_write_png(path.c_str(), width_, height_, kChannels, bytes.data(), width_ * kChannels) != 0;
}

Mask Mask::dilated(float radius) const {
    // Squared distance from every pixel to the nearest pixel at least half covered.
    int n = std::max(width_, height_);
    std::vector<double> f(n), out(n), z(n + 1);
    std::vector<int> v(n);
    std::vector<double> d2(size_t(width_) * height_);
    for (size_t i = 0; i < d2.size(); ++i) d2[i] = v_[i] >= 0.5f ? 0.0 : kFar;
    for (int x = 0; x < width_; ++x) {
        for (int y = 0; y < height_; ++y) f[y] = d2[size_t(y) * width_ + x];
        distancePass(f, height_, v, z, out);
        for (int y = 0; y < height_; ++y) d2[size_t(y) * width_ + x] = f[y];
    }
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) f[x] = d2[size_t(y) * width_ + x];
        distancePass(f, width_, v, z, out);
        for (int x = 0; x < width_; ++x) d2[size_t(y) * width_ + x] = f[x];
    }
    Mask m(width_, height_);
    for (size_t i = 0; i < d2.size(); ++i) {
        // The edge lies about half a pixel before the nearest covered pixel centre.
        float grown = clamp01(radius + 1.0f - float(std::sqrt(d2[i])));
        m.v_[i] = std::max(v_[i], grown);
    }
    return m;
}

Mask Mask::blurred(int radius) const {
    Mask a = *this;
    if (radius <= 0) return a;
    Mask b(width_, height_);
    float norm = 1.0f / float(2 * radius + 1);
    for (int pass = 0; pass < 2; ++pass) {
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                float s = 0;
                for (int k = -radius; k <= radius; ++k) s += a.get(x + k, y);
                b.v_[size_t(y) * width_ + x] = s * norm;
            }
        }
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                float s = 0;
                for (int k = -radius; k <= radius; ++k) s += b.get(x, y + k);
                a.v_[size_t(y) * width_ + x] = s * norm;
            }
        }
    }
    return a;
}

Mask Mask::shifted(int dx, int dy) const {
    Mask m(width_, height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) m.v_[size_t(y) * width_ + x] = get(x - dx, y - dy);
    return m;
}

Mask Mask::sheared(float k, float pivotY) const {
    Mask m(width_, height_);
    for (int y = 0; y < height_; ++y) {
        float shift = k * (pivotY - (y + 0.5f));
        float whole = std::floor(shift), frac = shift - whole;
        for (int x = 0; x < width_; ++x) {
            int sx = x - int(whole);
            m.v_[size_t(y) * width_ + x] = get(sx, y) * (1 - frac) + get(sx - 1, y) * frac;
        }
    }
    return m;
}

Mask Mask::firmed(float gamma) const {
    Mask m(width_, height_);
    for (size_t i = 0; i < v_.size(); ++i) m.v_[i] = std::pow(v_[i], gamma);
    return m;
}

Mask Mask::minus(const Mask& other) const {
    Mask m(width_, height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            m.v_[size_t(y) * width_ + x] = get(x, y) * (1.0f - other.get(x, y));
    return m;
}

}  // namespace assetgen
