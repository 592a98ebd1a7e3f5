// Small books made by the tests: the parts of an EPUB written out, zipped
// with libzip.
#pragma once

#include <string>
#include <vector>

#include "charset/charset.h"
#include "formats/book/book_text.h"
#include "tests/formats/book/zip_maker.h"

namespace tessaline::test {

inline const std::string kContainer = R"(<?xml version="1.0"?>
<container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container">
  <rootfiles><rootfile full-path="OEBPS/content.opf" media-type="application/oebps-package+xml"/></rootfiles>
</container>)";

// An EPUB of the entries given, after its mimetype and container.
inline std::string makeEpub(std::vector<ZipEntry> entries, const std::string& container = kContainer)
{
    entries.insert(entries.begin(),
                   {{"mimetype", "application/epub+zip", true}, {"META-INF/container.xml", container}});
    return makeZip(entries);
}

// The calculator codes a reader should give for `utf8` (LF line ends).
inline std::string codesOf(const std::string& utf8)
{
    return charset::normalizeLineEnds(charset::fromUtf8(utf8).codes);
}

inline std::string xhtml(const std::string& body, const std::string& head = {})
{
    return R"(<?xml version="1.0" encoding="utf-8"?>
<html xmlns="http://www.w3.org/1999/xhtml" xmlns:epub="http://www.idpf.org/2007/ops">
<head><title>Ignored title</title>)"
           + head + "</head>\n<body>\n" + body + "\n</body></html>";
}

}  // namespace tessaline::test
