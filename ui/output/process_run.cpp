#include "ui/main/form1.h"
#include "ui/output/form2.h"

namespace tessaline {

Form2* Form1::ensureOutputWindow()
{
    if (!form2_)
        form2_ = new Form2(*this, state_);
    return form2_;
}

void Form1::Command1_Click() {}

}  // namespace tessaline
