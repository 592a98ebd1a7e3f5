#include "ui/editor/calculator_text_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "charset/charset.h"
#include "ui/editor/offset_map.h"
#include "ui/editor/paragraph_pieces.h"
#include "ui/editor/shown_text.h"
#include "ui/twips.h"

namespace tessaline {

namespace {

// The start of the shown form that `position` of `doc` is inside of, or
// `position` when it is at the start of one.
int startOfShownForm(const QTextDocument& doc, int position)
{
    const int longest = static_cast<int>(charset::longestShownForm());
    for (int back = 1; back < longest && back <= position; ++back) {
        std::u16string units;
        for (int k = position - back; k < position - back + longest && k < doc.characterCount(); ++k)
            units.push_back(doc.characterAt(k).unicode());
        const auto m = charset::matchShown(units);
        if (m && static_cast<int>(m->units) > back)
            return position - back;
    }
    return position;
}

}  // namespace

CalculatorTextEdit::CalculatorTextEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(false);
    connect(document(), &QTextDocument::contentsChange, this, &CalculatorTextEdit::onContentsChange);
}

std::string CalculatorTextEdit::text() const
{
    if (!codesValid_) {
        // A deferred content reads as the built document would.
        codes_ = hasDeferred_ ? codesOfText(shownText(deferred_))
                              : codesOfText(joinedText(*document(), 0, document()->characterCount() - 1));
        codesValid_ = true;
    }
    return codes_;
}

void CalculatorTextEdit::setText(std::string_view codes)
{
    if (hasDeferred_) {
        hasDeferred_ = false;
        std::string().swap(deferred_);
    }
    QString shown = shownText(codes);
    // The document holds `shown` (its line ends as paragraph breaks), so its
    // codes are those of `shown`.
    codes_ = codesOfText(shown);
    std::vector<int> pieces;
    shown = cutIntoPieces(std::move(shown), &pieces);
    converting_ = true;
    // One call for the whole text; the box puts the caret at the start
    // itself (setting it here would lay out the whole document at once).
    setPlainText(shown);
    if (!pieces.empty()) {
        // Marking the pieces is part of the new content, not an edit to undo.
        const bool modified = document()->isModified();
        document()->setUndoRedoEnabled(false);
        markPieces(*document(), pieces);
        document()->setUndoRedoEnabled(true);
        document()->setModified(modified);
    }
    converting_ = false;
    codesValid_ = true;
}

void CalculatorTextEdit::beginFill()
{
    setText({});
    filling_ = true;
    readOnlyBeforeFill_ = isReadOnly();
    setReadOnly(true);
    // The parts are not edits: nothing of them goes on the undo stack.
    document()->setUndoRedoEnabled(false);
}

void CalculatorTextEdit::appendFill(QStringView shownPart)
{
    if (!filling_ || shownPart.isEmpty())
        return;
    // A cursor of its own: the box's caret stays at the start, and nothing
    // but the part appended is laid out.
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    converting_ = true;
    end.insertText(shownPart.toString());
    converting_ = false;
}

void CalculatorTextEdit::endFill(std::string codes)
{
    if (!filling_)
        return;
    filling_ = false;
    document()->setUndoRedoEnabled(true);
    setReadOnly(readOnlyBeforeFill_);
    codes_ = std::move(codes);
    codesValid_ = true;
}

void CalculatorTextEdit::setTextDeferred(std::string codes)
{
    if (isVisible()) {
        setText(codes);
        return;
    }
    if (!document()->isEmpty()) {
        converting_ = true;
        clear();
        converting_ = false;
    }
    deferred_ = std::move(codes);
    hasDeferred_ = true;
    codesValid_ = false;
    std::string().swap(codes_);
}

void CalculatorTextEdit::buildDeferred()
{
    if (!hasDeferred_)
        return;
    const std::string codes = std::move(deferred_);
    setText(codes);  // clears the deferred state
}

void CalculatorTextEdit::showEvent(QShowEvent* event)
{
    buildDeferred();
    QPlainTextEdit::showEvent(event);
}

