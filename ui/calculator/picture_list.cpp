#include "ui/calculator/picture_list.h"

#include <QFile>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaline {

QImage monoImage(const MonoBitmap& bitmap)
{
    QImage image(bitmap.width, bitmap.height, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});  // a set bit is ink
    for (int y = 0; y < bitmap.height; ++y)
        std::copy_n(bitmap.rows.begin() + static_cast<std::ptrdiff_t>(y) * bitmap.rowBytes(), bitmap.rowBytes(),
                    image.scanLine(y));
    return image;
}

PictureList::PictureList(QWidget* parent, std::string codes, PictureSources sources, ImageChooser chooser,
                         Calculator calculator)
    : QWidget(parent), codes_(std::move(codes)), sources_(std::move(sources)), chooser_(std::move(chooser)),
      calculator_(calculator)
{
    setObjectName(QStringLiteral("pictureList"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("pictureSummary"));
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    auto* rows = new QWidget(this);
    grid_ = new QGridLayout(rows);
    grid_->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(rows);
    refresh();
}

void PictureList::setCalculator(Calculator calculator)
{
    if (calculator == calculator_)
        return;
    calculator_ = calculator;
    refresh();
}

int PictureList::missingCount() const
{
    int missing = 0;
    for (const TextPicture& picture : pictures_)
        missing += picture.state != PictureState::Found;
    return missing;
}

void PictureList::useImage(const QString& name, const QString& path)
{
    PictureImage image;
    image.name = name.toStdString();
    image.origin = QFile::encodeName(path).toStdString();
    std::string error;
    if (!readImageFile(image.origin, image.bytes, error))
        image.bytes.clear();  // converting nothing says the image is unreadable
    std::erase_if(sources_.images, [&](const PictureImage& old) { return old.name == image.name; });
    sources_.images.insert(sources_.images.begin(), std::move(image));
    refresh();
}

void PictureList::choose(const QString& name)
{
    if (!chooser_)
        return;
    if (const std::optional<QString> path = chooser_(this, name))
        useImage(name, *path);
}

void PictureList::refresh()
{
    pictures_ = findTextPictures(codes_, sources_.folder, sources_.images, {calculator_});
    while (QLayoutItem* item = grid_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const int missing = missingCount();
    const int count = static_cast<int>(pictures_.size());
    summary_->setText(missing == 0 ? QStringLiteral("The text shows %1 picture%2, all found.")
                                         .arg(count)
                                         .arg(count == 1 ? QString() : QStringLiteral("s"))
                                   : QStringLiteral("The text shows %1 picture%2; %3 missing: the text goes "
                                                    "without %4, or choose an image.")
                                         .arg(count)
                                         .arg(count == 1 ? QString() : QStringLiteral("s"))
                                         .arg(missing == count ? QStringLiteral("all") : QString::number(missing))
                                         .arg(missing == 1 ? QStringLiteral("it") : QStringLiteral("them")));
    for (int row = 0; row < count; ++row) {
        const TextPicture& picture = pictures_[static_cast<std::size_t>(row)];
        const QString name = QString::fromStdString(picture.name);
        auto* preview = new QLabel(this);
        preview->setObjectName(QStringLiteral("picturePreview"));
        if (picture.state == PictureState::Found) {
            preview->setPixmap(QPixmap::fromImage(monoImage(picture.bitmap)));
            preview->setFrameShape(QFrame::Box);
        }
        auto* state = new QLabel(this);
        state->setObjectName(QStringLiteral("pictureState"));
        state->setWordWrap(true);
        state->setTextFormat(Qt::PlainText);
        if (picture.state == PictureState::Found)
            state->setText(QStringLiteral("%1: %2 x %3 pixels, from %4")
                               .arg(name)
                               .arg(picture.bitmap.width)
                               .arg(picture.bitmap.height)
                               .arg(QFile::decodeName(picture.origin.c_str())));
        else
            state->setText(QStringLiteral("%1: missing. %2").arg(name, QString::fromStdString(picture.message)));
        grid_->addWidget(preview, row, 0);
        grid_->addWidget(state, row, 1);
        if (picture.state != PictureState::BadName) {
            auto* button = new QPushButton(QStringLiteral("Choose Image…"), this);
            button->setObjectName(QStringLiteral("chooseImage"));
            connect(button, &QPushButton::clicked, this, [this, name] { choose(name); });
            grid_->addWidget(button, row, 2);
        }
    }
    grid_->setColumnStretch(1, 1);
    emit picturesChanged();
}

}  // namespace tessaline
