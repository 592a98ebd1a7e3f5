// Reading and writing the document of the main window's editor and of the
// output window: what Open Text reads (RTF, a calculator text file, plain
// text in any encoding the text-file reader knows, and the books: EPUB, ODT,
// DOCX, HTML and Markdown, as marked-up text) and what Save Text and Save
// Processed Text write (RTF at the text's font size). The windows call
// these; the editor widget only shows and edits.
#pragma once

#include <QString>
#include <atomic>
#include <cstddef>
#include <functional>
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
    // A problem the text survived (a calculator file's wrong checksum, a
    // book's missing chapters or pictures).
    QString warning;
    // The pictures a calculator group or picture file holds, as PNG images
    // under their variable names, and a book's images (one for each of its
    // "_PIC name" lines, the image file's bytes as the book holds them), kept
    // for the next save or send.
    std::vector<PictureImage> pictures;
};

// How a read that runs on a worker thread is followed and stopped.
struct ReadingSteps {
    // Told the share of the read done, 0 to 100, from the reading thread.
    std::function<void(int percent)> progress;
    // Once it holds true, the read stops at its next step and fails.
    const std::atomic<bool>* cancelled = nullptr;
};

// Reads the file at `path`: a book by its kind (book::bookKind: a zip file by
// its content, HTML and Markdown by the name's extension, their pictures
// from the file's folder), anything else as a text file. A calculator file
// of pictures only gives no text and its pictures. A missing file, a folder,
// a device or a pipe, a file over 256 MB and a book its reader refuses are
// refused; on failure `error` (when given) says why. `steps` follow the
// read: reading the file is the first half, decoding it (a book's chapters)
// the rest.
std::optional<DocumentContent> readDocument(const QString& path, QString* error, const ReadingSteps& steps = {});

// Writes `codes` as RTF at `fontSizePoints` in place of the file at `path`,
// all or nothing (saveFileSafely); on failure `reason` (when given) says why.
// Once `cancelled` (when given) holds true before the file is written,
// nothing is.
bool writeDocument(const QString& path, std::string_view codes, double fontSizePoints, QString* reason,
                   const std::atomic<bool>* cancelled = nullptr);

}  // namespace tessaline
