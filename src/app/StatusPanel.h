#pragma once
// What the overview's status panel shows: for each value label, the
// register behind it, the rule that turns the register's value into text and
// the colour treatment. The tables are data; StatusPanelWrites walks them and
// says what each label gets, so the window only applies the result.

#include "platform/basic/Rgb.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace panel {

using basic::Rgb;
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kLightRed{255, 192, 192};

// The two label arrays: D_4WH(i) shows StatusValues(i), register i + 1;
// D_4WW(j) shows CommandValues(j - 300), register j + 1.
enum class LabelArray { D_4WH, D_4WW };

enum class Colouring {
    None,            // the refresh never colours the label
    State,           // white for code 0, light red for any other listed code
    AlwaysLightRed,  // light red for every listed code
};

struct CodeText {
    int code;
    const char* text;  // UTF-8
};
using TextTable = std::span<const CodeText>;

// One step of a refresh: the elements first..last of one array, each shown
// by the number rule (no table) or by a value-to-text table.
struct PanelStep {
    LabelArray array;
    int first;
    int last;
    TextTable table;  // empty: the number rule
    Colouring colouring;
};

// The value labels that exist on the overview; every other index names no
// label and its writes are skipped.
std::span<const int> D_4WHElements();
std::span<const int> D_4WWElements();

// What one refresh writes to one label: a text, and a background colour
// where the label's treatment sets one.
struct LabelWrite {
    LabelArray array;
    int element;
    QString text;
    std::optional<Rgb> colour;
};

// The writes of one refresh from the two live tables, in step order. An
// element whose value matches no code of its table gets no write at all, so
// it keeps its text and colour. Elements that do not exist on the window are
// included; the window skips them.
std::vector<LabelWrite> StatusPanelWrites(const std::array<float, 301>& statusValues,
                                          const std::array<float, 301>& commandValues);

// The text of a value in a table, when a code equals the value exactly.
std::optional<QString> TextForValue(TextTable table, float value);

} // namespace panel
