#include "ui/document/document_file.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <cstdint>
#include <cstring>

#include "formats/calc_text_file.h"
#include "formats/path_check.h"
#include "formats/rtf.h"
#include "formats/text_file.h"
#include "ui/calculator/picture_list.h"
#include "ui/document/safe_save.h"
#include "ui/editor/paragraph_limit.h"

namespace tessaline {

namespace {

// Larger files are refused: a calculator text is a few kilobytes, and a file
// this size would only stall the editor.
constexpr qint64 kMaxFileBytes = qint64(256) * 1024 * 1024;

void setError(QString* error, const QString& why)
{
    if (error)
        *error = why;
}

}  // namespace

std::optional<DocumentContent> readDocument(const QString& path, QString* error)
{
    const PathCheck check = checkBeforeReading(QFile::encodeName(path).toStdString(),
                                               static_cast<std::uint64_t>(kMaxFileBytes), SpecialFiles::Refused);
    switch (check.problem) {
    case PathProblem::None:
        break;
    case PathProblem::NoName:
        setError(error, QStringLiteral("No file name was given."));
        return std::nullopt;
    case PathProblem::Folder:
        setError(error, QStringLiteral("This is a folder, not a file."));
        return std::nullopt;
    case PathProblem::SpecialFile:
        // A device or a pipe could block or never end.
        setError(error, QStringLiteral("This is not an ordinary file."));
        return std::nullopt;
    case PathProblem::TooLarge:
        setError(error, QStringLiteral("The file is larger than 256 MB."));
        return std::nullopt;
    case PathProblem::System:
        setError(error, QString::fromLocal8Bit(std::strerror(check.error)) + QLatin1Char('.'));
        return std::nullopt;
    case PathProblem::Missing:
    default:
        setError(error, QStringLiteral("The file does not exist."));
        return std::nullopt;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.errorString());
        return std::nullopt;
    }
    // Read in pieces up to the limit, so that a file that grows while it is
    // read (or a device without a size) cannot exhaust memory.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(check.size));
    char buffer[65536];
    for (;;) {
        const qint64 got = file.read(buffer, sizeof buffer);
        if (got < 0) {
            setError(error, file.errorString());
            return std::nullopt;
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (static_cast<qint64>(bytes.size()) > kMaxFileBytes) {
            setError(error, QStringLiteral("The file is larger than 256 MB."));
            return std::nullopt;
        }
    }
    file.close();

    std::vector<PictureImage> pictures;
    if (hasCalcFileSignature(bytes)) {
        for (const CalcPicture& picture : readCalcFile(bytes).pictures) {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            monoImage(picture.bitmap).save(&buffer, "PNG");
            pictures.push_back({picture.name, png.toStdString(), QFile::encodeName(path).toStdString()});
        }
    }
    DecodedText decoded = decodeTextFile(bytes);
    std::string().swap(bytes);
    if (!decoded.ok) {
        setError(error, decoded.error.empty() ? QStringLiteral("The file is not a readable text.")
                                              : QString::fromStdString(decoded.error));
        return std::nullopt;
    }
    if (const std::size_t longest = longestParagraph(decoded.codes); longest > kLongestEditorParagraph) {
        setError(error, longParagraphMessage(QStringLiteral("The file"), longest));
        return std::nullopt;
    }
    return DocumentContent{std::move(decoded.codes), decoded.fontSizePoints, decoded.replaced,
                           QString::fromStdString(decoded.warning), std::move(pictures)};
}

bool writeDocument(const QString& path, std::string_view codes, double fontSizePoints, QString* reason)
{
    return saveFileSafely(path, rtf::write(codes, fontSizePoints), reason);
}

}  // namespace tessaline
