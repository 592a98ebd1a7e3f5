// Positions in the editor's document <-> offsets in its calculator text. Qt
// counts a paragraph break as one position and a code shown as two units
// (x and y with an overline) as two; the calculator text counts CR LF as
// two characters and every code as one. Each block caches how many of its
// units continue a shown form in its user state, so that mapping an offset
// walks blocks, not characters. The break between two pieces of one
// paragraph (paragraph_pieces.h) counts no offset.
#pragma once

#include <cstddef>

class QTextDocument;

namespace tessaline {

// The document position of `offset` (0 to the text's size; beyond it, the
// end). An offset inside a CR LF pair lands before the break, or after it
// when `afterBreak` is set; one at the edge of two pieces at the end of the
// first.
int positionOfOffset(const QTextDocument& document, std::size_t offset, bool afterBreak = false);
// The calculator offset of a document position.
std::size_t offsetOfPosition(const QTextDocument& document, int position);
// Forgets the cached counts of every block from the one holding `from` to
// the one holding `to`, after an edit there.
void recountBlocks(const QTextDocument& document, int from, int to);

}  // namespace tessaline
