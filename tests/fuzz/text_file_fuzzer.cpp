// Fuzz target of the text-file decoder, read whole, in pieces as a large file
// is read twice, and through TextFileReader. Besides "no crash, no hang, no
// sanitizer report" it checks that every way of reading gives the same codes,
// that those are what the reader of the file's kind (RTF, calculator file)
// or a plain conversion of the whole text gives, and that only a calculator
// file may fail to decode.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "charset/charset.h"
#include "formats/calc_text_file.h"
#include "formats/rtf.h"
#include "formats/text_file.h"
#include "tests/formats/crlf_pairs.h"
#include "tests/formats/wide_text.h"
#include "tests/fuzz/fuzz_check.h"

using namespace tessaline;
using fuzz::require;

namespace {

// What decoding the whole text at once gives for a file that is neither RTF
// nor a calculator file: UTF-16 and UTF-32 (declared by a byte-order mark)
// decoded and mapped, UTF-8 (declared by a byte-order mark, or valid and not
// all ASCII) decoded and mapped, anything else taken as codes.
void requirePlainConversion(std::string_view text, const DecodedText& d)
{
    std::optional<std::u32string> unicode = decodeWide(text);
    const bool bom = !unicode && text.starts_with("\xEF\xBB\xBF");
    if (bom)
        text.remove_prefix(3);
    if (!unicode && (bom || std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; })))
        unicode = charset::decodeUtf8(text, !bom);
    if (unicode) {
        const charset::Conversion whole = charset::fromUnicode(*unicode);
        require(d.codes == charset::normalizeLineEnds(whole.codes) && d.replaced == whole.replaced,
                "decoder gives the codes of the whole text's conversion");
    } else {
        require(d.codes == charset::normalizeLineEnds(text) && d.replaced == 0, "decoder takes other bytes as codes");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool isRtf = input.starts_with("{\\rtf");
    const bool isCalc = !isRtf && hasCalcFileSignature(input);

    const DecodedText d = decodeTextFile(input);
    require(d.ok || isCalc, "every file but a calculator file decodes");
    require(d.ok || !d.error.empty(), "a failure says why");
    require(!d.ok || d.error.empty(), "a success has no error");
    require(onlyCrLfPairs(d.codes), "decoder: line ends are CR LF pairs");
    if (isRtf) {
        require(d.codes == rtf::read(input).codes, "decoder reads RTF as the reader does");
    } else if (isCalc) {
        const CalcReadResult calc = readCalcFile(input);
        require(d.ok == calc.ok && d.warning == calc.warning, "decoder reads calculator files as their reader does");
        require(!calc.ok || d.codes == joinCalcTexts(calc.variables), "decoder joins the variables' texts");
    } else {
        requirePlainConversion(input, d);
    }

    if (PlainTextFile::startsPlainText(input.substr(0, PlainTextFile::kStartBytes))) {
        require(!isRtf && !isCalc, "neither RTF nor a calculator file is plain text");
        // Read twice a few bytes at a time, as a large file is read.
        PlainTextFile file;
        for (std::size_t at = 0; at < size; at += 5)
            file.check(input.substr(at, 5));
        std::string pieces;
        for (std::size_t at = 0; at < size; at += 7)
            file.decode(input.substr(at, 7), pieces);
        file.finish({}, pieces);
        require(pieces == d.codes && file.replaced() == d.replaced, "a file read in pieces gives the same codes");
    }

    // Through the reader that hands on a piece at a time, in tiny pieces.
    TextFileReader reader(input, 3);
    require(reader.ok() == d.ok && reader.error() == d.error, "the piece reader fails as the decoder does");
    std::string joined;
    std::size_t pieces = 0;
    bool lineOpen = false;
    while (reader.next(joined)) {
        require(++pieces <= size + 1, "the piece reader ends");
        require(!lineOpen, "only the last piece ends inside a line");
        lineOpen = !joined.empty() && !joined.ends_with("\r\n");
    }
    require(!d.ok || joined == d.codes, "the pieces joined are the decoder's codes");
    require(d.ok || joined.empty(), "a file that cannot be read gives no pieces");
    require(!d.ok || (reader.replaced() == d.replaced && reader.warning() == d.warning),
            "the piece reader counts and warns as the decoder does");

    // Calculator codes mean the same characters after a trip through Unicode.
    const std::string codes = charset::normalizeLineEnds(input);
    const charset::Conversion shown = charset::fromUnicode(charset::toUnicode(codes));
    require(shown.codes == codes && shown.replaced == 0, "codes survive Unicode");
    return 0;
}
