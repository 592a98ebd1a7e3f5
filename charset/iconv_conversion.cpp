#include "charset/iconv_conversion.h"

#include <iconv.h>

namespace tessaline::internal {

namespace {

const iconv_t kClosed = reinterpret_cast<iconv_t>(-1);

}  // namespace

IconvConversion::IconvConversion(const char* to, const char* from) : cd_(iconv_open(to, from)) {}

IconvConversion::~IconvConversion()
{
    if (isOpen())
        iconv_close(static_cast<iconv_t>(cd_));
}

bool IconvConversion::isOpen() const { return static_cast<iconv_t>(cd_) != kClosed; }

std::optional<std::string> IconvConversion::convert(std::string_view in, std::size_t maxBytes)
{
    if (!isOpen())
        return std::nullopt;
    const auto cd = static_cast<iconv_t>(cd_);
    std::string out(maxBytes, '\0');
    char* inPtr = const_cast<char*>(in.data());  // iconv does not write through it
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    if (r == static_cast<std::size_t>(-1) || inLeft != 0)
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace tessaline::internal
