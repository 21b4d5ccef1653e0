// Small sprites: the star field's stars and sparkles ("parts") and the tile shards
// thrown by a clear ("shards"), 256 varied frames each, all deterministic.
#include "art.h"
#include "rng.h"
#include "shapes.h"

namespace assetgen {

namespace {

constexpr uint64_t kStarSeed = 0x5747A25ull;   // look of the star frames
constexpr uint64_t kShardSeed = 0x5A4A7D5ull;  // look of the shard frames
constexpr float kMaxRadius = 3.4f;             // keeps every sprite clear of its 8-unit cell's edge

// Saturated tints with white hearts: the star field draws the stars untinted over the
// light play-field background, so their colour must carry on its own.
const Rgba kStarTints[] = {rgb(255, 196, 40), rgb(70, 160, 255), rgb(255, 90, 170), rgb(50, 200, 130),
                           rgb(160, 100, 255), rgb(255, 130, 50), rgb(40, 200, 220), rgb(240, 70, 90)};
constexpr int kStarKinds = 7;

}  // namespace

void paintStars(Pen& pen, int frame, const Fonts&) {
    Rng rng(seedFor(kStarSeed, frame));
    Vec2 c = pen.centre();
    Rgba tint = kStarTints[frame % 8];
    int kind = (frame / 8 + rng.below(3)) % kStarKinds;
    float size = rng.range(0.6f, 1.0f);
    float spin = rng.range(0, 90);
    Rgba halo = withAlpha(tint, 0.45f);
    switch (kind) {
        case 0: {  // soft dot
            float r = 1.1f + 1.1f * size;
            pen.glow(circle(c, r * 0.5f), halo, r);
            pen.fill(circle(c, r * 0.55f), kWhite);
            break;
        }
        case 1: {  // four-point sparkle
            auto s = polygon(starPoints(c, kMaxRadius * size, 0.65f * size, 4, spin));
            pen.glow(circle(c, 0.8f), halo, 2.2f * size);
            pen.fill(s, tint);
            pen.fill(circle(c, 0.7f * size), kWhite);
            break;
        }
        case 2: {  // five-point star
            auto s = polygon(starPoints(c, kMaxRadius * size, 1.35f * size, 5, spin));
            pen.fill(s, radial(kWhite, tint, c, kMaxRadius * size));
            break;
        }
        case 3: {  // thin cross with a bright heart
            float r = kMaxRadius * size;
            pen.fill(turned(unite(segment(c - Vec2{r, 0}, c + Vec2{r, 0}, 0.35f), segment(c - Vec2{0, r}, c + Vec2{0, r}, 0.35f)), c, spin),
                     tint);
            pen.fill(circle(c, 0.9f), kWhite);
            break;
        }
        case 4: {  // small diamond
            float r = 2.8f * size;
            pen.fill(turned(polygon({c + Vec2{0, -r}, c + Vec2{r * 0.6f, 0}, c + Vec2{0, r}, c + Vec2{-r * 0.6f, 0}}), c, spin),
                     radial(kWhite, tint, c, r));
            break;
        }
        case 5: {  // ring
            pen.fill(outline(circle(c, 2.3f * size), 0.45f), tint);
            pen.fill(circle(c, 0.6f), withAlpha(kWhite, 0.8f));
            break;
        }
        default: {  // eight-point sparkle: a long and a short four-point star
            pen.glow(circle(c, 0.6f), halo, 2.0f);
            pen.fill(polygon(starPoints(c, kMaxRadius * size, 0.55f, 4, spin)), tint);
            pen.fill(polygon(starPoints(c, 2.0f * size, 0.5f, 4, spin + 45)), tint);
            pen.fill(circle(c, 0.6f), kWhite);
            break;
        }
    }
}

void paintShards(Pen& pen, int frame, const Fonts&) {
    // Light grey shards with a bright lit edge: the game tints them with a palette colour.
    Rng rng(seedFor(kShardSeed, frame));
    Vec2 c = pen.centre();
    int corners = 3 + rng.below(3);
    float start = rng.range(0, 360);
    std::vector<Vec2> pts;
    for (int i = 0; i < corners; ++i) {
        float a = radians(start + 360.0f * (i + rng.range(-0.25f, 0.25f)) / corners);
        float r = rng.range(1.6f, kMaxRadius - 0.3f);
        pts.push_back({c.x + std::sin(a) * r, c.y - std::cos(a) * r});
    }
    auto shard = polygon(pts);
    pen.fill(grow(shard, 0.3f), rgb(120, 120, 132));
    pen.fill(shard, [c](Vec2 p) { return mix(kWhite, rgb(196, 198, 210), clamp01((p.x - c.x + p.y - c.y) / 6 + 0.5f)); });
    pen.fill(intersect(outline(shard, 0.3f), [c](Vec2 p) { return (p.x - c.x) + (p.y - c.y); }), withAlpha(kWhite, 0.9f));
}

}  // namespace assetgen
