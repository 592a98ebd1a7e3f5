#include "ui/main/form1.h"

#include <QCloseEvent>

#include "ui/app_state.h"
#include "ui/file_dialogs.h"
#include "ui/about/frm_about.h"
#include "ui/main/rich_text_box.h"
#include "ui/output/form2.h"

namespace tessaline {

Form1::Form1(AppState& state, QWidget* parent)
    : QMainWindow(parent), state_(state), dialogs_(std::make_shared<QtFileDialogs>())
{
    client_ = new QWidget(this);
    setCentralWidget(client_);
    Text1 = new RichTextBox(client_);
}

Form1::~Form1() = default;

Form2* Form1::outputWindow() const { return form2_; }
frmAbout* Form1::aboutBox() const { return aboutBox_; }

void Form1::setFileDialogs(std::shared_ptr<FileDialogs> dialogs) { dialogs_ = std::move(dialogs); }
FileDialogs& Form1::fileDialogs() { return *dialogs_; }
void Form1::setOuterHeightTwips(int) {}
void Form1::buildControls() {}
void Form1::buildMenus() {}
void Form1::Form_Load() {}
void Form1::Combo1_Click() {}
void Form1::Check1_Click() {}
void Form1::quit_Click() {}
void Form1::Form_Unload() {}
void Form1::closeEvent(QCloseEvent* event) { event->accept(); }

}  // namespace tessaline
