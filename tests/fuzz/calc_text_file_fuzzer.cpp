// Fuzz target of the calculator text-variable files. Any bytes are read
// without a crash, a hang or a sanitizer report; a file read gives texts with
// CR LF line ends that are written and read back unchanged. The input's bytes
// taken as a text are written as single and group files of a calculator, read
// back and joined into that text again (its last line ended by a line end);
// only a character 0 or a line longer than a variable holds is refused.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "charset/charset.h"
#include "formats/calc_picture.h"
#include "formats/calc_text_file.h"
#include "tests/formats/crlf_pairs.h"
#include "tests/fuzz/fuzz_check.h"

using namespace tessaline;
using fuzz::require;

namespace {

std::string lowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool lineTooLong(std::string_view codes)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = codes.find("\r\n", start);
        const std::size_t length = (end == std::string_view::npos ? codes.size() : end) - start;
        // A line takes its mode byte besides its characters.
        if (length + 1 > kMaxVariableText)
            return true;
        if (end == std::string_view::npos)
            return false;
        start = end + 2;
    }
}

Calculator familyOf(Calculator calculator)
{
    // The signature tells only the family: a Voyage 200 file reads as a TI-92 Plus one.
    return calculator == Calculator::Voyage200 ? Calculator::Ti92Plus : calculator;
}

void requireReadBack(const CalcReadResult& read)
{
    require(!read.variables.empty(), "a file read holds a variable");
    require(read.variables.size() + read.pictures.size() == 1 || read.format.group, "several variables make a group");
    for (const CalcPicture& picture : read.pictures) {
        const CalcPictureDecode again = decodeCalcPictureData(calcPictureData(picture.bitmap));
        require(again.bitmap && *again.bitmap == picture.bitmap, "a picture survives writing and reading");
    }
    for (const CalcVariable& variable : read.variables) {
        require(onlyCrLfPairs(variable.codes), "reader: line ends are CR LF pairs");
        require(variable.codes.find('\0') == std::string::npos, "reader: no character 0 in a text");
        const std::string name = lowerAscii(variable.name);
        const std::string folder = lowerAscii(variable.folder);
        if (!calcNameProblem(name, NameRole::Variable).empty() || !calcNameProblem(folder, NameRole::Folder).empty())
            continue;
        CalcWriteOptions options;
        options.format = {read.format.calculator, false};
        options.name = name;
        options.folder = folder;
        // Written as Open Text gives it: its last line closed by a line end.
        const CalcWriteResult written = writeCalcText(joinCalcTexts({variable}), options);
        // A text that fits one variable is written as one file.
        if (variable.codes.size() + 1 > kMaxVariableText)
            continue;
        require(written.ok && written.files.size() == 1, "a variable read is written back as one file");
        const CalcReadResult again = readCalcFile(written.files.front().bytes);
        require(again.ok && again.warning.empty() && again.variables.size() == 1, "a variable written reads back");
        const CalcVariable& back = again.variables.front();
        require(back.name == name && back.folder == folder && back.codes == variable.codes,
                "a variable survives writing and reading");
    }
}

void requireWrittenText(const std::string& codes, Calculator calculator, bool group)
{
    CalcWriteOptions options;
    options.format = {calculator, group};
    options.name = "fuzz";
    const CalcWriteResult written = writeCalcText(codes, options);
    require(written.ok == written.error.empty(), "a refusal says why, a success has no error");
    const bool zero = codes.find('\0') != std::string::npos;
    if (!written.ok) {
        require(written.files.empty(), "nothing is to be written when refused");
        require(zero || lineTooLong(codes), "refused only for a character 0 or a line too long");
        return;
    }
    require(!zero, "a character 0 is refused");
    require(!written.files.empty() && (!group || written.files.size() == 1), "one group file, or a file a variable");
    std::vector<CalcVariable> variables;
    for (const CalcFileBytes& file : written.files) {
        const CalcReadResult read = readCalcFile(file.bytes);
        require(read.ok && read.warning.empty(), "a file written reads back without a warning");
        require(read.format.calculator == familyOf(calculator), "a file written is the calculator's");
        for (const CalcVariable& variable : read.variables) {
            require(variable.folder == "main", "the variables are in the folder given");
            variables.push_back(variable);
        }
        require(group || (read.variables.size() == 1 && read.variables.front().name == file.variableName),
                "a single file holds the variable it names");
    }
    const bool closed = codes.ends_with("\r\n");
    require(joinCalcTexts(variables) == (closed ? codes : codes + "\r\n"),
            "the texts read back joined are the text written, its last line ended");
    if (variables.size() == 1) {
        require(variables.front().name == "fuzz", "a text that fits one variable keeps the name");
    } else {
        for (std::size_t i = 0; i < variables.size(); ++i)
            require(variables[i].name == "fuzz" + std::to_string(i + 1), "the parts are numbered from 1");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const CalcReadResult read = readCalcFile(input);
    require(!read.ok || hasCalcFileSignature(input), "only a file with the signature reads");
    require(read.ok == read.error.empty(), "a refusal says why, a success has no error");
    if (read.ok)
        requireReadBack(read);
    else
        require(read.variables.empty() && read.pictures.empty() && read.warning.empty(),
                "a refused file gives nothing");

    const std::string codes = charset::normalizeLineEnds(input);
    const Calculator calculators[] = {Calculator::Ti89, Calculator::Ti92Plus, Calculator::Voyage200};
    const Calculator calculator = calculators[size % 3];
    requireWrittenText(codes, calculator, false);
    requireWrittenText(codes, calculator, true);
    return 0;
}