void CalculatorTextEdit::keyPressEvent(QKeyEvent* event)
{
    using Key = QKeySequence::StandardKey;
    const auto matchesAny = [event](std::initializer_list<Key> keys) {
        return std::any_of(keys.begin(), keys.end(), [event](Key key) { return event->matches(key); });
    };
    if (matchesAny({Key::MoveToNextChar, Key::SelectNextChar, Key::MoveToNextWord, Key::SelectNextWord, Key::Delete,
                    Key::DeleteEndOfWord}))
        placeCaretForKey(true);
    else if (matchesAny({Key::MoveToPreviousChar, Key::SelectPreviousChar, Key::MoveToPreviousWord,
                         Key::SelectPreviousWord, Key::Backspace, Key::DeleteStartOfWord})
             || event->key() == Qt::Key_Backspace)
        placeCaretForKey(false);
    // A line end typed inside a piece, or before one, starts a paragraph of
    // its own (QPlainTextEdit would give the new block the piece's format, or
    // leave an empty block before the piece).
    if (!isReadOnly() && matchesAny({Key::InsertParagraphSeparator, Key::InsertLineSeparator})
        && (continuesParagraph(document()->findBlock(textCursor().selectionStart()))
            || continuesParagraph(document()->findBlock(textCursor().selectionEnd()).next()))) {
        QTextCursor cursor = textCursor();
        insertShown(cursor, QStringLiteral("\n"));
        setTextCursor(cursor);
        ensureCursorVisible();
        event->accept();
        return;
    }
    // A deletion that empties a block at the edge of a piece, and dropping
    // that empty block, are one edit.
    if (!isReadOnly()) {
        QTextCursor removal = textCursor();
        bool deletes = removal.hasSelection();
        const auto takes = [&](QTextCursor::MoveOperation move) {
            if (!removal.hasSelection())
                removal.movePosition(move, QTextCursor::KeepAnchor);
            deletes = true;
        };
        if (event->matches(Key::DeleteStartOfWord))
            takes(QTextCursor::PreviousWord);
        else if (event->matches(Key::DeleteEndOfWord))
            takes(QTextCursor::NextWord);
        else if (event->matches(Key::Backspace) || event->key() == Qt::Key_Backspace)
            takes(QTextCursor::PreviousCharacter);
        else if (event->matches(Key::Delete))
            takes(QTextCursor::NextCharacter);
        else if (!event->matches(Key::Cut))
            deletes = false;
        const QTextBlock first = document()->findBlock(removal.selectionStart());
        const QTextBlock last = document()->findBlock(removal.selectionEnd());
        if (deletes && removal.selectionStart() == first.position()
            && removal.selectionEnd() == last.position() + last.length() - 1
            && (continuesParagraph(first) || continuesParagraph(last.next()))) {
            QTextCursor edit(document());
            edit.beginEditBlock();
            QPlainTextEdit::keyPressEvent(event);
            const int caret = textCursor().position();
            tidyAround(caret, caret);
            edit.endEditBlock();
            return;
        }
    }
    if (tabChangesFocus() && !isReadOnly() && event->key() == Qt::Key_Tab
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
        replaceSelection("\t");
        ensureCursorVisible();
        event->accept();
        return;
    }
    // Ctrl+Y redoes as well as the platform's own redo key.
    if (!isReadOnly() && event->key() == Qt::Key_Y
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
        redo();
        event->accept();
        return;
    }
    // Only a key that types its text (a printable character or a tab, as the
    // box decides) needs converting; control keys (Ctrl+A, Backspace, undo)
    // go straight through.
    const QString typed = event->text();
    const bool types = !typed.isEmpty() && (typed.front().isPrint() || typed.front() == u'\t');
    if (isReadOnly() || !types || allShownForms(typed)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    typeConverted([&] { QPlainTextEdit::keyPressEvent(event); });
}

void CalculatorTextEdit::placeCaretForKey(bool forward)
{
    QTextCursor cursor = textCursor();
    const bool selecting = cursor.hasSelection();
    QTextBlock block = cursor.block();
    int position = cursor.position();
    if (forward) {
        while (position == block.position() + block.length() - 1 && continuesParagraph(block.next())) {
            block = block.next();
            position = block.position();
        }
    } else {
        while (position == block.position() && continuesParagraph(block)) {
            block = block.previous();
            position = block.position() + block.length() - 1;
        }
    }
    if (position == cursor.position())
        return;
    cursor.setPosition(position, selecting ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    setTextCursor(cursor);
}

void CalculatorTextEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (isReadOnly() || allShownForms(event->commitString())) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    typeConverted([&] { QPlainTextEdit::inputMethodEvent(event); });
}

void CalculatorTextEdit::typeConverted(const std::function<void()>& type)
{
    buildDeferred();
    // The typed text and its conversion are one edit: one undo step takes
    // back both, and the box never holds the unconverted text.
    QTextCursor edit(document());
    edit.beginEditBlock();
    const int start = textCursor().selectionStart();
    type();
    const int end = textCursor().position();
    if (end > start)
        convertRange(start, end - start);
    edit.endEditBlock();
}

std::size_t CalculatorTextEdit::selStart() const
{
    if (hasDeferred_)
        return 0;  // the caret of a fresh content
    return offsetOfPosition(*document(), textCursor().selectionStart());
}

void CalculatorTextEdit::setSelStart(std::size_t offset)
{
    buildDeferred();
    QTextCursor cursor = textCursor();
    cursor.setPosition(positionOfOffset(*document(), offset));
    setTextCursor(cursor);
}

std::size_t CalculatorTextEdit::selLength() const
{
    if (hasDeferred_)
        return 0;
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return 0;
    return offsetOfPosition(*document(), cursor.selectionEnd())
           - offsetOfPosition(*document(), cursor.selectionStart());
}

void CalculatorTextEdit::setSelLength(std::size_t length)
{
    buildDeferred();
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    const std::size_t startOffset = offsetOfPosition(*document(), start);
    cursor.setPosition(start);
    cursor.setPosition(positionOfOffset(*document(), startOffset + length, true), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void CalculatorTextEdit::replaceSelection(std::string_view codes)
{
    buildDeferred();
    QTextCursor cursor = textCursor();
    insertShown(cursor, shownText(codes));
    cursor.clearSelection();
    setTextCursor(cursor);
}

double CalculatorTextEdit::fontSize() const
{
    return std::round(document()->defaultFont().pointSizeF() * 10000.0) / 10000.0;
}

void CalculatorTextEdit::setFontSize(double points)
{
    if (!(points > 0))
        return;  // a font has no size of zero or less
    // A new default font lays the whole document out afresh, which takes
    // seconds for a million lines: only a change is applied.
    if (points == document()->defaultFont().pointSizeF() && points == font().pointSizeF())
        return;
    QFont f = font();
    f.setPointSizeF(points);
    setFont(f);
    document()->setDefaultFont(f);
}

void CalculatorTextEdit::setTopTwips(int top)
{
    topTwips_ = top;
    move(x(), twipsToPixels(top));
}

void CalculatorTextEdit::setHeightTwips(int height)
{
    heightTwips_ = height;
    resize(width(), twipsToPixels(height));
}

int CalculatorTextEdit::topTwips() const
{
    return topTwips_ >= 0 && twipsToPixels(topTwips_) == y() ? topTwips_ : y() * kTwipsPerPixel;
}

int CalculatorTextEdit::heightTwips() const
{
    return heightTwips_ >= 0 && twipsToPixels(heightTwips_) == height() ? heightTwips_ : height() * kTwipsPerPixel;
}

bool CalculatorTextEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasText() || source->hasHtml() || QPlainTextEdit::canInsertFromMimeData(source);
}

void CalculatorTextEdit::insertFromMimeData(const QMimeData* source)
{
    buildDeferred();
    QString incoming;
    if (source->hasText())
        incoming = source->text();
    else if (source->hasHtml())
        incoming =
            QTextDocumentFragment::fromHtml(source->html()).toPlainText();  // a browser's copy may hold only HTML
    else
        return;
    std::size_t replaced = 0;
    const std::string codes = incomingCodes(incoming, &replaced);
    QTextCursor cursor = textCursor();
    insertShown(cursor, shownText(codes));
    setTextCursor(cursor);
    ensureCursorVisible();
    if (replaced > 0) {
        emit charactersReplaced(static_cast<int>(replaced));
        emit pastedCharactersReplaced(replaced);
    }
}

QMimeData* CalculatorTextEdit::createMimeDataFromSelection() const
{
    const QTextCursor selection = textCursor();
    QString text = joinedText(*document(), selection.selectionStart(), selection.selectionEnd());
    text.replace(QChar(kParagraphSeparator), QStringLiteral("\r\n"));
    text.replace(QChar(kLineSeparator), QStringLiteral("\r\n"));
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}

void CalculatorTextEdit::replaceRange(int from, int to, const QString& shown)
{
    QTextCursor cursor(document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    insertShown(cursor, shown);
}

void CalculatorTextEdit::insertShown(QTextCursor& cursor, const QString& shown)
{
    const bool converting = converting_;
    converting_ = true;
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const int from = cursor.position();
    if (!continuesParagraph(cursor.block())) {
        cursor.insertText(shown);
    } else {
        // Each new block takes the format of the block it is cut from: the
        // lines after the first would continue a paragraph. They start one.
        const QTextBlockFormat lineFormat = pieceFormat(cursor.blockFormat(), false);
        for (qsizetype start = 0;;) {
            const qsizetype end = shown.indexOf(u'\n', start);
            cursor.insertText(shown.mid(start, end < 0 ? -1 : end - start));
            if (end < 0)
                break;
            cursor.insertBlock(lineFormat);
            start = end + 1;
        }
    }
    tidyAround(from, cursor.position());
    cursor.endEditBlock();
    converting_ = converting;
}

void CalculatorTextEdit::tidyAround(int from, int to)
{
    const bool converting = converting_;
    converting_ = true;
    QTextCursor blockStart(document());  // stays at the start of the first piece cut
    blockStart.setPosition(document()->findBlock(from).position());
    blockStart.setKeepPositionOnInsert(true);
    QTextCursor end(document());
    end.setPosition(to);
    tidyPieces(*document(), from, to);
    // Qt keeps a cut block's state for its first piece: every touched block
    // counts afresh.
    recountBlocks(*document(), blockStart.position(), end.position());
    converting_ = converting;
}

void CalculatorTextEdit::onContentsChange(int position, int removed, int added)
{
    Q_UNUSED(removed);
    codesValid_ = false;
    if (hasDeferred_ && !converting_) {
        // Edited through QPlainTextEdit itself: the document is the content now.
        hasDeferred_ = false;
        std::string().swap(deferred_);
    }
    QTextDocument* doc = document();
    const int docEnd = doc->characterCount() - 1;  // the final paragraph mark is not text
    const int changeEnd = std::min(position + added, docEnd);
    // Every block the change touched counts its characters afresh.
    recountBlocks(*doc, position, changeEnd);
    if (converting_)
        return;
    // Undo and redo go back to states the box has held: converting them again
    // would put a new edit on the undo stack each time, and undo would never
    // get past the restored text. (A new edit has emptied the redo stack by
    // the time it is reported.)
    if (doc->availableRedoSteps() > 0)
        return;
    convertRange(position, added);
}

void CalculatorTextEdit::convertRange(int position, int added)
{
    QTextDocument* doc = document();
    const int docEnd = doc->characterCount() - 1;
    const int changeEnd = std::min(position + added, docEnd);

    // The range to look at: the inserted text, widened to whole characters
    // (an overline typed after x joins it; one before an inserted x is its own).
    int from = std::max(0, std::min(position, docEnd));
    int to = changeEnd;
    // Nothing joins across a block's start (a line end, or the edge of two
    // pieces that must stay one).
    const int blockStart = doc->findBlock(from).position();
    if (from > blockStart)
        --from;
    from = std::max(startOfShownForm(*doc, from), blockStart);
    if (to < docEnd && continuesShownForm(doc->characterAt(to)))
        ++to;
    if (to <= from)
        return;

    QTextCursor range(doc);
    range.setPosition(from);
    range.setPosition(to, QTextCursor::KeepAnchor);
    const QString text = range.selectedText();
    if (allShownForms(text))
        return;

    std::size_t replaced = 0;
    const QString converted = shownText(incomingCodes(text, &replaced));

    // Where the caret and anchor go: after the converted text when they stood
    // at or after its end, at its end when inside it. Cursors of the document
    // follow the edit (and the pieces it cuts) there.
    QTextCursor caret = textCursor();
    const auto follower = [&](int p) {
        QTextCursor c(doc);
        c.setPosition(p);
        c.setKeepPositionOnInsert(p <= from);
        return c;
    };
    const QTextCursor anchor = follower(caret.anchor());
    const QTextCursor pos = follower(caret.position());
    const QTextCursor end = follower(to);

    replaceRange(from, to, converted);
    // This edit may happen inside the change notification, which Qt does not
    // send again for it: the touched blocks count afresh here.
    recountBlocks(*doc, from, end.position());

    codesValid_ = false;
    caret.setPosition(anchor.position());
    caret.setPosition(pos.position(), QTextCursor::KeepAnchor);
    setTextCursor(caret);
    if (replaced > 0)
        emit charactersReplaced(static_cast<int>(replaced));
}

}  // namespace tessaline
