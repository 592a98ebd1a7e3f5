#include "richtext/rtf.h"

namespace tessaline::rtf {

std::string write(std::string_view codes, double) { return std::string(codes); }

ReadResult read(std::string_view document)
{
    ReadResult r;
    r.ok = true;
    r.codes = std::string(document);
    return r;
}

}  // namespace tessaline::rtf
