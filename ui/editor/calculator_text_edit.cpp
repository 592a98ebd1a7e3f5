#include "ui/editor/calculator_text_edit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>

#include "charset/charset.h"
#include "formats/path_check.h"
#include "formats/rtf.h"
#include "formats/text_file.h"
#include "ui/safe_save.h"
#include "ui/twips.h"

namespace tessaline {

namespace {

using charset::kCr;
using charset::kLf;
constexpr char16_t kParagraphSeparator = 0x2029;
constexpr char16_t kLineSeparator = 0x2028;

// The shown form of every code as a QString, made once from the character
// table.
struct ShownTable {
    std::array<QString, 256> shown;

    ShownTable()
    {
        for (int code = 0; code < 256; ++code) {
            const std::u32string_view text = charset::shown(static_cast<unsigned char>(code));
            shown[code] = QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
        }
    }
};

const ShownTable& table()
{
    static const ShownTable t;
    return t;
}

std::u16string_view unitsOf(const QChar* text, int from, int size)
{
    return std::u16string_view(reinterpret_cast<const char16_t*>(text + from), static_cast<std::size_t>(size - from));
}

// Number of code units the shown form of the character starting at `i` takes.
int unitsAt(const QChar* text, int i, int size)
{
    const auto m = charset::matchShown(unitsOf(text, i, size));
    return m ? static_cast<int>(m->units) : 1;
}

// Code units before `end` that continue a shown form begun before them (the
// overline of x and y with an overline): the difference between a stretch's
// length and its number of codes.
int continuingUnits(const QString& text, int end)
{
    const QChar* data = text.constData();
    const int size = static_cast<int>(text.size());
    end = std::min(end, size);
    int count = 0;
    for (int i = 0; i < end;) {
        const int units = unitsAt(data, i, size);
        count += std::min(units, end - i) - 1;
        i += units;
    }
    return count;
}

// The start of the shown form that `position` of `doc` is inside of, or
// `position` when it is at the start of one.
int startOfShownForm(const QTextDocument* doc, int position)
{
    const int longest = static_cast<int>(charset::longestShownForm());
    for (int back = 1; back < longest && back <= position; ++back) {
        std::u16string units;
        for (int k = position - back; k < position - back + longest && k < doc->characterCount(); ++k)
            units.push_back(doc->characterAt(k).unicode());
        const auto m = charset::matchShown(units);
        if (m && static_cast<int>(m->units) > back)
            return position - back;
    }
    return position;
}

// True for a code unit that only continues a shown form (the overline of x
// and y with an overline): no shown form starts with it.
bool continuesShownForm(QChar c)
{
    const char16_t unit = c.unicode();
    return unit != kParagraphSeparator && !charset::matchShown(std::u16string_view(&unit, 1));
}

// True when `text` is made only of shown forms of codes and paragraph
// breaks, i.e. nothing there needs converting.
bool allShownForms(const QString& text)
{
    const QChar* data = text.constData();
    const int n = static_cast<int>(text.size());
    for (int i = 0; i < n; ++i) {
        if (text[i].unicode() == kParagraphSeparator)
            continue;
        const auto m = charset::matchShown(unitsOf(data, i, n));
        if (!m)
            return false;
        i += static_cast<int>(m->units) - 1;
    }
    return true;
}

}  // namespace

std::string incomingCodes(const QString& text, std::size_t* replaced)
{
    const charset::Conversion conversion =
        charset::fromUtf16(unitsOf(text.constData(), 0, static_cast<int>(text.size())));
    if (replaced != nullptr)
        *replaced = conversion.replaced;
    return charset::normalizeLineEnds(conversion.codes);
}

QString shownText(std::string_view codes)
{
    const auto& t = table();
    QString out;
    out.reserve(static_cast<qsizetype>(codes.size() + codes.size() / 64 + 1));
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(codes[i]);
        if (c == kCr) {
            out += QChar(u'\n');
            if (i + 1 < codes.size() && codes[i + 1] == kLf)
                ++i;
        } else if (c == kLf) {
            out += QChar(u'\n');
        } else {
            out += t.shown[c];
        }
    }
    return out;
}

std::size_t longestParagraph(std::string_view codes)
{
    std::size_t longest = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= codes.size(); ++i) {
        if (i < codes.size() && codes[i] != kCr && codes[i] != kLf)
            continue;
        longest = std::max(longest, i - start);
        start = i + 1;
    }
    return longest;
}

