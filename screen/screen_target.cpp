#include "screen/screen_target.h"

namespace tessaline::screen {

namespace {

// The Text Editor's line length on the TI-89 (the presets' "23chars").
constexpr int kTi89EditorColumns = 23;

}  // namespace

ScreenTarget targetFor(const LineSettings& settings)
{
    ScreenTarget target;
    target.lineLimit = settings.lineLimit;
    target.widths = settings.charWidths;
    if (settings.measureInPixels) {
        target.kind = LayoutKind::Reader;
        target.size = settings.lineLimit <= kTi89Screen.width ? kTi89Screen : kTi92PlusScreen;
    } else {
        target.kind = LayoutKind::TextEditor;
        target.size = settings.lineLimit <= kTi89EditorColumns ? kTi89Screen : kTi92PlusScreen;
    }
    return target;
}

}  // namespace tessaline::screen
