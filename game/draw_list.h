// Layout of the game's deferred draw list: 15-float records appended by the draw helpers
// during an update and replayed, scaled to the device, by the render callback.
#pragma once

// One record:
//   0      kind: image slot 0..99, or kDrawRect / kDrawOval / kDrawLine
//   1, 2   x, y in virtual units (a line's first end)
//   3      rotation in degrees (images only)
//   4, 5   image: scale x, y; rectangle: width, height; oval: radii; line: second end
//   6      image frame (0 for shapes)
//   7      alpha 0..1
//   8, 9   unused
//   10-12  red, green, blue 0..255
//   13     blend: 1 normal, 3 additive
//   14     unused
// Capacity: a record is appended only while it fits whole, that is while the list holds at
// most kDrawAppendLimit floats, so a frame keeps 2500 records; the 2501st and later calls are
// dropped and still return 0.
enum DrawRecordField {
    kDrKind = 0, kDrX = 1, kDrY = 2, kDrRot = 3, kDrA = 4, kDrB = 5, kDrFrame = 6,
    kDrAlpha = 7, kDrUnused8 = 8, kDrUnused9 = 9, kDrRed = 10, kDrGreen = 11, kDrBlue = 12,
    kDrBlend = 13, kDrUnused14 = 14,
};
constexpr int kDrawRecordFloats = 15;
constexpr int kDrawMaxRecords = 2500;
constexpr int kDrawAppendLimit = kDrawRecordFloats * (kDrawMaxRecords - 1);  // 37485
constexpr float kDrawRect = -3717.0f;
constexpr float kDrawOval = -3716.0f;
constexpr float kDrawLine = -3715.0f;
constexpr int kBlendNormal = 1;
constexpr int kBlendAdditive = 3;
