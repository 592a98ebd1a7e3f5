#include <QApplication>

#include "ui/app_state.h"
#include "ui/main/form1.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tessaline");
    QApplication::setApplicationVersion("1.00");
    tessaline::AppState state;
    tessaline::Form1 window(state);
    window.show();
    return app.exec();
}
