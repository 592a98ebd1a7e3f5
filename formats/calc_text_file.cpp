#include "formats/calc_text_file.h"

#include <algorithm>
#include <cstdint>

#include "charset/charset.h"
#include "formats/calc_picture.h"

namespace tessaline {

namespace {

// File integers are little-endian; the variable data inside is big-endian.
constexpr std::string_view kSignatureTi89 = "**TI89**";
constexpr std::string_view kSignatureTi92Plus = "**TI92P*";
// The TI-92 (without Plus) stores texts otherwise; its files are recognised
// only to be refused.
constexpr std::string_view kSignatureTi92 = "**TI92**";
constexpr std::size_t kFolderAt = 0x0A;
constexpr std::size_t kEntryCountAt = 0x3A;
constexpr std::size_t kEntryTableAt = 0x3C;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kTableTrailerSize = 6;  // file size, A5 5A
constexpr std::size_t kBlockLeadSize = 4;     // 00 00 00 00 before each variable's data
constexpr std::size_t kChecksumSize = 2;
constexpr unsigned char kTextType = kCalcTextType;
constexpr unsigned char kPictureType = kCalcPictureType;
constexpr unsigned char kFolderType = 0x1F;
constexpr char kLineMode = 0x20;  // the mode byte of an ordinary line
constexpr char kLineSeparator = 0x0D;
constexpr unsigned char kTextTag = 0xE0;
constexpr unsigned kCursorOffset = 1;
// Size word, cursor word, end-of-text 0x00 and tag around a variable's text.
constexpr std::size_t kDataOverhead = 6;

unsigned byteAt(std::string_view bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }

unsigned readLe16(std::string_view bytes, std::size_t at) { return byteAt(bytes, at) | byteAt(bytes, at + 1) << 8; }

std::uint32_t readLe32(std::string_view bytes, std::size_t at)
{
    return readLe16(bytes, at) | std::uint32_t(readLe16(bytes, at + 2)) << 16;
}

unsigned readBe16(std::string_view bytes, std::size_t at) { return byteAt(bytes, at) << 8 | byteAt(bytes, at + 1); }

void putLe16(std::string& out, unsigned value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8 & 0xFF));
}

void putLe32(std::string& out, std::uint32_t value)
{
    putLe16(out, value & 0xFFFF);
    putLe16(out, value >> 16);
}

void putBe16(std::string& out, unsigned value)
{
    out.push_back(static_cast<char>(value >> 8 & 0xFF));
    out.push_back(static_cast<char>(value & 0xFF));
}

void putPadded(std::string& out, std::string_view text, std::size_t width)
{
    out.append(text.substr(0, width));
    out.append(width - std::min(width, text.size()), '\0');
}

// A NUL-padded name field; a name that fills the field has no NUL.
std::string paddedField(std::string_view bytes, std::size_t at, std::size_t width)
{
    const std::string_view field = bytes.substr(at, width);
    return std::string(field.substr(0, field.find('\0')));
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowerCase(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lowerAscii);
    return out;
}

std::string hex(unsigned value, int digits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out = "0x";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out.push_back(kDigits[value >> shift & 0xF]);
    return out;
}

std::string countOfVariables(unsigned count)
{
    return std::to_string(count) + (count == 1 ? " variable follows" : " variables follow");
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// A CR LF, a lone CR and a lone LF each end a line.
std::vector<std::string_view> textLines(std::string_view codes)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] != '\r' && codes[i] != '\n')
            continue;
        lines.push_back(codes.substr(start, i - start));
        if (codes[i] == '\r' && i + 1 < codes.size() && codes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    lines.push_back(codes.substr(start));
    return lines;
}

// The variable data of a text whose line ends are all CR LF.
std::string variableData(std::string_view codes)
{
    std::string text;
    text.reserve(codes.size() + 1);
    text.push_back(kLineMode);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == '\r') {
            text.push_back(kLineSeparator);
            text.push_back(kLineMode);
            ++i;  // the LF
        } else {
            text.push_back(codes[i]);
        }
    }
    std::string data;
    data.reserve(text.size() + kDataOverhead);
    putBe16(data, static_cast<unsigned>(text.size() + kDataOverhead - 2));
    putBe16(data, kCursorOffset);
    data += text;
    data.push_back('\0');
    data.push_back(static_cast<char>(kTextTag));
    return data;
}

