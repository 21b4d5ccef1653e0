// What the data-folder tests share: reading the generated pictures, and the frame
// layout the image loader uses (frames left to right, wrapping into rows).
#pragma once

#include <stb/stb_image.h>

#include <cstdint>
#include <string>
#include <vector>

namespace datatest {

// A decoded picture as straight RGBA bytes.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    uint8_t alpha(int x, int y) const { return rgba[(size_t(y) * width + x) * 4 + 3]; }
    const uint8_t* pixel(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

inline bool readPicture(const std::string& path, Picture& out) {
    int w, h, n;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &n, 4);
    if (!data) return false;
    out.width = w;
    out.height = h;
    out.rgba.assign(data, data + size_t(w) * h * 4);
    stbi_image_free(data);
    return true;
}

inline std::string dataPath(const std::string& name) { return std::string(QR_DATA_DIR) + "/" + name; }

// The suffix of a resolution level's file name.
inline std::string levelSuffix(int level) { return level == 1 ? "" : level == 2 ? "-hd" : "-hd2"; }

struct Frame {
    int x, y, w, h;
};

// Places frames the way the loader does; false when a frame would leave the surface.
inline bool loaderFrames(int surfaceW, int surfaceH, int w, int h, int count, std::vector<Frame>& out) {
    out.clear();
    int x = 0, y = 0;
    for (int i = 0; i < count; ++i) {
        if (x + w > surfaceW) {
            y += h;
            x = 0;
            if (w > surfaceW) return false;
        }
        if (y + h > surfaceH) return false;
        out.push_back({x, y, w, h});
        x += w;
    }
    return true;
}

// Pixels of a frame whose alpha reaches the threshold.
inline int inkedPixels(const Picture& p, const Frame& f, int threshold = 32) {
    int n = 0;
    for (int y = f.y; y < f.y + f.h; ++y)
        for (int x = f.x; x < f.x + f.w; ++x) n += p.alpha(x, y) >= threshold;
    return n;
}

}  // namespace datatest
