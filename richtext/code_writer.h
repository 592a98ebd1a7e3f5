// Appending calculator codes with every line end made CR LF as the codes
// arrive. Internal to richtext/.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline::internal {

// Appends codes to a text, turning CR LF, lone CR and lone LF into CR LF as
// they arrive: the text is always the line ends of everything appended so far
// made CR LF, even where a CR and its LF arrive in different calls.
class CodeWriter {
public:
    explicit CodeWriter(std::string& out) : out_(out) { out_.clear(); }

    // Codes known to hold no CR and no LF.
    void run(const char* data, std::size_t size)
    {
        if (size == 0)
            return;
        out_.append(data, size);
        afterCr_ = false;
    }

    void code(char c)
    {
        if (c == '\n' && afterCr_) {
            afterCr_ = false;
            return;
        }
        if (c == '\r' || c == '\n')
            out_.append("\r\n", 2);
        else
            out_.push_back(c);
        afterCr_ = c == '\r';
    }

    void codes(std::string_view text)
    {
        while (!text.empty()) {
            const std::size_t end = text.find_first_of("\r\n");
            if (end == std::string_view::npos) {
                run(text.data(), text.size());
                return;
            }
            run(text.data(), end);
            code(text[end]);
            text.remove_prefix(end + 1);
        }
    }

private:
    std::string& out_;
    bool afterCr_ = false;  // the last code appended was a CR (written as CR LF)
};

}  // namespace tessaline::internal
