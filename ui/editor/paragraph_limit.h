// The longest paragraph the editor takes from a file or a paste: the box lays
// a paragraph out whole at every edit in it, which for longer ones takes
// longer than a keystroke may.
#pragma once

#include <QString>
#include <cstddef>
#include <string_view>

namespace tessaline {

inline constexpr std::size_t kLongestEditorParagraph = 32 * 1024;

// The number of characters of the longest paragraph of `codes` (a CR LF,
// lone CR or lone LF ends a paragraph).
std::size_t longestParagraph(std::string_view codes);
// What the user is told when a text has a paragraph longer than the editor
// takes; `what` names the text ("The file", "The pasted text").
QString longParagraphMessage(const QString& what, std::size_t longest);

}  // namespace tessaline