QString longParagraphMessage(const QString& what, std::size_t longest)
{
    return QStringLiteral(
               "%1 has a paragraph of %2 characters; the editor takes paragraphs of up to %3 "
               "characters. For longer ones use the batch program tessaline-process, which "
               "processes files of any length (see tessaline-process --help).")
        .arg(what)
        .arg(static_cast<qulonglong>(longest))
        .arg(static_cast<qulonglong>(CalculatorTextEdit::kLongestParagraph));
}

std::string codesOfText(const QString& text, std::size_t* replaced)
{
    std::size_t unknown = 0;
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    const int n = static_cast<int>(text.size());
    for (int i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == kParagraphSeparator || c == kLineSeparator || c == u'\n') {
            out += "\r\n";
            continue;
        }
        if (c == u'\r') {
            out += "\r\n";
            if (i + 1 < n && text[i + 1].unicode() == u'\n')
                ++i;
            continue;
        }
        if (const auto m = charset::matchShown(unitsOf(text.constData(), i, n))) {
            out.push_back(static_cast<char>(m->code));
            i += static_cast<int>(m->units) - 1;
            continue;
        }
        // Another spelling (an alias, a surrogate pair, a character without a
        // code): the character table decides, a few characters at a time.
        int end = i + 1;
        while (end < n && end < i + 4 && text[end].unicode() != kParagraphSeparator)
            ++end;
        const QList<uint> ucs4 = text.mid(i, end - i).toUcs4();
        const std::u32string points(ucs4.begin(), ucs4.end());
        if (auto m = charset::matchCode(points)) {
            out.push_back(static_cast<char>(m->code));
            // Advance by the UTF-16 units of the matched code points.
            std::size_t units = 0;
            for (std::size_t k = 0; k < m->length; ++k)
                units += points[k] >= 0x10000 ? 2 : 1;
            i += static_cast<int>(units) - 1;
        } else {
            const charset::Conversion conv = charset::fromUnicode(std::u32string_view(points).substr(0, 1));
            out += conv.codes;
            unknown += conv.replaced;
            if (points[0] >= 0x10000)
                ++i;
        }
    }
    if (replaced)
        *replaced = unknown;
    return out;
}

CalculatorTextEdit::CalculatorTextEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(false);
    connect(document(), &QTextDocument::contentsChange, this, &CalculatorTextEdit::onContentsChange);
}

std::size_t CalculatorTextEdit::blockCodeCount(const QTextBlock& block) const
{
    QTextBlock b = block;
    if (b.userState() >= 0)
        return static_cast<std::size_t>(b.length() - 1 - b.userState());
    const QString text = b.text();
    const int marks = continuingUnits(text, static_cast<int>(text.size()));
    b.setUserState(marks);
    return static_cast<std::size_t>(b.length() - 1 - marks);
}

int CalculatorTextEdit::positionOf(std::size_t offset, bool afterBreak) const
{
    QTextBlock block = document()->firstBlock();
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
                unit += unitsAt(data, unit, size);
            return block.position() + unit;
        }
        if (!next.isValid())
            break;                // beyond the end: the end
        if (offset == codes + 1)  // between CR and LF
            return afterBreak ? next.position() : block.position() + block.length() - 1;
        offset -= codes + 2;
        block = next;
    }
    return document()->characterCount() - 1;
}

std::size_t CalculatorTextEdit::offsetOf(int position) const
{
    const QTextBlock target = document()->findBlock(position);
    std::size_t offset = 0;
    for (QTextBlock b = document()->firstBlock(); b.isValid() && b != target; b = b.next())
        offset += blockCodeCount(b) + 2;
    if (!target.isValid())
        return offset;
    const int inBlock = position - target.position();
    if (blockCodeCount(target) == static_cast<std::size_t>(target.length() - 1))
        return offset + static_cast<std::size_t>(inBlock);
    const int marks = continuingUnits(target.text(), inBlock);
    return offset + static_cast<std::size_t>(inBlock - marks);
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
    return offsetOf(textCursor().selectionStart());
}

void CalculatorTextEdit::setSelStart(std::size_t offset)
{
    buildDeferred();
    QTextCursor cursor = textCursor();
    cursor.setPosition(positionOf(offset));
    setTextCursor(cursor);
}

