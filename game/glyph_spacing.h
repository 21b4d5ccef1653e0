// The font's letter spacing: how many units more (or fewer) than a glyph's advance the text
// drawer's pen moves after a character. The text drawer, the data generator that draws the glyph
// run to fit it, and that run's test all read this one table.
#pragma once

constexpr int GlyphSpacing(int c) {
    switch (c) {
        case 'w': case 'm': return 2;
        case 'W': case 'M': return 1;
        case 'i': case 'f': case 'l': return -3;
        case 'j': case 's': case 'k': case 'r': case 'z': case 't': case 'n': return -1;
        default: return 0;
    }
}
