// The pictures a text's "_PIC" lines ask for, as the save and send dialogs
// list them: each found, with its picture at the calculator's scale, or
// missing with the reason, and a button to choose an image for it.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "formats/text_pictures.h"

class QGridLayout;
class QImage;
class QLabel;

namespace tessaline {

// `bitmap` as an image, ink black on white, one pixel a pixel.
QImage monoImage(const MonoBitmap& bitmap);

class PictureList : public QWidget {
    Q_OBJECT
public:
    // Asks for an image file for the picture named; nothing when cancelled.
    using ImageChooser = std::function<std::optional<QString>(QWidget* parent, const QString& name)>;

    PictureList(QWidget* parent, std::string codes, PictureSources sources, ImageChooser chooser,
                Calculator calculator);

    // The pictures are made again for the calculator's screen.
    void setCalculator(Calculator calculator);

    const std::vector<TextPicture>& entries() const { return pictures_; }
    // The pictures found, as variables.
    std::vector<CalcPicture> pictures() const { return foundPictures(pictures_); }
    // How many are not found.
    int missingCount() const;
    // The images at hand now, the ones chosen included.
    const PictureSources& sources() const { return sources_; }

    // Uses the image at `path` for the picture `name` (as a choice would).
    void useImage(const QString& name, const QString& path);

signals:
    void picturesChanged();

private:
    void refresh();
    void choose(const QString& name);

    std::string codes_;
    PictureSources sources_;
    ImageChooser chooser_;
    Calculator calculator_;
    std::vector<TextPicture> pictures_;
    QGridLayout* grid_ = nullptr;
    QLabel* summary_ = nullptr;
};

}  // namespace tessaline