std::size_t CalculatorTextEdit::selLength() const
{
    if (hasDeferred_)
        return 0;
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return 0;
    return offsetOf(cursor.selectionEnd()) - offsetOf(cursor.selectionStart());
}

void CalculatorTextEdit::setSelLength(std::size_t length)
{
    buildDeferred();
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    const std::size_t startOffset = offsetOf(start);
    cursor.setPosition(start);
    cursor.setPosition(positionOf(startOffset + length, true), QTextCursor::KeepAnchor);
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
    for (QTextBlock b = doc->findBlock(position); b.isValid(); b = b.next()) {
        b.setUserState(-1);
        if (b.position() + b.length() > changeEnd)
            break;
    }
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
    from = startOfShownForm(doc, from);
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
    const int convertedEnd = from + static_cast<int>(converted.size());
    for (QTextBlock b = doc->findBlock(from); b.isValid(); b = b.next()) {
        b.setUserState(-1);
        if (b.position() + b.length() > convertedEnd)
            break;
    }

    codesValid_ = false;
    caret.setPosition(anchor);
    caret.setPosition(pos, QTextCursor::KeepAnchor);
    setTextCursor(caret);
    if (replaced > 0)
        emit charactersReplaced(static_cast<int>(replaced));
}

// Loading and saving the whole content.

namespace {

// Larger files are refused: a calculator text is a few kilobytes, and a file
// this size would only stall the editor.
constexpr qint64 kMaxFileBytes = qint64(256) * 1024 * 1024;

void setError(QString* error, const QString& why)
{
    if (error)
        *error = why;
}

}  // namespace

bool CalculatorTextEdit::loadFile(const QString& path, QString* error, std::size_t* replaced, QString* warning)
{
    if (replaced)
        *replaced = 0;
    if (warning)
        warning->clear();
    const PathCheck check = checkBeforeReading(QFile::encodeName(path).toStdString(),
                                               static_cast<std::uint64_t>(kMaxFileBytes), SpecialFiles::Refused);
    switch (check.problem) {
    case PathProblem::None:
        break;
    case PathProblem::NoName:
        setError(error, QStringLiteral("No file name was given."));
        return false;
    case PathProblem::Folder:
        setError(error, QStringLiteral("This is a folder, not a file."));
        return false;
    case PathProblem::SpecialFile:
        // A device or a pipe could block or never end.
        setError(error, QStringLiteral("This is not an ordinary file."));
        return false;
    case PathProblem::TooLarge:
        setError(error, QStringLiteral("The file is larger than 256 MB."));
        return false;
    case PathProblem::System:
        setError(error, QString::fromLocal8Bit(std::strerror(check.error)) + QLatin1Char('.'));
        return false;
    case PathProblem::Missing:
    default:
        setError(error, QStringLiteral("The file does not exist."));
        return false;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.errorString());
        return false;
    }
    // Read in pieces up to the limit, so that a file that grows while it is
    // read (or a device without a size) cannot exhaust memory.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(check.size));
    char buffer[65536];
    for (;;) {
        const qint64 got = file.read(buffer, sizeof buffer);
        if (got < 0) {
            setError(error, file.errorString());
            return false;
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (static_cast<qint64>(bytes.size()) > kMaxFileBytes) {
            setError(error, QStringLiteral("The file is larger than 256 MB."));
            return false;
        }
    }
    file.close();

    DecodedText decoded = decodeTextFile(bytes);
    if (!decoded.ok) {
        setError(error, decoded.error.empty() ? QStringLiteral("The file is not a readable text.")
                                              : QString::fromStdString(decoded.error));
        return false;
    }
    if (const std::size_t longest = longestParagraph(decoded.codes); longest > kLongestParagraph) {
        setError(error, longParagraphMessage(QStringLiteral("The file"), longest));
        return false;
    }
    setText(decoded.codes);
    // The file's formatting replaces the box's too: an RTF document's size
    // becomes the whole box's size.
    if (decoded.fontSizePoints)
        setFontSize(*decoded.fontSizePoints);
    if (replaced)
        *replaced = decoded.replaced;
    if (warning)
        *warning = QString::fromStdString(decoded.warning);
    return true;
}

bool CalculatorTextEdit::saveFile(const QString& path, QString* error) const
{
    return saveFileSafely(path, rtf::write(text(), fontSize()), error);
}

}  // namespace tessaline
