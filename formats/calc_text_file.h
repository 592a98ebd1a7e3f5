// Calculator text-variable files: the files that hold one text variable of a
// TI-89 (.89t), TI-92 Plus (.9xt) or Voyage 200 (.v2t), and the group files
// (.89g, .9xg, .v2g) that hold several, with the pictures the text shows
// beside them (calc_picture.h). Texts are calculator codes with CR LF line
// ends, as the processed text is.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/mono_bitmap.h"

namespace tessaline {

enum class Calculator { Ti89, Ti92Plus, Voyage200 };

struct CalcFormat {
    Calculator calculator = Calculator::Ti89;
    bool group = false;
};

// The file extension without its dot ("89t", "9xg", "v2t", …), and back
// (case-insensitive; nullopt for any other extension).
std::string calcFileExtension(CalcFormat format);
std::optional<CalcFormat> calcFormatFromExtension(std::string_view extension);

// The most one text variable holds: its lines' mode bytes, characters and the
// separators between lines. The longest line is one less (its mode byte).
inline constexpr std::size_t kMaxVariableText = 65514;
// Programs that read calculator files (TI's link software, libtifiles) refuse
// a file of 8 MiB or more: the largest group file written is one byte less.
inline constexpr std::size_t kMaxCalcFileSize = 8 * 1024 * 1024 - 1;
inline constexpr std::size_t kMaxCalcNameLength = 8;
inline constexpr std::size_t kMaxCalcCommentLength = 40;

// "TI-89", "TI-92 Plus" or "Voyage 200".
std::string calculatorModelName(Calculator calculator);

// The memory a calculator offers variables, in bytes.
struct CalcMemory {
    std::size_t ram = 0;
    std::size_t archive = 0;  // the flash memory variables can be archived in
};
CalcMemory calcFreeMemory(Calculator calculator);

enum class NameRole { Variable, Folder };

// Empty when `name` is a valid variable or folder name (1 to 8 characters, a
// letter first, then letters, digits or "_"; either case, stored lower case);
// otherwise a message saying which rule it breaks.
std::string calcNameProblem(std::string_view name, NameRole role);

// A valid variable name made from a file name, for prefilling a name field:
// the name without folders and extension, letters and digits and "_" kept,
// lower case, starting at the first letter, at most 8 characters
// ("My notes.txt" gives "mynotes"); "text" when nothing is left.
std::string calcNameFromFileName(std::string_view fileName);

// True when `bytes` start with the signature of a TI-89, TI-92 Plus /
// Voyage 200 or TI-92 variable file; such input is read with readCalcFile()
// (which refuses the TI-92's).
bool hasCalcFileSignature(std::string_view bytes);

struct CalcVariable {
    std::string name;    // lower case
    std::string folder;  // lower case
    std::string codes;   // the text, CR LF line ends
};

struct CalcPicture {
    std::string name;    // lower case
    std::string folder;  // lower case
    MonoBitmap bitmap;
};

struct CalcSplit {
    bool ok = false;
    std::vector<CalcVariable> variables;  // at least one when ok
    std::string error;                    // why, when !ok
};

// The text as the variables it is saved in: one variable named `name` when it
// fits, otherwise name1, name2, … (the name shortened so each stays within 8
// characters), each holding whole lines. A CR LF, a lone CR and a lone LF each
// end a line; in the variables every line end is CR LF. A final line end
// ends the last line and adds no empty line (a processed text closes with
// one). Refused, with the message: an invalid name or folder, a character 0
// (said by line and column), and a line too long for any variable.
CalcSplit splitCalcText(std::string_view codes, std::string_view name, std::string_view folder = "main");

// The bytes `variables` take in a calculator's memory: each one's data as
// calcVariableData() gives it.
std::size_t calcMemoryUse(const std::vector<CalcVariable>& variables);

// Empty when `bytes` fit in the free RAM of `calculator`; otherwise a
// warning that says how much the text takes and what the calculator has,
// every number written by `count` (plain decimal by default).
std::string calcMemoryWarning(std::size_t bytes, Calculator calculator,
                              const std::function<std::string(std::size_t)>& count = {});

// The bytes a calculator stores for one text variable, as its file holds them
// between the four zero bytes and the checksum: size word, cursor word, the
// lines with their mode bytes, 0x00 and the text tag. `codes` has CR LF line
// ends, as the variables of splitCalcText() have.
std::string calcVariableData(std::string_view codes);

// The type bytes of the variables written.
inline constexpr unsigned char kCalcTextType = 0x0B;
inline constexpr unsigned char kCalcPictureType = 0x10;

// One variable as a file holds it and the link sends it.
struct CalcVariableBytes {
    std::string name;  // lower case
    unsigned char type = kCalcTextType;
    std::string data;  // calcVariableData() or calcPictureData()
};

struct CalcVariableList {
    bool ok = false;
    std::vector<CalcVariableBytes> variables;  // the text's, then the pictures'
    std::size_t textCount = 0;                 // how many of them are the text's
    std::string folder;                        // lower case
    std::string error;                         // why, when !ok
};

// The variables of a text and the pictures beside it, all in one folder: the
// text split as splitCalcText() does, then each picture. Refused, with the
// message, where splitCalcText() refuses, for a picture writeCalcPicture()
// refuses, and for a name two variables share.
CalcVariableList calcVariables(std::string_view codes, std::string_view name, std::string_view folder,
                               Calculator calculator, const std::vector<CalcPicture>& pictures = {});

struct CalcWriteOptions {
    CalcFormat format;
    std::string name;  // the variable name, or the parts' base name
    std::string folder = "main";
    std::string comment;  // stored in the file; more than 40 characters is refused
};

struct CalcFileBytes {
    std::string variableName;  // single files: the variable's; group files: empty
    std::string bytes;
    std::string extension;  // "89t", "9xg", "v2i", …: what the file is
};

struct CalcWriteResult {
    bool ok = false;
    std::vector<CalcFileBytes> files;  // one group file, or one file per variable
    std::string error;                 // why, when !ok; nothing is to be written
    std::size_t memoryUse = 0;         // the variables' data (calcMemoryUse() of the text's), when ok
};

// The variables of calcVariables(), the pictures in options.folder whatever
// their own, written as one group file (format.group) or as one file per
// variable in order (a picture's is a picture file, calc_picture.h). Refused,
// with the message, where calcVariables() refuses and for a group file over
// kMaxCalcFileSize.
CalcWriteResult writeCalcText(std::string_view codes, const CalcWriteOptions& options,
                              const std::vector<CalcPicture>& pictures = {});

struct CalcReadResult {
    bool ok = false;
    // The signature tells only the family: a Voyage 200 file reads as
    // Ti92Plus. group is true for a file with a folder entry or several
    // variables.
    CalcFormat format;
    std::vector<CalcVariable> variables;  // in file order; none in a file of pictures only
    std::vector<CalcPicture> pictures;    // in file order
    std::string warning;                  // a problem the text survives (a wrong checksum)
    std::string error;                    // why, when !ok
};

// The text and picture variables of a single or group file. Each line's mode
// byte is dropped and every line end becomes CR LF. Any byte string is read
// without reading past its end: a file whose signature, entry table, offsets,
// sizes, size words or end tags do not agree, or that holds a variable other
// than a text or a picture, is refused with a message saying what is wrong. The whole
// entry table is checked before any variable is decoded, so that memory stays
// within a small multiple of the file's size.
CalcReadResult readCalcFile(std::string_view bytes);

// The variables' texts one after the other, each ended by CR LF: the text
// that splitCalcText() cut, its last line closed by a line end as a processed
// text's is (so a text ending in CR LF is joined back unchanged). No
// variables join to the empty text.
std::string joinCalcTexts(const std::vector<CalcVariable>& variables);

}  // namespace tessaline
