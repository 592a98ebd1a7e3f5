// Loading and saving the whole content of the rich-text box.
#include "ui/widgets/rich_text_box.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <string>

#include "richtext/rtf.h"
#include "richtext/text_file.h"

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

bool RichTextBox::loadFile(const QString& path, QString* error, std::size_t* replaced)
{
    if (replaced)
        *replaced = 0;
    if (path.isEmpty()) {
        setError(error, QStringLiteral("No file name was given."));
        return false;
    }
    const QFileInfo info(path);
    if (!info.exists()) {
        setError(error, QStringLiteral("The file does not exist."));
        return false;
    }
    if (info.isDir()) {
        setError(error, QStringLiteral("This is a folder, not a file."));
        return false;
    }
    if (!info.isFile()) {
        // A device or a pipe could block or never end.
        setError(error, QStringLiteral("This is not an ordinary file."));
        return false;
    }
    if (info.size() > kMaxFileBytes) {
        setError(error, QStringLiteral("The file is larger than 256 MB."));
        return false;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.errorString());
        return false;
    }
    // Read in pieces up to the limit, so that a file that grows while it is
    // read (or a device without a size) cannot exhaust memory.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.size()));
    char buffer[65536];
    for (;;) {
        const qint64 got = file.read(buffer, sizeof buffer);
        if (got < 0) {
            setError(error, file.errorString());
            return false;
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (static_cast<qint64>(bytes.size()) > kMaxFileBytes) {
            setError(error, QStringLiteral("The file is larger than 256 MB."));
            return false;
        }
    }
    file.close();

    DecodedText decoded = decodeTextFile(bytes);
    if (!decoded.ok) {
        setError(error, decoded.error.empty() ? QStringLiteral("The file is not a readable text.")
                                              : QString::fromStdString(decoded.error));
        return false;
    }
    setText(decoded.codes);
    if (replaced)
        *replaced = decoded.replaced;
    return true;
}

bool RichTextBox::saveFile(const QString& path, QString* error) const
{
    if (path.isEmpty()) {
        setError(error, QStringLiteral("No file name was given."));
        return false;
    }
    const QFileInfo info(path);
    if (!info.dir().exists()) {
        setError(error, QStringLiteral("The folder %1 does not exist.")
                            .arg(QDir::toNativeSeparators(info.absolutePath())));
        return false;
    }
    const std::string document = rtf::write(text(), fontSize());

    // The document goes to a temporary file beside the target, which only a
    // successful commit renames over it: a failure leaves the old file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, file.errorString());
        return false;
    }
    const qint64 size = static_cast<qint64>(document.size());
    if (file.write(document.data(), size) != size) {
        setError(error, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        // A failed rename often comes without a reason of its own.
        QString why = file.errorString();
        if (why.isEmpty() || why == QLatin1String("Unknown error"))
            why = QStringLiteral("The new content could not be put in place of the file.");
        setError(error, why);
        return false;
    }
    return true;
}

}  // namespace tessaline
