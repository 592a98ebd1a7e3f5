// The pictures of tessaline-process: those the processed text's "_PIC" lines
// ask for, and --format 89i|9xi|v2i, one image as a picture variable.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"
#include "formats/book/book_text.h"
#include "formats/text_pictures.h"

namespace tessaline::cli {

// The pictures `codes` asks for, from the book's own images first, then the
// folder of --pictures (by default the input file's folder), converted for
// `calculator`. Says what is missing or unreadable, one line each on standard
// error; `complete` is false when anything is.
std::vector<TextPicture> findPictures(const Options& options, std::string_view codes,
                                      const std::vector<book::BookPicture>& bookPictures, Calculator calculator,
                                      bool& complete);

// --format 89i|9xi|v2i: the image of options.inputPath as a picture file
// written to options.outputPath; returns the exit status, having said what
// went wrong or the picture's size on standard error.
int convertOneImage(const Options& options);

}  // namespace tessaline::cli
