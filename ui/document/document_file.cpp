#include "ui/document/document_file.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "formats/book/book_reader.h"
#include "formats/calc_text_file.h"
#include "formats/path_check.h"
#include "formats/rtf.h"
#include "formats/text_file.h"
#include "ui/calculator/picture_list.h"
#include "ui/document/safe_save.h"

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

const QString kCancelled = QStringLiteral("Opening was cancelled.");

// Thrown from a book reader's progress when the read is cancelled.
struct ReadCancelled {};

bool isCancelled(const ReadingSteps& steps) { return steps.cancelled && steps.cancelled->load(); }

void tell(const ReadingSteps& steps, int percent)
{
    if (steps.progress)
        steps.progress(percent);
}

// Reads `bytes` as the book of kind `kind`, with the pictures of an HTML or
// Markdown file taken from the folder of `path`.
std::optional<DocumentContent> readBookDocument(book::BookKind kind, std::string_view bytes, const QString& path,
                                                QString* error, const ReadingSteps& steps)
{
    const std::string folder = QFile::encodeName(QFileInfo(path).absolutePath()).toStdString();
    book::BookOptions options;
    options.progress = [&steps](std::size_t done, std::size_t total) {
        if (isCancelled(steps))
            throw ReadCancelled();
        if (total > 0)
            tell(steps, 50 + static_cast<int>(done * 50 / total));
    };
    book::BookText text;
    try {
        text = book::readBook(kind, bytes, folder, options);
    } catch (const ReadCancelled&) {
        setError(error, kCancelled);
        return std::nullopt;
    }
    if (!text.ok) {
        setError(error,
                 text.error.empty() ? QStringLiteral("The book cannot be read.") : QString::fromStdString(text.error));
        return std::nullopt;
    }
    DocumentContent document;
    document.codes = std::move(text.codes);
    document.replaced = text.replaced;
    document.warning = QString::fromStdString(text.warning);
    for (book::BookPicture& picture : text.pictures)
        document.pictures.push_back(
            {std::move(picture.name), std::move(picture.bytes), QFile::encodeName(path).toStdString()});
    return document;
}

}  // namespace

std::optional<DocumentContent> readDocument(const QString& path, QString* error, const ReadingSteps& steps)
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
        if (isCancelled(steps)) {
            setError(error, kCancelled);
            return std::nullopt;
        }
        if (check.size > 0)
            tell(steps, static_cast<int>(std::min<std::uint64_t>(bytes.size() * std::uint64_t{50} / check.size, 50)));
    }
    file.close();

    std::optional<DocumentContent> document;
    if (const book::BookKind kind = book::bookKind(QFile::encodeName(QFileInfo(path).fileName()).toStdString(), bytes);
        kind != book::BookKind::None) {
        document = readBookDocument(kind, bytes, path, error, steps);
    } else {
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
        if (!decoded.ok) {
            setError(error, decoded.error.empty() ? QStringLiteral("The file is not a readable text.")
                                                  : QString::fromStdString(decoded.error));
            return std::nullopt;
        }
        document = DocumentContent{std::move(decoded.codes), decoded.fontSizePoints, decoded.replaced,
                                   QString::fromStdString(decoded.warning), std::move(pictures)};
    }
    std::string().swap(bytes);
    if (!document)
        return std::nullopt;
    if (isCancelled(steps)) {
        setError(error, kCancelled);
        return std::nullopt;
    }
    return document;
}

bool writeDocument(const QString& path, std::string_view codes, double fontSizePoints, QString* reason,
                   const std::atomic<bool>* cancelled)
{
    const std::string rtf = rtf::write(codes, fontSizePoints);
    if (cancelled && cancelled->load()) {
        setError(reason, QStringLiteral("Saving was cancelled."));
        return false;
    }
    return saveFileSafely(path, rtf, reason);
}

}  // namespace tessaline
