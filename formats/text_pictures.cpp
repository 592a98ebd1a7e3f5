#include "formats/text_pictures.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "formats/path_check.h"

namespace tessaline {

namespace {

constexpr std::string_view kPictureCommand = "_PIC ";
// In the order they are preferred when several are there.
constexpr std::string_view kImageExtensions[] = {".png", ".jpg", ".jpeg", ".gif", ".bmp"};

std::string lowerCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The image files of `folder` by their lower-case name without extension,
// the preferred extension first.
std::map<std::string, std::filesystem::path> imagesIn(const std::string& folder)
{
    std::map<std::string, std::pair<std::size_t, std::filesystem::path>> best;
    std::error_code error;
    if (folder.empty())
        return {};
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::filesystem::path& path = it->path();
        const std::string extension = lowerCase(path.extension().string());
        for (std::size_t rank = 0; rank < std::size(kImageExtensions); ++rank) {
            if (extension != kImageExtensions[rank])
                continue;
            const std::string stem = lowerCase(path.stem().string());
            auto [place, added] = best.try_emplace(stem, rank, path);
            if (!added && rank < place->second.first)
                place->second = {rank, path};
        }
    }
    std::map<std::string, std::filesystem::path> images;
    for (auto& [stem, found] : best)
        images.emplace(stem, std::move(found.second));
    return images;
}

void convert(TextPicture& picture, const std::string& bytes, const ImagePictureOptions& options)
{
    ImagePicture converted = convertImage(bytes, options);
    if (!converted.ok) {
        picture.state = PictureState::Unreadable;
        picture.message = picture.origin + ": " + converted.error;
        return;
    }
    picture.state = PictureState::Found;
    picture.bitmap = std::move(converted.bitmap);
}

}  // namespace

std::optional<std::string_view> pictureLineName(std::string_view line)
{
    if (line == kPictureCommand.substr(0, kPictureCommand.size() - 1))
        return std::string_view();  // a name is missing
    if (!line.starts_with(kPictureCommand))
        return std::nullopt;
    return line.substr(kPictureCommand.size());
}

bool readImageFile(const std::string& path, std::string& bytes, std::string& error)
{
    const PathCheck check = checkBeforeReading(path, kMaxImageFileBytes, SpecialFiles::Refused);
    switch (check.problem) {
    case PathProblem::None:
        break;
    case PathProblem::TooLarge:
        error =
            path + ": the image file is larger than " + std::to_string(kMaxImageFileBytes / (1024 * 1024)) + " MiB.";
        return false;
    case PathProblem::Missing:
        error = path + ": there is no such file.";
        return false;
    case PathProblem::System:
        error = path + ": " + std::strerror(check.error) + ".";
        return false;
    default:
        error = path + ": not an image file.";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    bytes.assign(static_cast<std::size_t>(check.size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())) || in.peek() != EOF) {
        error = path + ": the file cannot be read whole.";
        bytes.clear();
        return false;
    }
    return true;
}

std::vector<TextPicture> findTextPictures(std::string_view codes, const std::string& folder,
                                          const std::vector<PictureImage>& atHand, const ImagePictureOptions& options)
{
    std::vector<TextPicture> pictures;
    std::map<std::string, std::size_t> byName;  // lower-case name -> index
    std::size_t lineNumber = 0;
    for (std::size_t at = 0; at <= codes.size();) {
        std::size_t end = codes.find("\r\n", at);
        if (end == std::string_view::npos)
            end = codes.size();
        ++lineNumber;
        const std::optional<std::string_view> name = pictureLineName(codes.substr(at, end - at));
        at = end + 2;
        if (!name || !byName.try_emplace(lowerCase(*name), pictures.size()).second)
            continue;
        TextPicture& picture = pictures.emplace_back();
        picture.name = std::string(*name);
        picture.line = lineNumber;
        if (std::string problem = calcNameProblem(*name, NameRole::Variable); !problem.empty()) {
            picture.state = PictureState::BadName;
            picture.message = "Line " + std::to_string(lineNumber) + ": " + problem;
        }
    }

    std::optional<std::map<std::string, std::filesystem::path>> images;  // read when first needed
    for (TextPicture& picture : pictures) {
        if (picture.state == PictureState::BadName)
            continue;
        const std::string key = lowerCase(picture.name);
        const PictureImage* given = nullptr;
        for (const PictureImage& image : atHand) {
            if (lowerCase(image.name) == key) {
                given = &image;
                break;
            }
        }
        if (given) {
            picture.origin = given->origin;
            convert(picture, given->bytes, options);
            continue;
        }
        if (!images)
            images = imagesIn(folder);
        const auto found = images->find(key);
        if (found == images->end()) {
            picture.message = "No picture for \"" + picture.name + "\" (line " + std::to_string(picture.line) + "): no "
                              + picture.name + ".png, .jpg, .gif or .bmp"
                              + (folder.empty() ? std::string(" given") : " in " + folder) + ".";
            continue;
        }
        picture.origin = found->second.string();
        std::string bytes;
        std::string error;
        if (!readImageFile(picture.origin, bytes, error)) {
            picture.state = PictureState::Unreadable;
            picture.message = error;
            continue;
        }
        convert(picture, bytes, options);
    }
    return pictures;
}

std::vector<CalcPicture> foundPictures(const std::vector<TextPicture>& pictures)
{
    std::vector<CalcPicture> found;
    for (const TextPicture& picture : pictures) {
        if (picture.state == PictureState::Found)
            found.push_back({lowerCase(picture.name), {}, picture.bitmap});
    }
    return found;
}

const MonoBitmap* foundPicture(const std::vector<TextPicture>& pictures, std::string_view name)
{
    const std::string key = lowerCase(name);
    for (const TextPicture& picture : pictures) {
        if (picture.state == PictureState::Found && lowerCase(picture.name) == key)
            return &picture.bitmap;
    }
    return nullptr;
}

}  // namespace tessaline
