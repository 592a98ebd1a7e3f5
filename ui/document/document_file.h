// Reading and writing the document of the main window's editor and of the
// output window: what Open Text reads (RTF, a calculator text file, plain
// text in any encoding the text-file reader knows) and what Save Text and
// Save Processed Text write (RTF at the text's font size). The windows call
// these; the editor widget only shows and edits.
#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/text_pictures.h"

namespace tessaline {

// A document as a file gives it.
struct DocumentContent {
    std::string codes;  // calculator codes, CR LF line ends
    // The font size an RTF document gives its text; other files have none.
    std::optional<double> fontSizePoints;
    std::size_t replaced = 0;  // characters that had no calculator code
    // A problem the text survived (a calculator file's wrong checksum).
    QString warning;
    // The pictures a calculator group or picture file holds, as PNG images
    // under their variable names, kept for the next save or send.
    std::vector<PictureImage> pictures;
};

// Reads the file at `path`. A calculator file of pictures only gives no
// text and its pictures. A missing file, a folder, a device or a pipe, a
// file over 256 MB and a text with a paragraph longer than the editor takes
// are refused; on failure `error` (when given) says why.
std::optional<DocumentContent> readDocument(const QString& path, QString* error);

// Writes `codes` as RTF at `fontSizePoints` in place of the file at `path`,
// all or nothing (saveFileSafely); on failure `reason` (when given) says why.
bool writeDocument(const QString& path, std::string_view codes, double fontSizePoints, QString* reason);

}  // namespace tessaline
