#include "engine/text_buffer.h"

#include <algorithm>
#include <stdexcept>

namespace tessaline {

TextBuffer::TextBuffer(std::string text) : text_(std::move(text)) {}

unsigned char TextBuffer::charAt(std::size_t position) const
{
    if (position < 1 || position > text_.size()) {
        throw std::out_of_range("Character position " + std::to_string(position) +
                                " outside 1 to " + std::to_string(text_.size()));
    }
    return static_cast<unsigned char>(text_[position - 1]);
}

void TextBuffer::setText(std::string text)
{
    text_ = std::move(text);
    selStart_ = 0;
    selLength_ = 0;
}

void TextBuffer::setSelStart(std::size_t offset)
{
    selStart_ = std::min(offset, text_.size());
    selLength_ = 0;
}

void TextBuffer::setSelLength(std::size_t length)
{
    selLength_ = std::min(length, text_.size() - selStart_);
}

void TextBuffer::replaceSelection(std::string_view replacement)
{
    text_.replace(selStart_, selLength_, replacement);
    selStart_ += replacement.size();
    selLength_ = 0;
}

}  // namespace tessaline
