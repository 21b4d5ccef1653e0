// The contact sheet: one picture showing every generated image at level 1, frame by
// frame with its number, so a person can check the whole set at a glance.
#pragma once

#include "art.h"

#include <string>
#include <vector>

namespace assetgen {

class ContactSheet {
public:
    // Remembers a picture cut into frames of cellW x cellH, columns cells to a row.
    void add(const std::string& name, const Canvas& picture, int cellW, int cellH, int frames, int columns);
    Canvas render(const Fonts& fonts) const;

private:
    struct Entry {
        std::string name;
        Canvas picture;
        int cellW, cellH, frames, columns;
    };
    std::vector<Entry> entries_;
};

}  // namespace assetgen
