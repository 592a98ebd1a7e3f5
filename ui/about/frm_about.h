// The about box.
#pragma once

#include <QDialog>

namespace tessaline {

struct AppState;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(AppState& state, QWidget* parent = nullptr);

private:
    AppState& state_;
};

}  // namespace tessaline