unsigned checksum(std::string_view data)
{
    unsigned sum = 0;
    for (char c : data)
        sum += static_cast<unsigned char>(c);
    return sum & 0xFFFF;
}

struct Entry {
    std::string name;
    unsigned char type = kTextType;
    unsigned followingVariables = 0;  // folder entries only
    std::size_t block = 0;            // the data block it points to
};

// One file holding `variables`, all in `folder`: a single-variable file, or
// a group file whose folder entry comes first. nullopt when the file would
// be larger than kMaxCalcFileSize (or have more entries than its count holds).
std::optional<std::string> writeFile(const std::vector<CalcVariableBytes>& variables, std::string_view folder,
                                     CalcFormat format, std::string_view comment)
{
    std::vector<Entry> entries;
    if (format.group)
        entries.push_back({std::string(folder), kFolderType, static_cast<unsigned>(variables.size()), 0});
    std::vector<std::string_view> blocks;
    for (const CalcVariableBytes& variable : variables) {
        entries.push_back({variable.name, variable.type, 0, blocks.size()});
        blocks.push_back(variable.data);
    }

    const std::size_t tableEnd = kEntryTableAt + kEntrySize * entries.size() + kTableTrailerSize;
    std::vector<std::size_t> offsets;
    std::size_t fileSize = tableEnd;
    for (std::string_view block : blocks) {
        offsets.push_back(fileSize);
        fileSize += kBlockLeadSize + block.size() + kChecksumSize;
    }
    if (entries.size() > 0xFFFF || fileSize > kMaxCalcFileSize)
        return std::nullopt;

    std::string out;
    out.reserve(fileSize);
    out += format.calculator == Calculator::Ti89 ? kSignatureTi89 : kSignatureTi92Plus;
    out += std::string_view("\x01\x00", 2);
    putPadded(out, folder, kMaxCalcNameLength);
    putPadded(out, comment, kMaxCalcCommentLength);
    putLe16(out, static_cast<unsigned>(entries.size()));
    for (const Entry& entry : entries) {
        putLe32(out, static_cast<std::uint32_t>(offsets[entry.block]));
        putPadded(out, entry.name, kMaxCalcNameLength);
        out.push_back(static_cast<char>(entry.type));
        out.push_back('\0');  // attribute
        putLe16(out, entry.followingVariables);
    }
    putLe32(out, static_cast<std::uint32_t>(fileSize));
    out += "\xA5\x5A";
    for (std::string_view block : blocks) {
        out.append(kBlockLeadSize, '\0');
        out += block;
        putLe16(out, checksum(block));
    }
    return out;
}

// The text of a variable's data without its mode bytes, every line end CR LF.
// A 0x0D at the start of a line ends an empty line that has no mode byte; an
// LF (which the calculator never shows alone) ends a line too.
std::string decodeText(std::string_view text)
{
    std::string codes;
    codes.reserve(text.size());
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && c != kLineSeparator) {
            lineStart = false;
            continue;
        }
        if (c == kLineSeparator || c == '\n') {
            codes += "\r\n";
            lineStart = c == kLineSeparator;
        } else {
            codes.push_back(c);
        }
    }
    return codes;
}

}  // namespace

std::string calcFileExtension(CalcFormat format)
{
    std::string extension;
    switch (format.calculator) {
    case Calculator::Ti89:
        extension = "89";
        break;
    case Calculator::Ti92Plus:
        extension = "9x";
        break;
    case Calculator::Voyage200:
        extension = "v2";
        break;
    }
    extension.push_back(format.group ? 'g' : 't');
    return extension;
}

std::optional<CalcFormat> calcFormatFromExtension(std::string_view extension)
{
    if (extension.starts_with('.'))
        extension.remove_prefix(1);
    const std::string wanted = lowerCase(extension);
    for (Calculator calculator : {Calculator::Ti89, Calculator::Ti92Plus, Calculator::Voyage200}) {
        for (bool group : {false, true}) {
            const CalcFormat format{calculator, group};
            if (calcFileExtension(format) == wanted)
                return format;
        }
    }
    return std::nullopt;
}

