#include "ui/main/form1.h"

namespace tessaline {

void Form1::load_Click() {}
void Form1::save_Click() {}

}  // namespace tessaline
