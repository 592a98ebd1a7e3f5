// A window-free text buffer with the operations the editor and output boxes
// offer: read the text, set the selection, replace the selection.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline {

// Text is a sequence of 8-bit calculator codes; offsets count characters in
// front of a position (CR and LF one each), 0 to length().
class TextBuffer {
public:
    TextBuffer() = default;
    explicit TextBuffer(std::string text);

    const std::string& text() const { return text_; }
    std::size_t length() const { return text_.size(); }
    // 1-based, as the pass addresses characters; position must be 1..length().
    unsigned char charAt(std::size_t position) const;

    // Replaces the whole text; the caret goes to offset 0.
    void setText(std::string text);

    std::size_t selStart() const { return selStart_; }
    std::size_t selLength() const { return selLength_; }
    // Moves the caret (clamped to the text) and empties the selection.
    void setSelStart(std::size_t offset);
    // Selects that many characters from the selection start (clamped).
    void setSelLength(std::size_t length);
    // Replaces the selection; afterwards the caret stands after the inserted
    // text and nothing is selected.
    void replaceSelection(std::string_view replacement);

private:
    std::string text_;
    std::size_t selStart_ = 0;
    std::size_t selLength_ = 0;
};

}  // namespace tessaline
