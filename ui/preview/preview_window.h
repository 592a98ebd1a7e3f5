// The "Calculator Screen" window: a processed text as the calculator shows
// it, one screen at a time (Page Up/Down, Home/End), at 1x to 4x zoom. Only
// the screen shown is drawn, so a long text opens at once.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "screen/mono_picture.h"
#include "screen/screen_target.h"

class QComboBox;
class QLabel;

namespace tessaline {

namespace screen {
class ScreenLayout;
}
class ScreenView;

class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    // A window of its own over `owner`, showing the first screen of
    // `codes` (the processed text) on `target`.
    PreviewWindow(QWidget* owner, std::string codes, const screen::ScreenTarget& target,
                  screen::PictureLookup pictures = {});
    ~PreviewWindow() override;

    int screenCount() const;
    int currentScreen() const { return current_; }  // 0-based
    // Shows screen `index`, kept within the first and the last.
    void showScreen(int index);

    static constexpr int kMaxZoom = 4;
    static constexpr int kDefaultZoom = 2;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void setZoom(int zoom);

    std::unique_ptr<screen::ScreenLayout> layout_;
    ScreenView* view_ = nullptr;
    QLabel* counter_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    int current_ = 0;
};

}  // namespace tessaline
