#include "ui/editor/offset_map.h"

#include <QString>
#include <QTextBlock>
#include <QTextDocument>

#include "ui/editor/paragraph_pieces.h"
#include "ui/editor/shown_text.h"

namespace tessaline {

namespace {

// Calculator characters held by one block of the document, without its
// line end.
std::size_t blockCodeCount(const QTextBlock& block)
{
    QTextBlock b = block;
    if (b.userState() >= 0)
        return static_cast<std::size_t>(b.length() - 1 - b.userState());
    const QString text = b.text();
    const int marks = continuingUnits(text, static_cast<int>(text.size()));
    b.setUserState(marks);
    return static_cast<std::size_t>(b.length() - 1 - marks);
}

}  // namespace

int positionOfOffset(const QTextDocument& document, std::size_t offset, bool afterBreak)
{
    PieceTest continues;
    QTextBlock block = document.firstBlock();
    while (block.isValid()) {
        const std::size_t codes = blockCodeCount(block);
        const QTextBlock next = block.next();
        if (offset <= codes) {
            if (offset == codes)
                return block.position() + block.length() - 1;
            if (block.userState() == 0)
                return block.position() + static_cast<int>(offset);
            const QString text = block.text();
            const QChar* data = text.constData();
            const int size = static_cast<int>(text.size());
            int unit = 0;
            for (std::size_t k = 0; k < offset; ++k)
                unit += shownFormUnits(data, unit, size);
            return block.position() + unit;
        }
        if (!next.isValid())
            break;  // beyond the end: the end
        if (continues(next)) {
            offset -= codes;
            block = next;
            continue;
        }
        if (offset == codes + 1)  // between CR and LF
            return afterBreak ? next.position() : block.position() + block.length() - 1;
        offset -= codes + 2;
        block = next;
    }
    return document.characterCount() - 1;
}

std::size_t offsetOfPosition(const QTextDocument& document, int position)
{
    const QTextBlock target = document.findBlock(position);
    std::size_t offset = 0;
    PieceTest continues;
    for (QTextBlock b = document.firstBlock(); b.isValid() && b != target; b = b.next())
        offset += blockCodeCount(b) + (continues(b.next()) ? 0 : 2);
    if (!target.isValid())
        return offset;
    const int inBlock = position - target.position();
    if (blockCodeCount(target) == static_cast<std::size_t>(target.length() - 1))
        return offset + static_cast<std::size_t>(inBlock);
    const int marks = continuingUnits(target.text(), inBlock);
    return offset + static_cast<std::size_t>(inBlock - marks);
}

void recountBlocks(const QTextDocument& document, int from, int to)
{
    for (QTextBlock b = document.findBlock(from); b.isValid(); b = b.next()) {
        b.setUserState(-1);
        if (b.position() + b.length() > to)
            break;
    }
}

}  // namespace tessaline
