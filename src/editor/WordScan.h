#pragma once

#include <string_view>

// Word classes of code-page characters and the word moves built on them.
namespace lumarik::editor {

// The word class 0..7 of a character code: a single byte is its value, a double-byte
// character lead * 256 + trail. Characters of one class form a word: 0 hiragana,
// 1 katakana, 2 kanji and the rest, 3 full-width digits and letters, 4 full-width
// symbols, 5 half-width katakana, 6 digits and Latin letters, 7 controls, space and
// punctuation.
int CharClass(unsigned code);

// The column behind the word that starts at col of a row (as stored; col is a
// character start). The first character is always taken; the scan stops in front of
// a single-byte NUL, TAB or CR, at the end of the row's text (a lead byte in front of
// the terminator is a character of its own) and at the first character of another
// class. With singleByte every byte is a character of its own.
int ScanWordForward(std::string_view row, int col, bool singleByte = false);

// The column in front of the word that ends at col (a character start): characters
// are taken backwards while they have the class of the first one taken, down to
// column 0. Never stops inside a double-byte character, even where trail bytes carry
// lead-byte values, and costs time linear in the bytes it walks.
int ScanWordBackward(std::string_view row, int col, bool singleByte = false);

} // namespace lumarik::editor
