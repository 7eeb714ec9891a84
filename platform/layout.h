#pragma once
// Control layout tables: every named control has a fixed id, base + number,
// so tests and accessibility tools find it by id.
#include <cstdint>

namespace kronvik {

// Each kind is the base of its controls' ids.
enum class ControlKind : int32_t {
    Label = 1000,
    Edit = 2000,
    Button = 3000,
    RadioButton = 4000,
    CheckBox = 5000,
    SpeedButton = 6000,
    CSpinButton = 7000,
    GroupBox = 8000,
    Panel = 9000,
    Image = 10000,
    PageControl = 12000,
    TabPage = 12100,  // the pages of PageControl1, not named controls
};

constexpr int32_t ControlId(ControlKind kind, int32_t number) { return static_cast<int32_t>(kind) + number; }

// Flags of a control's look and behaviour beyond its kind.
enum ControlFlags : uint32_t {
    kNoFlags = 0,
    kAlignRight = 1 << 0,
    kAlignCenter = 1 << 1,
    kHidden = 1 << 2,
    kNotify = 1 << 3,       // a label or picture that reports clicks
    kSunken = 1 << 4,       // a panel with lowered bevels
    kBlack = 1 << 5,        // black background, white text
    kRedText = 1 << 6,
    kCentreImage = 1 << 7,  // a picture centred in its box, never resizing it
    kBold = 1 << 8,
    kBlueText = 1 << 9,
    kSmallText = 1 << 10,   // the smaller font of the form's notes
    kPushLike = 1 << 11,    // a check box drawn as a button that stays down
    kFlat = 1 << 12,        // a button drawn flat, its text in the text colour
    kGroupStart = 1 << 13,  // the first control of a group for the arrow keys
    kTealTitle = 1 << 14,   // teal bold Arial 11 pixels
    kDigit = 1 << 15,       // a digit picture: its panel reads as the number its digits show
};

struct ControlSpec {
    ControlKind kind;
    int32_t number;
    int32_t parent_id;     // 0: the form itself
    const char* text;      // UTF-8
    int32_t x, y, width, height;
    uint32_t flags;
};

// What a screen reader hears for a control whose own text does not say what
// it is for. The name is `name`, or the current text of `label`; the value is
// the number of the digit panel `shows` (or the text of that control),
// followed by the current text of `unit`.
struct AccessibleEntry {
    int32_t id;
    const char* name;  // UTF-8, or nullptr
    int32_t label;     // 0: none
    int32_t shows;     // 0: none
    int32_t unit;      // 0: none
};

}  // namespace kronvik
