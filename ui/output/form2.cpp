#include "ui/output/form2.h"

#include "ui/app_state.h"
#include "ui/main/form1.h"

namespace tessaline {

Form2::Form2(Form1& owner, AppState& state) : QMainWindow(&owner, Qt::Window), owner_(owner), state_(state) {}

void Form2::Command1_Click() { state_.CancelRequested = true; }
void Form2::save_Click() {}
void Form2::copy_Click() {}

}  // namespace tessaline