std::string calcNameProblem(std::string_view name, NameRole role)
{
    const std::string what = role == NameRole::Variable ? "variable name" : "folder name";
    if (name.empty())
        return "The " + what + " is empty; it needs 1 to 8 characters.";
    // A name typed in the window or on a terminal comes as UTF-8: its
    // characters are counted and shown as typed; a byte that begins no
    // character is shown by its number.
    std::size_t characters = 0;
    for (std::size_t at = 0; at < name.size(); ++characters)
        at += charset::readUtf8Sequence(name.substr(at)).length;
    if (characters > kMaxCalcNameLength)
        return "The " + what + " " + quoted(name) + " has " + std::to_string(characters)
               + " characters; at most 8 are allowed.";
    if (!isAsciiLetter(name.front()) && static_cast<unsigned char>(name.front()) < 0x80)
        return "The " + what + " " + quoted(name) + " does not start with a letter (a to z).";
    for (std::size_t at = 0; at < name.size();) {
        const char c = name[at];
        const charset::Utf8Sequence sequence = charset::readUtf8Sequence(name.substr(at));
        at += sequence.length;
        if (isAsciiLetter(c) || isAsciiDigit(c) || c == '_')
            continue;
        const auto code = static_cast<unsigned char>(c);
        std::string shown;
        if (code == 0x20)
            shown = "a space";
        else if (code > 0x20 && code < 0x7F)
            shown = quoted(std::string(1, c));
        else if (code >= 0x80 && sequence.codePoint)
            shown = quoted(name.substr(at - sequence.length, sequence.length));
        else
            shown = "character " + std::to_string(code);
        return "The " + what + " " + quoted(name) + " holds " + shown
               + "; only letters (a to z), digits and \"_\" are allowed.";
    }
    if (!isAsciiLetter(name.front()))
        return "The " + what + " " + quoted(name) + " does not start with a letter (a to z).";
    return {};
}

std::string calcNameFromFileName(std::string_view fileName)
{
    const std::size_t slash = fileName.find_last_of("/\\");
    if (slash != std::string_view::npos)
        fileName.remove_prefix(slash + 1);
    const std::size_t dot = fileName.rfind('.');
    if (dot != std::string_view::npos && dot > 0)
        fileName = fileName.substr(0, dot);
    std::string name;
    for (char c : fileName) {
        if (name.size() == kMaxCalcNameLength)
            break;
        if (isAsciiLetter(c) || (!name.empty() && (isAsciiDigit(c) || c == '_')))
            name.push_back(lowerAscii(c));
    }
    return name.empty() ? "text" : name;
}

bool hasCalcFileSignature(std::string_view bytes)
{
    return bytes.starts_with(kSignatureTi89) || bytes.starts_with(kSignatureTi92Plus)
           || bytes.starts_with(kSignatureTi92);
}

std::string calculatorModelName(Calculator calculator)
{
    switch (calculator) {
    case Calculator::Ti89:
        return "TI-89";
    case Calculator::Ti92Plus:
        return "TI-92 Plus";
    case Calculator::Voyage200:
        break;
    }
    return "Voyage 200";
}

CalcMemory calcFreeMemory(Calculator calculator)
{
    // What TI gives as free to the user on a reset calculator with its last
    // operating system: the TI-89 and the TI-92 Plus share one board (256 KB
    // of RAM, 2 MB of flash), of which AMS 2.09 leaves 188 KB of RAM and
    // 639 KB of archive; the Voyage 200 has 188 KB of RAM and 2.7 MB of
    // archive. A calculator that holds other variables has less, so these
    // numbers warn; they refuse nothing.
    constexpr std::size_t kKilobyte = 1024;
    if (calculator == Calculator::Voyage200)
        return {188 * kKilobyte, 2700 * kKilobyte};
    return {188 * kKilobyte, 639 * kKilobyte};
}

