// A hyphenation dictionary of libhyphen, answering the line-break pass's
// question in calculator codes.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/hyphenator.h"

struct _HyphenDict;

namespace tessaline::hyphenation {

class Dictionary final : public Hyphenator {
public:
    // Reads a dictionary file (hyph_*.dic). Nothing when it cannot be read;
    // `error` then says why in one line. A big dictionary takes seconds: load
    // it away from the window's thread.
    static std::unique_ptr<Dictionary> load(const std::string& file, std::string& error);

    ~Dictionary() override;
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    // The word is lower-cased and put into the dictionary's encoding before
    // libhyphen is asked; a word the encoding cannot hold gets no points, nor
    // do the points where the dictionary would change letters (German
    // "Schiffahrt" to "Schiff-fahrt"), since the pass only inserts.
    void points(std::string_view word, std::vector<std::size_t>& points) const override;

    // The encoding the file names on its first line.
    const std::string& encoding() const { return encoding_; }

private:
    Dictionary(_HyphenDict* dict, std::string encoding);

    _HyphenDict* dict_;
    std::string encoding_;
};

}  // namespace tessaline::hyphenation
