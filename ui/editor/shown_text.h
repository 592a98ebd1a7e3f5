// Calculator codes <-> the text the editor shows: every code as the
// character table shows it, line ends as paragraph breaks. Some codes are
// shown as two UTF-16 units (x and y with an overline); these functions know
// where such a shown form starts and ends.
#pragma once

#include <QChar>
#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline {

// What QTextDocument puts between paragraphs and inside a paragraph's lines.
inline constexpr char16_t kParagraphSeparator = 0x2029;
inline constexpr char16_t kLineSeparator = 0x2028;

// The shown form of calculator codes as the box holds it: every code through
// the character table, each CR LF (or lone CR or LF) as a paragraph break.
QString shownText(std::string_view codes);
// The calculator codes of text read from the box or from the clipboard:
// paragraph and line separators (and CR LF, CR, LF) are CR LF, every other
// character its code; `replaced` counts the characters that had none.
std::string codesOfText(const QString& text, std::size_t* replaced = nullptr);
// Text from outside the box (typed, pasted, dropped, or typed into another
// control) as calculator codes: the character table's conversion, which also
// composes and transliterates; line ends become CR LF.
std::string incomingCodes(const QString& text, std::size_t* replaced = nullptr);

// Number of code units the shown form of the character starting at `i` of
// text[0, size) takes (1 for a unit that starts none).
int shownFormUnits(const QChar* text, int i, int size);
// Code units before `end` that continue a shown form begun before them (the
// overline of x and y with an overline): the difference between a stretch's
// length and its number of codes.
int continuingUnits(const QString& text, int end);
// True for a code unit that only continues a shown form (the overline of x
// and y with an overline): no shown form starts with it.
bool continuesShownForm(QChar c);
// True when `text` is made only of shown forms of codes and paragraph
// breaks, i.e. nothing there needs converting.
bool allShownForms(const QString& text);

}  // namespace tessaline