std::size_t calcMemoryUse(const std::vector<CalcVariable>& variables)
{
    // A CR LF becomes a separator and the next line's mode byte, so the data
    // is the codes, the first mode byte and the data's own overhead.
    std::size_t bytes = 0;
    for (const CalcVariable& variable : variables)
        bytes += variable.codes.size() + 1 + kDataOverhead;
    return bytes;
}

std::string calcMemoryWarning(std::size_t bytes, Calculator calculator,
                              const std::function<std::string(std::size_t)>& count)
{
    const CalcMemory free = calcFreeMemory(calculator);
    if (bytes <= free.ram)
        return {};
    const auto number = [&count](std::size_t n) { return count ? count(n) : std::to_string(n); };
    const std::string model = calculatorModelName(calculator);
    const std::string takes = "The text takes " + number(bytes) + " bytes on a " + model + ", more than its "
                              + number(free.ram) + " bytes of free RAM";
    if (bytes <= free.archive)
        return takes + ": store the variables in its archive (" + number(free.archive) + " bytes free).";
    return takes + " and its " + number(free.archive) + " bytes of free archive.";
}

CalcSplit splitCalcText(std::string_view codes, std::string_view name, std::string_view folder)
{
    CalcSplit split;
    for (auto [text, role] : {std::pair{name, NameRole::Variable}, std::pair{folder, NameRole::Folder}}) {
        split.error = calcNameProblem(text, role);
        if (!split.error.empty())
            return split;
    }

    // A final line end ends the last line: a processed text closes with one,
    // and it is no empty line of its own on the calculator.
    if (codes.ends_with('\n'))
        codes.remove_suffix(codes.ends_with("\r\n") ? 2 : 1);
    else if (codes.ends_with('\r'))
        codes.remove_suffix(1);
    const std::vector<std::string_view> lines = textLines(codes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t zero = lines[i].find('\0');
        if (zero != std::string_view::npos) {
            split.error = "The text holds character 0 at line " + std::to_string(i + 1) + ", column "
                          + std::to_string(zero + 1) + "; a text variable cannot hold it.";
            return split;
        }
        if (1 + lines[i].size() > kMaxVariableText) {
            split.error = "Line " + std::to_string(i + 1) + " has " + std::to_string(lines[i].size())
                          + " characters, more than the " + std::to_string(kMaxVariableText - 1)
                          + " a text variable holds in one line; lines are cut only at their ends.";
            return split;
        }
    }

    // Whole lines, as many as fit, go into each variable in turn.
    std::vector<std::string> texts(1);
    std::size_t used = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t cost = 1 + lines[i].size();
        if (i > 0 && used + 1 + cost > kMaxVariableText) {
            texts.emplace_back();
            used = 0;
        } else if (i > 0) {
            texts.back() += "\r\n";
            ++used;
        }
        texts.back() += lines[i];
        used += cost;
    }

    std::string base = lowerCase(name);
    if (texts.size() > 1) {
        const std::size_t digits = std::to_string(texts.size()).size();
        base.resize(std::min(base.size(), kMaxCalcNameLength - std::min(digits, kMaxCalcNameLength - 1)));
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        CalcVariable& variable = split.variables.emplace_back();
        variable.name = texts.size() == 1 ? base : base + std::to_string(i + 1);
        variable.folder = lowerCase(folder);
        variable.codes = std::move(texts[i]);
    }
    split.ok = true;
    return split;
}

std::string calcVariableData(std::string_view codes) { return variableData(codes); }

namespace {

std::string commentProblem(std::string_view comment)
{
    if (comment.size() <= kMaxCalcCommentLength)
        return {};
    return "The file comment has " + std::to_string(comment.size()) + " characters; at most 40 are allowed.";
}

// Empty when the picture can be written as a variable named picture.name.
std::string pictureProblem(const CalcPicture& picture, Calculator calculator)
{
    std::string problem = calcNameProblem(picture.name, NameRole::Variable);
    if (problem.empty())
        problem = calcPictureSizeProblem(picture.bitmap, calculator);
    return problem;
}

}  // namespace

