#include "ui/preview/screen_view.h"

#include <QPainter>

#include "screen/screen_image.h"

namespace tessaline {

namespace {

QRgb rgbOf(screen::Pixel pixel)
{
    const screen::Rgb color = screen::colorOf(pixel);
    return qRgb(color.red, color.green, color.blue);
}

}  // namespace

ScreenView::ScreenView(QWidget* parent) : QWidget(parent) { setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed); }

void ScreenView::setScreen(const screen::ScreenImage& screen)
{
    QImage image(screen.width(), screen.height(), QImage::Format_Indexed8);
    image.setColorTable({rgbOf(screen::Pixel::Paper), rgbOf(screen::Pixel::Ink), rgbOf(screen::Pixel::Marked)});
    for (int y = 0; y < screen.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < screen.width(); ++x)
            line[x] = static_cast<uchar>(screen.at(x, y));
    }
    const bool resized = image.size() != image_.size();
    image_ = std::move(image);
    if (resized)
        setFixedSize(sizeHint());
    update();
}

void ScreenView::setZoom(int zoom)
{
    zoom_ = zoom;
    setFixedSize(sizeHint());
    update();
}

QSize ScreenView::sizeHint() const { return image_.size() * zoom_; }

void ScreenView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(QPoint(0, 0), image_.size() * zoom_), image_);
}

}  // namespace tessaline
