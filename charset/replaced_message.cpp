#include "charset/replaced_message.h"

namespace tessaline::charset {

std::string replacedMessage(std::size_t replaced)
{
    if (replaced == 1)
        return "1 character had no calculator code and was replaced";
    return std::to_string(replaced) + " characters had no calculator code and were replaced";
}

}  // namespace tessaline::charset
