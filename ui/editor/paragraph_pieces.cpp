#include "ui/editor/paragraph_pieces.h"

#include <QTextCursor>
#include <QTextDocument>

#include "ui/editor/shown_text.h"

namespace tessaline {

namespace {

// Cuts `block` into pieces when it is longer than kLongestPiece; the blocks
// it adds follow it.
void cutBlock(QTextDocument& document, const QTextBlock& block)
{
    if (block.length() - 1 <= kLongestPiece)
        return;
    const QString text = block.text();
    std::vector<int> cuts;
    for (int at = 0; text.size() - at > kLongestPiece;) {
        at += firstPieceLength(QStringView(text).mid(at));
        cuts.push_back(at);
    }
    const QTextBlockFormat continuing = pieceFormat(block.blockFormat(), true);
    QTextCursor cursor(&document);
    // The last cut first: the positions of the others stay as they are.
    for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut) {
        cursor.setPosition(block.position() + *cut);
        cursor.insertBlock(continuing);
    }
}

}  // namespace

bool continuesParagraph(const QTextBlock& block)
{
    return block.isValid() && block.blockFormat().boolProperty(kContinuesParagraph);
}

bool PieceTest::operator()(const QTextBlock& block)
{
    if (block.blockFormatIndex() != formatIndex_) {
        formatIndex_ = block.blockFormatIndex();
        continues_ = continuesParagraph(block);
    }
    return continues_;
}

QTextBlockFormat pieceFormat(QTextBlockFormat format, bool continues)
{
    if (continues)
        format.setProperty(kContinuesParagraph, true);
    else
        format.clearProperty(kContinuesParagraph);
    return format;
}

int firstPieceLength(QStringView paragraph)
{
    if (paragraph.size() <= kLongestPiece)
        return static_cast<int>(paragraph.size());
    // After a space the piece ends where the box could have wrapped the line.
    for (int i = kLongestPiece - 1; i >= kLongestPiece / 2; --i)
        if (paragraph[i] == u' ')
            return i + 1;
    int cut = kLongestPiece;
    while (cut > 1 && continuesShownForm(paragraph[cut]))
        --cut;
    return cut;
}

QString cutIntoPieces(QString shown, std::vector<int>* pieceBlocks)
{
    const qsizetype size = shown.size();
    const auto lineEnd = [&](qsizetype start) {
        const qsizetype end = shown.indexOf(u'\n', start);
        return end < 0 ? size : end;
    };
    bool anyLong = false;
    for (qsizetype start = 0; start <= size && !anyLong; start = lineEnd(start) + 1)
        anyLong = lineEnd(start) - start > kLongestPiece;
    if (!anyLong)
        return shown;

    QString out;
    out.reserve(size + size / (kLongestPiece / 2) + 1);
    int block = 0;
    for (qsizetype start = 0;;) {
        const qsizetype end = lineEnd(start);
        QStringView line = QStringView(shown).mid(start, end - start);
        while (line.size() > kLongestPiece) {
            const int length = firstPieceLength(line);
            out += line.left(length);
            out += u'\n';
            pieceBlocks->push_back(++block);
            line = line.mid(length);
        }
        out += line;
        if (end == size)
            break;
        out += u'\n';
        ++block;
        start = end + 1;
    }
    return out;
}

void markPieces(QTextDocument& document, const std::vector<int>& pieceBlocks)
{
    if (pieceBlocks.empty())
        return;
    QTextCursor cursor(&document);
    // One edit: the box then lays out only the blocks it shows, not every
    // marked block as it is marked.
    cursor.beginEditBlock();
    for (const int number : pieceBlocks) {
        cursor.setPosition(document.findBlockByNumber(number).position());
        cursor.setBlockFormat(pieceFormat(cursor.blockFormat(), true));
    }
    cursor.endEditBlock();
}

void tidyPieces(QTextDocument& document, int from, int to)
{
    QTextCursor end(&document);  // moves with the edits below
    end.setPosition(to);
    const int first = document.findBlock(from).blockNumber();
    // The last block first: cutting a block adds blocks after it only.
    for (int n = document.findBlock(to).blockNumber(); n >= first; --n)
        cutBlock(document, document.findBlockByNumber(n));

    // An empty piece goes with the break before it; an empty block followed
    // by a piece takes its characters (the piece's break goes).
    const int last = document.findBlock(end.position()).blockNumber();
    QTextCursor cursor(&document);
    for (int n = last; n >= first; --n) {
        const QTextBlock block = document.findBlockByNumber(n);
        if (block.length() != 1)
            continue;
        QTextBlock kept;  // the block before the break that goes
        if (continuesParagraph(block) && block.position() > 0)
            kept = block.previous();
        else if (continuesParagraph(block.next()))
            kept = block;
        else
            continue;
        // Qt gives the joined block the format of the second block when the
        // first is empty: the first block's format is set again.
        const QTextBlockFormat format = kept.blockFormat();
        const int doomedBreak = kept.position() + kept.length() - 1;
        cursor.setPosition(doomedBreak);
        cursor.setPosition(doomedBreak + 1, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        if (cursor.blockFormat() != format)
            cursor.setBlockFormat(format);
    }
}

QString joinedText(QTextDocument& document, int from, int to)
{
    QString text;
    if (from == 0 && to >= document.characterCount() - 1) {
        text = document.toRawText();
    } else {
        QTextCursor range(&document);
        range.setPosition(from);
        range.setPosition(to, QTextCursor::KeepAnchor);
        text = range.selectedText();
    }
    // Leave out the breaks between pieces, in place.
    PieceTest continues;
    qsizetype write = -1;
    qsizetype read = 0;
    QChar* data = nullptr;
    for (QTextBlock b = document.findBlock(from).next(); b.isValid() && b.position() - 1 < to; b = b.next()) {
        if (!continues(b))
            continue;
        const qsizetype at = b.position() - 1 - from;
        if (write < 0) {
            data = text.data();
            write = at;
        } else {
            std::copy(data + read, data + at, data + write);
            write += at - read;
        }
        read = at + 1;
    }
    if (write >= 0) {
        std::copy(data + read, data + text.size(), data + write);
        text.truncate(write + (text.size() - read));
    }
    return text;
}

}  // namespace tessaline
