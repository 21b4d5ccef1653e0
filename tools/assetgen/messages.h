// Every line the asset generator prints, defined once so tests compare against these.
// Progress goes to standard output, failures to standard error.
#pragma once

namespace assetgen::messages {

constexpr const char* kUsage = "usage: qr_assetgen --out DATA_DIR --fonts FONT_DIR --sheet CONTACT_SHEET.png";
constexpr const char* kFontMissing = "Cannot read font: ";
constexpr const char* kWriteFailed = "Cannot write: ";
constexpr const char* kDataWritten = "Data folder written: ";
constexpr const char* kContactSheet = "Contact sheet: ";

}  // namespace assetgen::messages
