// libFuzzer target for the RTF reader and the text-file decoder. Besides
// "no crash, no hang, no sanitizer report" it checks what must hold for any
// input: only CR LF pairs as line ends, ok exactly for RTF, and whatever was
// read is written and read back unchanged. Only a calculator file may fail
// to decode.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "charset/charset.h"
#include "formats/calc_text_file.h"
#include "formats/rtf.h"
#include "formats/text_file.h"
#include "tests/formats/crlf_pairs.h"
#include "tests/formats/wide_text.h"

using namespace tessaline;

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool isRtf = input.starts_with("{\\rtf");

    const rtf::ReadResult r = rtf::read(input);
    require(r.ok == isRtf, "ok exactly for documents starting with {\\rtf");
    require(r.ok || !r.error.empty(), "a failure says why");
    require(onlyCrLfPairs(r.codes), "reader: line ends are CR LF pairs");
    // Each byte yields a few codes at most (a transliteration such as "EUR").
    require(r.codes.size() <= 32 * size + 2, "reader: output bounded by the input");
    if (r.ok) {
        const rtf::ReadResult again = rtf::read(rtf::write(r.codes, 12.0));
        require(again.ok && again.codes == r.codes && again.replaced == 0, "read text survives write and read");
    }

    const DecodedText d = decodeTextFile(input);
    const bool isCalc = !isRtf && hasCalcFileSignature(input);
    require(d.ok || isCalc, "every file but a calculator file decodes");
    require(d.ok || !d.error.empty(), "a failure says why");
    require(onlyCrLfPairs(d.codes), "decoder: line ends are CR LF pairs");
    if (isRtf) {
        require(d.codes == r.codes, "decoder reads RTF as the reader does");
    } else if (isCalc) {
        const CalcReadResult calc = readCalcFile(input);
        require(d.ok == calc.ok && d.warning == calc.warning, "decoder reads calculator files as their reader does");
        require(!calc.ok || d.codes == joinCalcTexts(calc.variables), "decoder joins the variables' texts");
    } else {
        // The decoder's shortcuts give what converting the whole text at
        // once gives: UTF-16 and UTF-32 (declared by a byte-order mark)
        // decoded and mapped, UTF-8 (declared by a byte-order mark, or valid
        // and not all ASCII) decoded and mapped, anything else taken as codes.
        std::string_view text = input;
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
            require(d.codes == charset::normalizeLineEnds(text) && d.replaced == 0,
                    "decoder takes other bytes as codes");
        }
    }
    if (PlainTextFile::startsPlainText(input.substr(0, PlainTextFile::kStartBytes))) {
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

    // The bytes taken as calculator codes: through Unicode and through RTF
    // and back, unchanged.
    const std::string codes = charset::normalizeLineEnds(input);
    const charset::Conversion shown = charset::fromUnicode(charset::toUnicode(codes));
    require(shown.codes == codes && shown.replaced == 0, "codes survive Unicode");
    const rtf::ReadResult saved = rtf::read(rtf::write(codes, 10.0));
    require(saved.codes == codes && saved.replaced == 0, "codes survive RTF");
    return 0;
}
