// A window-free text buffer with the operations the editor and output boxes
// offer: read the text, set the selection, replace the selection. Tests use
// it as the plain model the boxes and the line-break pass are held against.
#pragma once

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tessaline {

// Text is a sequence of 8-bit calculator codes; offsets count characters in
// front of a position (CR and LF one each), 0 to length().
class TextBuffer {
public:
    TextBuffer() = default;
    explicit TextBuffer(std::string text) : text_(std::move(text)) {}

    const std::string& text() const { return text_; }
    std::size_t length() const { return text_.size(); }

    // 1-based, as the pass addresses characters; position must be 1..length().
    unsigned char charAt(std::size_t position) const
    {
        if (position < 1 || position > text_.size()) {
            throw std::out_of_range("Character position " + std::to_string(position) + " outside 1 to "
                                    + std::to_string(text_.size()));
        }
        return static_cast<unsigned char>(text_[position - 1]);
    }

    // Replaces the whole text; the caret goes to offset 0.
    void setText(std::string text)
    {
        text_ = std::move(text);
        selStart_ = 0;
        selLength_ = 0;
    }

    std::size_t selStart() const { return selStart_; }
    std::size_t selLength() const { return selLength_; }

    // Moves the caret (clamped to the text) and empties the selection.
    void setSelStart(std::size_t offset)
    {
        selStart_ = std::min(offset, text_.size());
        selLength_ = 0;
    }

    // Selects that many characters from the selection start (clamped).
    void setSelLength(std::size_t length) { selLength_ = std::min(length, text_.size() - selStart_); }

    // Replaces the selection; afterwards the caret stands after the inserted
    // text and nothing is selected.
    void replaceSelection(std::string_view replacement)
    {
        text_.replace(selStart_, selLength_, replacement);
        selStart_ += replacement.size();
        selLength_ = 0;
    }

private:
    std::string text_;
    std::size_t selStart_ = 0;
    std::size_t selLength_ = 0;
};

}  // namespace tessaline
