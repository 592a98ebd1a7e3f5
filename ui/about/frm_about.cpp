#include "ui/about/frm_about.h"

#include "ui/app_state.h"
#include "ui/main/form1.h"

namespace tessaline {

frmAbout::frmAbout(AppState& state, QWidget* parent) : QDialog(parent), state_(state) {}

void Form1::about_Click() {}

}  // namespace tessaline
