// What the line-break pass asks of a hyphenation dictionary. The engine
// defines the question; a dictionary outside the engine answers it.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tessaline {

class Hyphenator {
public:
    virtual ~Hyphenator() = default;

    // Appends to `points`, in rising order, the offsets k (0 < k <
    // word.size()) where the dictionary lets `word` be broken, word[0..k)
    // then a hyphen on one line and word[k..] on the next. `word` holds
    // letters and apostrophes in calculator codes, in the case the text has
    // them. Called from the thread that runs the pass; must not change the
    // dictionary.
    virtual void points(std::string_view word, std::vector<std::size_t>& points) const = 0;
};

}  // namespace tessaline
