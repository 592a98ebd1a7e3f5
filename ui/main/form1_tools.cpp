#include "ui/main/form1.h"

namespace tessaline {

void Form1::insertCommandLine(const std::string&) {}
void Form1::Command2_Click() {}
void Form1::Command3_Click() {}
void Form1::Command4_Click() {}
void Form1::Command5_Click(int) {}
void Form1::Command6_Click() {}
void Form1::Command7_Click() {}
void Form1::Check2_Click() {}
void Form1::Check3_Click() {}
void Form1::wrap_Click() {}

}  // namespace tessaline
