#include "formats/text_file_reader.h"

#include <algorithm>

#include "charset/code_writer.h"
#include "formats/calc_text_file.h"
#include "formats/rtf.h"
#include "formats/text_kind.h"
#include "formats/text_memory.h"
#include "formats/wide_text.h"

namespace tessaline {

using internal::CodeWriter;

TextFileReader::TextFileReader(std::string_view bytes, std::size_t pieceBytes)
    : pieceBytes_(std::max<std::size_t>(pieceBytes, 1))
{
    DecodedText& d = whole_;
    switch (internal::textKind(bytes.substr(0, internal::kKindBytes))) {
    case internal::TextKind::Plain:
        d.ok = true;
        plain_ = true;
        plainText_.check(bytes);
        bytes_ = bytes;
        done_ = bytes.empty();
        return;
    case internal::TextKind::Rtf: {
        rtf::ReadResult r = rtf::read(bytes);
        d.ok = r.ok;
        d.codes = std::move(r.codes);
        d.replaced = r.replaced;
        d.error = std::move(r.error);
        if (r.ok)
            d.fontSizePoints = r.fontSizePoints;
        return;
    }
    case internal::TextKind::Calc: {
        CalcReadResult r = readCalcFile(bytes);
        d.ok = r.ok;
        if (r.ok)
            d.codes = joinCalcTexts(r.variables);
        d.error = std::move(r.error);
        d.warning = std::move(r.warning);
        return;
    }
    case internal::TextKind::Wide: {
        d.ok = true;
        const internal::WideEncoding wide = *internal::wideEncoding(bytes);
        bytes.remove_prefix(wide.markLength);
        internal::reserveText(d.codes, bytes.size() / wide.unit + bytes.size() / 32 + 16);
        CodeWriter out(d.codes);
        internal::appendWide(bytes, wide, out);
        out.finish();
        d.replaced = out.replaced();
        return;
    }
    }
}

std::size_t TextFileReader::pieceEnd() const
{
    // After an LF, so that the next piece begins a line.
    const std::size_t lf = pieceBytes_ < bytes_.size() ? bytes_.find('\n', pieceBytes_ - 1) : std::string_view::npos;
    return lf == std::string_view::npos ? bytes_.size() : lf + 1;
}

bool TextFileReader::next(std::string& codes)
{
    if (done_ || !whole_.ok)
        return false;
    if (!plain_) {
        done_ = true;
        if (codes.empty())
            codes = std::move(whole_.codes);
        else
            codes += whole_.codes;
        std::string().swap(whole_.codes);
        return true;
    }
    const std::size_t end = pieceEnd();
    const std::string_view piece = bytes_.substr(0, end);
    bytes_.remove_prefix(end);
    done_ = bytes_.empty();
    if (done_)
        plainText_.finish(piece, codes);
    else
        plainText_.decode(piece, codes);
    return true;
}

}  // namespace tessaline
