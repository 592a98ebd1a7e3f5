// The rich-text box used for the editor (Text1) and the output box (text2):
// a QTextEdit that holds calculator text. Every code is shown through the
// calculator character table, line ends are CR LF, and offsets count
// calculator characters (CR and LF one each), whatever Qt counts.
#pragma once

#include <QString>
#include <QTextEdit>
#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline {

class RichTextBox : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextBox(QWidget* parent = nullptr);

    // The plain text as calculator codes, CR LF line ends.
    std::string text() const;
    // Replaces the whole content (lone CR or LF become CR LF); caret at 0.
    void setText(std::string_view codes);

    // Offsets in calculator characters, 0 to text().size().
    std::size_t selStart() const;
    void setSelStart(std::size_t offset);        // empties the selection
    std::size_t selLength() const;
    void setSelLength(std::size_t length);       // from the selection start
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
    // receives how many characters had no calculator code.
    bool loadFile(const QString& path, QString* error, std::size_t* replaced);
    // Writes the whole content as RTF at the box's font size, through a
    // temporary file renamed over `path`. On failure `error` says why.
    bool saveFile(const QString& path, QString* error) const;

signals:
    // Text that entered the box (typing, pasting, dropping) held characters
    // without a calculator code; they are shown as "?" (or transliterated).
    void charactersReplaced(int count);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    void onContentsChange(int position, int removed, int added);
    bool converting_ = false;
};

}  // namespace tessaline
