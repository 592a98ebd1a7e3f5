#include "formats/text_file.h"

namespace tessaline {

DecodedText decodeTextFile(std::string_view bytes)
{
    TextFileReader reader(bytes, bytes.size());
    DecodedText d;
    d.ok = reader.ok();
    d.error = reader.error();
    while (reader.next(d.codes)) {}
    d.replaced = reader.replaced();
    d.warning = reader.warning();
    d.fontSizePoints = reader.fontSizePoints();
    return d;
}

}  // namespace tessaline
