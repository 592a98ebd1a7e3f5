// The dialogs every window opens through: the real ones in the program, fakes
// in tests. The windows share one Dialogs object, so a replacement reaches
// windows that already exist.
#pragma once

#include <memory>

#include "ui/file_dialogs.h"
#include "ui/message_boxes.h"

namespace tessaline {

struct Dialogs {
    std::shared_ptr<FileDialogs> files = std::make_shared<QtFileDialogs>();
    std::shared_ptr<MessageBoxes> messages = std::make_shared<QtMessageBoxes>();
};

}  // namespace tessaline
