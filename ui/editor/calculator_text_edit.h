// The rich-text box of the main window's editor and of the output window: a
// QPlainTextEdit that holds calculator text in one font for the whole box
// (which lets it lay out only the paragraphs it shows). Every code is shown through the
// calculator character table, line ends are CR LF, and offsets count
// calculator characters (CR and LF one each), whatever Qt counts.
#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

class QTextBlock;

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

    // Loads a file (RTF or plain text) in place of the whole content. On
    // failure the content is untouched and `error` says why. `replaced`
    // receives how many characters had no calculator code, `warning` a
    // problem the text survived (a calculator file's wrong checksum).
    bool loadFile(const QString& path, QString* error, std::size_t* replaced, QString* warning = nullptr);
    // Writes the whole content as RTF at the box's font size, through a
    // temporary file renamed over `path`. On failure `error` says why.
    bool saveFile(const QString& path, QString* error) const;

    // The longest paragraph (characters between two line ends) that a file
    // or a paste may bring: the box lays a paragraph out whole at every edit
    // in it, which for longer ones takes longer than a keystroke may.
    static constexpr std::size_t kLongestParagraph = 32 * 1024;

signals:
    // A paste or drop was refused because it would make a paragraph longer
    // than kLongestParagraph; `message` says so to the user.
    void insertRefused(const QString& message);
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
    // Document position (Qt counts a paragraph break as one position and the
    // two-code-point characters as two) <-> calculator offset. An offset
    // inside a CR LF pair lands before the break, or after it when
    // `afterBreak` is set.
    int positionOf(std::size_t offset, bool afterBreak = false) const;
    std::size_t offsetOf(int position) const;
    // Calculator characters held by one block of the document, without its
    // line end (cached per block).
    std::size_t blockCodeCount(const QTextBlock& block) const;
    // Replaces the document range [from, to) with the shown form of `codes`
    // without running the input conversion again.
    void replaceRange(int from, int to, const QString& shownText);

    // Builds the document of a deferred content.
    void buildDeferred();

    bool converting_ = false;
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

// The number of characters of the longest paragraph of `codes` (a CR LF,
// lone CR or lone LF ends a paragraph).
std::size_t longestParagraph(std::string_view codes);
// What the user is told when a text has a paragraph longer than the editor
// takes; `what` names the text ("The file", "The pasted text").
QString longParagraphMessage(const QString& what, std::size_t longest);

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

}  // namespace tessaline
