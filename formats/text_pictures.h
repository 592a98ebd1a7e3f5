// The pictures a processed text asks for with its "_PIC name" lines, and
// their images: one the caller has at hand (a book's, or one the user
// picked), else an image file of that name in the document's folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/calc_text_file.h"
#include "formats/image_picture.h"

namespace tessaline {

// The most bytes an image file may have; a larger one is not read.
inline constexpr std::uint64_t kMaxImageFileBytes = 256 * 1024 * 1024;

// The name a "_PIC name" line gives (the rest of the line after "_PIC "),
// or nothing for any other line (without its line end).
std::optional<std::string_view> pictureLineName(std::string_view line);

// An image at hand for the picture `name` (compared ignoring case).
struct PictureImage {
    std::string name;
    std::string bytes;   // the image file's bytes
    std::string origin;  // where it came from, for messages: a path, "the book"
};

// Where a text's pictures are looked for: images at hand (a book's, a group
// file's, ones the user chose), then the folder of the document.
struct PictureSources {
    std::string folder;  // empty: none
    std::vector<PictureImage> images;
};

enum class PictureState {
    Found,       // converted: `bitmap` holds it
    Missing,     // no image of that name
    Unreadable,  // an image is there, but cannot be read or converted
    BadName,     // the name breaks the variable-name rules
};

struct TextPicture {
    std::string name;      // as the line has it
    std::size_t line = 0;  // the first line naming it, from 1
    PictureState state = PictureState::Missing;
    std::string origin;   // the image's, when one was found
    MonoBitmap bitmap;    // when Found
    std::string message;  // one line for the user, when not Found
};

// Each picture the "_PIC" lines of `codes` (CR LF line ends) name, once, in
// the order of first use; names that differ only in case are one picture, as
// on the calculator. Its image is the first of `atHand` of its name, else
// NAME.png, .jpg, .jpeg, .gif or .bmp (any case) in `folder` (none when
// `folder` is empty), converted with `options`.
std::vector<TextPicture> findTextPictures(std::string_view codes, const std::string& folder,
                                          const std::vector<PictureImage>& atHand, const ImagePictureOptions& options);

// The pictures found, as calculator variables of their (lower-case) names.
std::vector<CalcPicture> foundPictures(const std::vector<TextPicture>& pictures);

// The bitmap of the picture found for `name` (compared ignoring case), or
// nullptr when none was.
const MonoBitmap* foundPicture(const std::vector<TextPicture>& pictures, std::string_view name);

// An image file's bytes, or false with a message saying why. Refused: what
// checkBeforeReading() refuses, and files over kMaxImageFileBytes.
bool readImageFile(const std::string& path, std::string& bytes, std::string& error);

}  // namespace tessaline