CalcVariableList calcVariables(std::string_view codes, std::string_view name, std::string_view folder,
                               Calculator calculator, const std::vector<CalcPicture>& pictures)
{
    CalcVariableList list;
    CalcSplit split = splitCalcText(codes, name, folder);
    if (!split.ok) {
        list.error = std::move(split.error);
        return list;
    }
    for (const CalcVariable& variable : split.variables)
        list.variables.push_back({variable.name, kTextType, variableData(variable.codes)});
    list.textCount = list.variables.size();
    list.folder = split.variables.front().folder;
    for (const CalcPicture& picture : pictures) {
        if (std::string problem = pictureProblem(picture, calculator); !problem.empty()) {
            list.variables.clear();
            list.error = "The picture " + quoted(picture.name) + " cannot be saved: " + problem;
            return list;
        }
        list.variables.push_back({lowerCase(picture.name), kPictureType, calcPictureData(picture.bitmap)});
    }
    const auto what = [&list](std::size_t k) { return k < list.textCount ? "a text" : "a picture"; };
    for (std::size_t i = 0; i < list.variables.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (list.variables[i].name != list.variables[j].name)
                continue;
            list.error = "The name " + quoted(list.variables[i].name) + " is used twice, by " + what(j) + " and by "
                         + what(i) + "; every variable in a folder needs a name of its own.";
            list.variables.clear();
            return list;
        }
    }
    list.ok = true;
    return list;
}

CalcWriteResult writeCalcText(std::string_view codes, const CalcWriteOptions& options,
                              const std::vector<CalcPicture>& pictures)
{
    CalcWriteResult result;
    result.error = commentProblem(options.comment);
    if (!result.error.empty())
        return result;
    const Calculator calculator = options.format.calculator;
    CalcVariableList list = calcVariables(codes, options.name, options.folder, calculator, pictures);
    if (!list.ok) {
        result.error = std::move(list.error);
        return result;
    }
    for (const CalcVariableBytes& variable : list.variables)
        result.memoryUse += variable.data.size();

    const std::string& folder = list.folder;
    if (options.format.group) {
        std::optional<std::string> bytes = writeFile(list.variables, folder, options.format, options.comment);
        if (!bytes) {
            result.error =
                "The text makes a group file of 8 MiB or more, which calculator link programs "
                "refuse; save it as one file per part, or in smaller pieces.";
            return result;
        }
        result.files.push_back({std::string(), std::move(*bytes), calcFileExtension(options.format)});
        result.ok = true;
        return result;
    }
    for (std::size_t i = 0; i < list.variables.size(); ++i) {
        const std::string extension =
            i < list.textCount ? calcFileExtension(options.format) : calcPictureExtension(calculator);
        std::optional<std::string> bytes = writeFile({list.variables[i]}, folder, options.format, options.comment);
        // One variable's data is at most 64 KiB, so its file fits every field.
        result.files.push_back({list.variables[i].name, std::move(*bytes), extension});
    }
    result.ok = true;
    return result;
}

CalcWriteResult writeCalcPicture(const CalcPicture& picture, Calculator calculator, std::string_view comment)
{
    CalcWriteResult result;
    result.error = commentProblem(comment);
    if (result.error.empty())
        result.error = pictureProblem(picture, calculator);
    if (result.error.empty())
        result.error = calcNameProblem(picture.folder, NameRole::Folder);
    if (!result.error.empty())
        return result;
    const std::string name = lowerCase(picture.name);
    std::optional<std::string> bytes = writeFile({{name, kPictureType, calcPictureData(picture.bitmap)}},
                                                 lowerCase(picture.folder), {calculator, false}, comment);
    result.files.push_back({name, std::move(*bytes), calcPictureExtension(calculator)});
    result.ok = true;
    return result;
}

