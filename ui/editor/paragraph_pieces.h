// Paragraphs of any length in the box. QPlainTextEdit lays a block out whole
// at every edit in it, so a paragraph longer than kLongestPiece code units is
// held in several blocks, its pieces. Every piece after a paragraph's first
// carries kContinuesParagraph in its block format: the break before it is no
// line end, counts no offset and is left out of every text read. A piece is
// never empty, and an edit keeps the pieces it touches short.
#pragma once

#include <QString>
#include <QStringView>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextFormat>
#include <vector>

class QTextDocument;

namespace tessaline {

inline constexpr int kLongestPiece = 4096;
inline constexpr int kContinuesParagraph = QTextFormat::UserProperty + 1;

// True for a block that continues the paragraph of the block before it.
bool continuesParagraph(const QTextBlock& block);

// The same for a walk over many blocks: blocks of one format share the
// answer, so a walk reads few formats.
class PieceTest {
public:
    bool operator()(const QTextBlock& block);

private:
    int formatIndex_ = -1;
    bool continues_ = false;
};

// `format` for a block that continues its paragraph or for one that starts
// a paragraph.
QTextBlockFormat pieceFormat(QTextBlockFormat format, bool continues);

// Code units of the first piece of `paragraph` (the shown text of a
// paragraph or of its rest): all of it up to kLongestPiece, else up to its
// last space in the second half of kLongestPiece, else kLongestPiece, never
// between the two units of one character.
int firstPieceLength(QStringView paragraph);

// `shown` (paragraphs between '\n') with every long paragraph cut into its
// pieces by '\n' too; `pieceBlocks` receives the block number of every
// piece that continues a paragraph. Without long paragraphs, `shown` as it is.
QString cutIntoPieces(QString shown, std::vector<int>* pieceBlocks);

// Marks the blocks numbered in `pieceBlocks` as continuing their paragraph
// (an edit of the document like any other).
void markPieces(QTextDocument& document, const std::vector<int>& pieceBlocks);

// After an edit of [from, to): cuts the blocks there that grew longer than
// kLongestPiece into pieces, and drops the pieces it emptied (an empty block
// followed by a piece takes the piece's characters). Edits of the document
// that change no character of its text.
void tidyPieces(QTextDocument& document, int from, int to);

// The text of the document range [from, to) as the box's selection gives it
// (U+2029 at every line end), without the breaks between pieces.
QString joinedText(QTextDocument& document, int from, int to);

}  // namespace tessaline
