#include "ui/editor/paragraph_limit.h"

#include <algorithm>

#include "charset/charset.h"

namespace tessaline {

namespace {

using charset::kCr;
using charset::kLf;

}  // namespace

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
        .arg(static_cast<qulonglong>(kLongestEditorParagraph));
}

}  // namespace tessaline
