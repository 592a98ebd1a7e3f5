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
#include "ui/editor/paragraph_limit.h"
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
        codes_ = hasDeferred_ ? codesOfText(shownText(deferred_)) : codesOfText(document()->toRawText());
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
    const QString shown = shownText(codes);
    converting_ = true;
    // One call for the whole text; the box puts the caret at the start
    // itself (setting it here would lay out the whole document at once).
    setPlainText(shown);
    converting_ = false;
    // The document holds `shown` (its line ends as paragraph breaks), so its
    // codes are those of `shown`.
    codes_ = codesOfText(shown);
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
    converting_ = true;
    cursor.insertText(shownText(codes));
    converting_ = false;
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
    // The text's first and last paragraphs join the characters before and
    // after the selection.
    const QTextBlock first = document()->findBlock(cursor.selectionStart());
    const QTextBlock last = document()->findBlock(cursor.selectionEnd());
    const auto before = static_cast<std::size_t>(cursor.selectionStart() - first.position());
    const auto after = static_cast<std::size_t>(last.position() + last.length() - 1 - cursor.selectionEnd());
    const std::size_t firstEnd = std::min(codes.find_first_of("\r\n"), codes.size());
    std::size_t longest = 0;
    if (firstEnd == codes.size()) {
        longest = before + codes.size() + after;
    } else {
        const std::size_t lastStart = codes.find_last_of("\r\n") + 1;
        longest = std::max({before + firstEnd, codes.size() - lastStart + after, longestParagraph(codes)});
    }
    if (longest > kLongestParagraph) {
        emit insertRefused(longParagraphMessage(QStringLiteral("The pasted text"), longest));
        return;
    }
    converting_ = true;
    cursor.insertText(shownText(codes));
    converting_ = false;
    setTextCursor(cursor);
    ensureCursorVisible();
    if (replaced > 0) {
        emit charactersReplaced(static_cast<int>(replaced));
        emit pastedCharactersReplaced(replaced);
    }
}

QMimeData* CalculatorTextEdit::createMimeDataFromSelection() const
{
    QString text = textCursor().selectedText();
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
    cursor.insertText(shown);
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
    if (from > 0)
        --from;
    from = startOfShownForm(*doc, from);
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
    // at or after its end, at its end when inside it.
    QTextCursor caret = textCursor();
    const auto moved = [&](int p) {
        if (p >= to)
            return p - (to - from) + static_cast<int>(converted.size());
        if (p > from)
            return from + static_cast<int>(converted.size());
        return p;
    };
    const int anchor = moved(caret.anchor());
    const int pos = moved(caret.position());

    converting_ = true;
    replaceRange(from, to, converted);
    converting_ = false;
    // This edit may happen inside the change notification, which Qt does not
    // send again for it: the touched blocks count afresh here.
    recountBlocks(*doc, from, from + static_cast<int>(converted.size()));

    codesValid_ = false;
    caret.setPosition(anchor);
    caret.setPosition(pos, QTextCursor::KeepAnchor);
    setTextCursor(caret);
    if (replaced > 0)
        emit charactersReplaced(static_cast<int>(replaced));
}

}  // namespace tessaline
