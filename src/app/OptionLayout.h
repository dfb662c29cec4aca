#pragma once

#include <QRect>
#include <QSize>
#include <QStringView>

#include <array>

// Where the option dialog's controls sit and what the labels drawn beside them say.
// The dialog places its controls from here and its artwork draws the labels and the
// pressed look of the image buttons from here, so the two always agree.
namespace lumarik::app::option_layout {

inline constexpr QSize kClientSize{366, 211};
inline constexpr QRect kTitleStrip{0, 0, 366, 20};
inline constexpr QRect kPreview{12, 27, 180, 81};

enum class ImageButtonId { Font, UnderlineColor, BackColor, LinkColor, MarkColor, Ok };

struct ImageButtonPlace {
    ImageButtonId id;
    QRect rect;
    QStringView caption;
};

inline constexpr std::array<ImageButtonPlace, 6> kImageButtons{{
    {ImageButtonId::Font, {198, 34, 75, 20}, u"フォント"},
    {ImageButtonId::UnderlineColor, {278, 34, 75, 20}, u"下線の色"},
    {ImageButtonId::BackColor, {198, 63, 75, 20}, u"背景の色"},
    {ImageButtonId::LinkColor, {278, 63, 75, 20}, u"リンクの色"},
    {ImageButtonId::MarkColor, {198, 90, 75, 20}, u"記号の色"},
    {ImageButtonId::Ok, {296, 174, 50, 20}, u"OK"},
}};

constexpr const ImageButtonPlace& imageButton(ImageButtonId id) {
    return kImageButtons.at(static_cast<size_t>(id));
}

enum class CheckBoxId { Sound, Tool, Uline, Number, Status, Wrap, AutoWrap, Mark };

inline constexpr int kCheckBoxSize = 17;
// The label starts this far right of its box.
inline constexpr int kCheckLabelOffset = 21;

struct CheckBoxPlace {
    CheckBoxId id;
    QPoint topLeft;
    QStringView label;
};

inline constexpr std::array<CheckBoxPlace, 8> kCheckBoxes{{
    {CheckBoxId::Sound, {16, 120}, u"キー音"},
    {CheckBoxId::Tool, {16, 140}, u"ツールバー"},
    {CheckBoxId::Uline, {16, 160}, u"行の下線"},
    {CheckBoxId::Number, {16, 182}, u"行番号"},
    {CheckBoxId::Status, {120, 120}, u"ステータスバー"},
    {CheckBoxId::Wrap, {120, 140}, u"折り返し"},
    {CheckBoxId::AutoWrap, {120, 160}, u"自動折り返し"},
    {CheckBoxId::Mark, {120, 182}, u"記号表示"},
}};

constexpr const CheckBoxPlace& checkBox(CheckBoxId id) {
    return kCheckBoxes.at(static_cast<size_t>(id));
}

enum class NumberBoxId { TabWidth, Column, LineSpace };

// Labels of the number boxes end this far left of their box.
inline constexpr int kNumberLabelGap = 5;

struct NumberBoxPlace {
    NumberBoxId id;
    QRect rect;
    QStringView label;
};

inline constexpr std::array<NumberBoxPlace, 3> kNumberBoxes{{
    {NumberBoxId::TabWidth, {312, 108, 41, 21}, u"タブ幅"},
    {NumberBoxId::Column, {312, 128, 41, 21}, u"折り返し桁数"},
    {NumberBoxId::LineSpace, {312, 150, 41, 21}, u"行間 (%)"},
}};

constexpr const NumberBoxPlace& numberBox(NumberBoxId id) {
    return kNumberBoxes.at(static_cast<size_t>(id));
}

} // namespace lumarik::app::option_layout
