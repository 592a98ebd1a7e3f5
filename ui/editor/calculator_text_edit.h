// The rich-text box of the main window's editor and of the output window: a
// QPlainTextEdit that holds calculator text in one font for the whole box
// (which lets it lay out only the blocks it shows; a long paragraph is held
// in several blocks, see paragraph_pieces.h). Every code is shown through the
// calculator character table, line ends are CR LF, and offsets count
// calculator characters (CR and LF one each), whatever Qt counts.
#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QTextCursor>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tessaline {

class CalculatorTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CalculatorTextEdit(QWidget* parent = nullptr);

    // The plain text as calculator codes, CR LF line ends.
    std::string text() const;
    // Replaces the whole content (lone CR or LF become CR LF); caret at 0.
    void setText(std::string_view codes);
    // The same for a hidden box, without building the document now: text()
    // answers at once, and showing the box or any other member of this class
    // that reads or edits the content builds the document first. QPlainTextEdit's
    // own members (document(), toPlainText()) see an empty box until then.
    // On a visible box it is setText.
    void setTextDeferred(std::string codes);

    // Replaces the whole content in steps, for a text too long to take in
    // one (setText of millions of characters keeps the event loop waiting
    // for seconds): beginFill() empties the box and makes it read-only,
    // each appendFill() adds the next part of the new content's shown form
    // (shownText() of the whole text, cut anywhere), and endFill() ends the
    // fill with `codes`, the content's codes (codesOfText() of that shown
    // form): as after setText, the caret stands at 0 and there is no undo
    // history.
    void beginFill();
    void appendFill(QStringView shownPart);
    void endFill(std::string codes);
    bool isFilling() const { return filling_; }

    // Offsets in calculator characters, 0 to text().size().
    std::size_t selStart() const;
    void setSelStart(std::size_t offset);  // empties the selection
    std::size_t selLength() const;
    void setSelLength(std::size_t length);  // from the selection start
    // Replaces the selection; the caret then stands after the inserted text.
    void replaceSelection(std::string_view codes);

    // Whole-box font size in points.
    double fontSize() const;
    void setFontSize(double points);

    // Top and Height in twips, as the layout gives them.
    void setTopTwips(int top);
    void setHeightTwips(int height);
    int topTwips() const;
    int heightTwips() const;

signals:
    // Text that entered the box (typing, pasting, dropping) held characters
    // without a calculator code; they are shown as "?" (or transliterated).
    void charactersReplaced(int count);
    // The same for text pasted or dropped (not typed): `count` characters
    // of it had no calculator code.
    void pastedCharactersReplaced(std::size_t count);

protected:
    void showEvent(QShowEvent* event) override;
    // With Tab moving the focus, Ctrl+Tab types the tab; Ctrl+Y redoes.
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    void onContentsChange(int position, int removed, int added);
    // Turns the characters of [position, position + added) (with the ones
    // next to it that they join) into calculator characters.
    void convertRange(int position, int added);
    // Runs a typing step (key press or input method commit) and converts what
    // it inserted, as one edit.
    void typeConverted(const std::function<void()>& type);
    // Replaces the document range [from, to) with the shown form of `codes`
    // without running the input conversion again.
    void replaceRange(int from, int to, const QString& shownText);
    // Replaces the selection of `cursor` with `shown` (line ends as '\n') as
    // one edit that keeps the pieces of long paragraphs; `cursor` then stands
    // after the inserted text.
    void insertShown(QTextCursor& cursor, const QString& shown);
    // Keeps the pieces of the blocks of [from, to) short and none empty
    // after an edit there (paragraph_pieces.h).
    void tidyAround(int from, int to);
    // At the edge of two pieces one offset has two positions, the end of the
    // first piece and the start of the second: the caret takes the one from
    // which a key moving or deleting `forward` (or backward) passes a character.
    void placeCaretForKey(bool forward);

    // Builds the document of a deferred content.
    void buildDeferred();

    bool converting_ = false;
    bool filling_ = false;
    bool readOnlyBeforeFill_ = false;
    // The content as codes, kept from setText or the last text() until the
    // document changes (converting a long document costs tens of ms).
    mutable std::string codes_;
    mutable bool codesValid_ = false;
    // setTextDeferred's codes (as given) while the document is not built.
    std::string deferred_;
    bool hasDeferred_ = false;
    int topTwips_ = -1;  // as last set; -1: take it from the geometry
    int heightTwips_ = -1;
};

}  // namespace tessaline
