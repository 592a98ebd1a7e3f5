// Fuzz target of the RTF reader and writer. Besides "no crash, no hang, no
// sanitizer report" it checks what must hold for any input: ok exactly for
// RTF, only CR LF pairs as line ends, and whatever was read is written and
// read back unchanged, as are the input's bytes taken as codes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "charset/charset.h"
#include "formats/rtf.h"
#include "tests/formats/crlf_pairs.h"
#include "tests/fuzz/fuzz_check.h"

using namespace tessaline;
using fuzz::require;

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

    // The bytes taken as calculator codes: through RTF and back, unchanged.
    const std::string codes = charset::normalizeLineEnds(input);
    const rtf::ReadResult saved = rtf::read(rtf::write(codes, 10.0));
    require(saved.codes == codes && saved.replaced == 0, "codes survive RTF");
    return 0;
}
