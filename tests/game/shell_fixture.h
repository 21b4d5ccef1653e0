// Fixture of the shell tests: the game fixture run inside a private working directory (so the
// saved-state file of one test never meets another's), with helpers to read that file, read
// back the texts a frame drew, and tap the screen.
#pragma once

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/draw_list.h"
#include "game/shell.h"
#include "host/files.h"
#include "support/game_fixture.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

// One line of drawn text: its y and its characters (spaces draw nothing, so they are absent).
struct DrawnRow {
    int y;
    std::string text;
};

class ShellFixture : public GameFixture {
 protected:
    std::unique_ptr<qr_test::TempWorkDir> work;
    std::filesystem::path dir;

    void SetUp() override {
        work = std::make_unique<qr_test::TempWorkDir>("qr-shell");
        dir = work->Path();
        GameFixture::SetUp();
    }

    void TearDown() override {
        GameFixture::TearDown();
        work.reset();
    }

    bool StateSaved() const { return std::filesystem::exists(dir / OX_STATE_FILE_NAME); }

    std::string SavedState() const { return qr_test::ReadFile(dir / OX_STATE_FILE_NAME); }

    void WriteState(const std::string& text) const { qr_test::WriteFile(dir / OX_STATE_FILE_NAME, text); }

    static std::vector<std::string> Fields(const std::string& state) {
        std::vector<std::string> fields;
        std::string cur;
        for (char c : state) {
            if (c == '|') {
                fields.push_back(cur);
                cur.clear();
            } else {
                cur += c;
            }
        }
        return fields;
    }

    static std::string Join(const std::vector<std::string>& fields) {
        std::string s;
        for (const std::string& f : fields) s += f + "|";
        return s;
    }

    // Texts drawn with the font this frame inside a box, one row per distinct y, top to bottom.
    std::vector<DrawnRow> TextRows(float x0 = -1e9f, float x1 = 1e9f, float y0 = -1e9f, float y1 = 1e9f) const {
        std::map<int, std::string> rows;
        const float font = static_cast<float>(app->m_fontSlot);
        for (int i = 0; i + kDrawRecordFloats <= app->m_drawCount; i += kDrawRecordFloats) {
            const float* r = &app->m_drawList[i];
            if (r[kDrKind] != font) continue;
            if (r[kDrX] < x0 || r[kDrX] > x1 || r[kDrY] < y0 || r[kDrY] > y1) continue;
            rows[static_cast<int>(std::lround(r[kDrY]))] += static_cast<char>(static_cast<int>(r[kDrFrame]) + 32);
        }
        std::vector<DrawnRow> out;
        for (const auto& [y, text] : rows) out.push_back({y, text});
        return out;
    }

    bool Drew(const std::string& text) const {
        for (const DrawnRow& row : TextRows())
            if (row.text == text) return true;
        return false;
    }

    // Records of one kind drawn this frame.
    std::vector<const float*> Records(float kind) const {
        std::vector<const float*> out;
        for (int i = 0; i + kDrawRecordFloats <= app->m_drawCount; i += kDrawRecordFloats)
            if (app->m_drawList[i + kDrKind] == kind) out.push_back(&app->m_drawList[i]);
        return out;
    }

    // A press and release at a point of the 640 x 480 screen (scale 1: pixels are units).
    void Tap(float x, float y) {
        MouseDown(x, y);
        Frame();
        MouseUp();
        Frame();
    }
};