CalcReadResult readCalcFile(std::string_view bytes)
{
    CalcReadResult result;
    auto fail = [&result](std::string message) {
        result.variables.clear();
        result.warning.clear();
        result.error = std::move(message);
        return result;
    };

    if (!hasCalcFileSignature(bytes))
        return fail(
            "Not a TI-89, TI-92 Plus or Voyage 200 variable file: it does not start with "
            "\"**TI89**\" or \"**TI92P*\".");
    if (bytes.starts_with(kSignatureTi92))
        return fail("A TI-92 file: only TI-89, TI-92 Plus and Voyage 200 variable files can be read.");
    result.format.calculator = bytes.starts_with(kSignatureTi89) ? Calculator::Ti89 : Calculator::Ti92Plus;
    if (bytes.size() < kEntryTableAt)
        return fail("The file ends inside its header, after " + std::to_string(bytes.size()) + " bytes.");
    const std::size_t entryCount = readLe16(bytes, kEntryCountAt);
    if (entryCount == 0)
        return fail("The file's entry table is empty: the file holds no variable.");
    const std::size_t tableEnd = kEntryTableAt + kEntrySize * entryCount + kTableTrailerSize;
    if (tableEnd > bytes.size())
        return fail("The file's entry table (" + std::to_string(entryCount) + " entries) runs past the end of "
                    "the file (" + std::to_string(bytes.size()) + " bytes).");
    const std::uint32_t statedSize = readLe32(bytes, tableEnd - kTableTrailerSize);
    if (statedSize != bytes.size())
        return fail("The file says it is " + std::to_string(statedSize) + " bytes long, but it is "
                    + std::to_string(bytes.size()) + " bytes.");
    if (bytes.substr(tableEnd - 2, 2) != "\xA5\x5A")
        return fail("The file's entry table does not end with the marker A5 5A.");

    // The whole table is checked before any variable is decoded: entries
    // that share one block would otherwise each decode it, and a small file
    // could ask for gigabytes. A block is 16 bytes, as its entry is.
    struct Block {
        std::uint32_t begin, end;  // the block: its lead, data and checksum
        std::uint32_t entryAt;     // its entry in the table
        std::uint32_t folderAt;    // the name field of the folder it is in
        bool picture;
    };
    std::vector<Block> blocks;
    std::size_t folderAt = kFolderAt;
    std::string folderEntry;
    std::optional<unsigned> folderVariablesLeft;  // after a folder entry
    unsigned folderVariables = 0;
    auto checkFolderCount = [&]() -> std::string {
        if (!folderVariablesLeft || *folderVariablesLeft == 0)
            return {};
        return "The folder entry " + quoted(folderEntry) + " says " + countOfVariables(folderVariables) + " it, but "
               + std::to_string(folderVariables - *folderVariablesLeft) + " do.";
    };
    auto nameAt = [bytes](std::size_t at) { return paddedField(bytes, at, kMaxCalcNameLength); };
    auto entryName = [&nameAt](std::size_t i, std::size_t at) {
        return "Entry " + std::to_string(i + 1) + " (" + quoted(nameAt(at + 4)) + ")";
    };

    for (std::size_t i = 0; i < entryCount; ++i) {
        const std::size_t at = kEntryTableAt + kEntrySize * i;
        const std::size_t offset = readLe32(bytes, at);
        const unsigned type = byteAt(bytes, at + 12);

        if (type == kFolderType) {
            if (std::string problem = checkFolderCount(); !problem.empty())
                return fail(problem);
            folderAt = at + 4;
            folderEntry = nameAt(folderAt);
            folderVariables = readLe16(bytes, at + 14);
            folderVariablesLeft = folderVariables;
            result.format.group = true;
            continue;
        }
        if (type != kTextType && type != kPictureType)
            return fail(entryName(i, at) + " is not a text or picture variable (its type is " + hex(type, 2)
                        + "); only texts and pictures can be read.");
        if (folderVariablesLeft) {
            if (*folderVariablesLeft == 0)
                return fail("The folder entry " + quoted(folderEntry) + " says " + countOfVariables(folderVariables)
                            + " it, but more do.");
            --*folderVariablesLeft;
        }

        if (offset < tableEnd)
            return fail(entryName(i, at) + " points into the file's header, at " + std::to_string(offset) + ".");
        if (offset > bytes.size() || bytes.size() - offset < kBlockLeadSize + 2)
            return fail(entryName(i, at) + " points past the end of the file, at " + std::to_string(offset) + ".");
        const std::size_t dataAt = offset + kBlockLeadSize;
        const std::size_t sizeWord = readBe16(bytes, dataAt);
        const std::size_t dataSize = 2 + sizeWord;
        // A picture's data ends with its tag alone; its size is checked as it
        // is decoded.
        const bool picture = type == kPictureType;
        if (sizeWord < (picture ? 1 : kDataOverhead - 2))
            return fail(entryName(i, at) + " has a size word of " + std::to_string(sizeWord) + ", too small for a "
                        + (picture ? "picture" : "text") + " variable.");
        if (bytes.size() - dataAt < dataSize + kChecksumSize)
            return fail(entryName(i, at) + " has a size word of " + std::to_string(sizeWord)
                        + ": its data runs past the end of the file.");
        if (!picture && (bytes[dataAt + dataSize - 2] != '\0' || byteAt(bytes, dataAt + dataSize - 1) != kTextTag))
            return fail(entryName(i, at) + " does not end with the end of text (0x00) and the text tag (0xE0).");
        // The stated file size fits 32 bits, so every offset in it does.
        blocks.push_back({std::uint32_t(offset), std::uint32_t(dataAt + dataSize + kChecksumSize), std::uint32_t(at),
                          std::uint32_t(folderAt), picture});
    }
    if (std::string problem = checkFolderCount(); !problem.empty())
        return fail(problem);
    if (blocks.empty())
        return fail("The file holds folder entries but no variable.");

    std::vector<Block> byPlace = blocks;
    std::stable_sort(byPlace.begin(), byPlace.end(), [](const Block& a, const Block& b) { return a.begin < b.begin; });
    for (std::size_t i = 1; i < byPlace.size(); ++i) {
        if (byPlace[i].begin < byPlace[i - 1].end)
            return fail("The data of variables " + quoted(nameAt(byPlace[i - 1].entryAt + 4)) + " and "
                        + quoted(nameAt(byPlace[i].entryAt + 4)) + " overlap.");
    }
    std::vector<Block>().swap(byPlace);

    // The blocks are apart, so decoding them all reads the file once.
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const Block& block = blocks[i];
        const std::string name = nameAt(block.entryAt + 4);
        const std::size_t dataAt = block.begin + kBlockLeadSize;
        const std::string_view data = bytes.substr(dataAt, block.end - kChecksumSize - dataAt);
        const std::string entry = entryName((block.entryAt - kEntryTableAt) / kEntrySize, block.entryAt);
        std::optional<MonoBitmap> bitmap;
        std::string_view text;
        if (block.picture) {
            CalcPictureDecode decoded = decodeCalcPictureData(data);
            if (!decoded.bitmap)
                return fail(entry + " is a picture, but " + decoded.error);
            bitmap = std::move(decoded.bitmap);
        } else {
            text = data.substr(4, data.size() - kDataOverhead);
            if (const std::size_t zero = text.find('\0'); zero != std::string_view::npos)
                return fail(entry + " holds character 0 inside its text, at byte " + std::to_string(zero + 1)
                            + " of the text.");
        }
        const unsigned stored = readLe16(bytes, dataAt + data.size());
        const unsigned computed = checksum(data);
        if (stored != computed) {
            if (!result.warning.empty())
                result.warning += "\n";
            result.warning += "The checksum of variable " + quoted(name) + " is " + hex(stored, 4)
                              + ", but its data sums to " + hex(computed, 4) + "; the file may be damaged.";
        }
        if (bitmap)
            result.pictures.push_back({name, nameAt(block.folderAt), std::move(*bitmap)});
        else
            result.variables.push_back({name, nameAt(block.folderAt), decodeText(text)});
    }
    if (blocks.size() > 1)
        result.format.group = true;
    result.ok = true;
    return result;
}

std::string joinCalcTexts(const std::vector<CalcVariable>& variables)
{
    std::size_t size = 0;
    for (const CalcVariable& variable : variables)
        size += variable.codes.size() + 2;
    std::string codes;
    codes.reserve(size);
    for (const CalcVariable& variable : variables) {
        codes += variable.codes;
        codes += "\r\n";
    }
    return codes;
}

}  // namespace tessaline
