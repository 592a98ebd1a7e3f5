// Shows one calculator screen, every pixel a square of `zoom` device-
// independent pixels, drawn without smoothing so the pixels stay crisp.
#pragma once

#include <QImage>
#include <QWidget>

namespace tessaline::screen {
class ScreenImage;
}

namespace tessaline {

class ScreenView : public QWidget {
    Q_OBJECT
public:
    explicit ScreenView(QWidget* parent);

    void setScreen(const screen::ScreenImage& screen);
    void setZoom(int zoom);
    int zoom() const { return zoom_; }
    // The screen at 1:1, one image pixel per calculator pixel.
    const QImage& image() const { return image_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    int zoom_ = 1;
};

}  // namespace tessaline
