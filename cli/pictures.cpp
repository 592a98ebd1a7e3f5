#include "cli/pictures.h"

#include <cstdio>
#include <filesystem>

#include "cli/input_bytes.h"
#include "cli/messages.h"
#include "cli/output_sink.h"
#include "formats/calc_picture.h"

namespace tessaline::cli {

namespace {

ImagePictureOptions imageOptions(const Options& options, Calculator calculator)
{
    return {calculator, options.fitPictures, options.threshold};
}

std::string size(int width, int height) { return std::to_string(width) + " x " + std::to_string(height); }

}  // namespace

std::vector<TextPicture> findPictures(const Options& options, std::string_view codes,
                                      const std::vector<book::BookPicture>& bookPictures, Calculator calculator,
                                      bool& complete)
{
    std::string folder = options.picturesDir;
    if (folder.empty() && options.inputPath != "-") {
        const std::filesystem::path parent = std::filesystem::path(options.inputPath).parent_path();
        folder = parent.empty() ? std::string(".") : parent.string();
    }
    std::vector<PictureImage> atHand;
    for (const book::BookPicture& picture : bookPictures)
        atHand.push_back({picture.name, picture.bytes, "the book's picture " + picture.name});
    std::vector<TextPicture> pictures = findTextPictures(codes, folder, atHand, imageOptions(options, calculator));
    complete = true;
    for (const TextPicture& picture : pictures) {
        if (picture.state == PictureState::Found)
            continue;
        complete = false;
        std::fprintf(stderr, "%s\n", oneLine(picture.message).c_str());
    }
    return pictures;
}

int convertOneImage(const Options& options)
{
    const auto fail = [](const std::string& message) {
        std::fprintf(stderr, "tessaline-process: %s\n", oneLine(message).c_str());
        return 1;
    };
    std::string error;
    InputBytes input;
    if (!input.open(options.inputPath, error))
        return fail(error);
    const Calculator calculator = options.calcFormat.calculator;
    const ImagePicture converted = convertImage(input.bytes(), imageOptions(options, calculator));
    input.release();
    const std::string shownInput = options.inputPath == "-" ? std::string("standard input") : options.inputPath;
    if (!converted.ok)
        return fail(shownInput + ": " + converted.error);

    CalcPicture picture;
    const std::string& nameFrom = !options.outputPath.empty() ? options.outputPath : options.inputPath;
    picture.name = !options.calcName.empty() ? options.calcName
                   : nameFrom == "-"         ? std::string("picture")
                                             : calcNameFromFileName(nameFrom);
    picture.folder = options.calcFolder;
    picture.bitmap = converted.bitmap;
    CalcWriteResult written = writeCalcPicture(picture, calculator);
    if (!written.ok)
        return fail(written.error);
    OutputSink output;
    if (!output.open(options.outputPath, error) || !output.write(written.files.front().bytes, error)
        || !output.commit(error))
        return fail(error);
    std::fprintf(stderr, "picture %s: %s pixels (the image: %s)\n", written.files.front().variableName.c_str(),
                 size(picture.bitmap.width, picture.bitmap.height).c_str(),
                 size(converted.source.width, converted.source.height).c_str());
    return 0;
}

}  // namespace tessaline::cli
