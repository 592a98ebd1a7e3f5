// Build helper: renders the output window during a PROCESS run and after it
// to PNG files, on the offscreen platform. Not installed.
//   output_window_shots PROCESSING.png DONE.png [TEXT-FILE]
#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/app_state.h"
#include "ui/main/form1.h"
#include "ui/main/rich_text_box.h"
#include "ui/output/form2.h"

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fputs("usage: output_window_shots PROCESSING.png DONE.png [TEXT-FILE]\n", stderr);
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaline"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    std::string text;
    if (argc == 4) {
        QFile file(QString::fromLocal8Bit(argv[3]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "output_window_shots: cannot read %s\n", argv[3]);
            return 1;
        }
        const QByteArray bytes = file.readAll();
        text.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    } else {
        text = "The lamp at the end of the pier had burned every night for forty years.\r\n";
    }

    tessaline::AppState state;
    tessaline::Form1 form(state);
    form.show();
    form.Text1->setText(text);
    tessaline::Form2* window = form.ensureOutputWindow();

    // The processing state, caught when the run is 40 % through the text.
    QPixmap processing;
    window->onProcessCharacter = [&](std::int64_t charPos) {
        if (processing.isNull() && charPos * 10 >= static_cast<std::int64_t>(text.size()) * 4) {
            QApplication::processEvents();
            processing = window->grab();
        }
    };
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QApplication::processEvents();
    const QPixmap done = window->grab();

    if (processing.isNull() || !processing.save(QString::fromLocal8Bit(argv[1]), "PNG")
        || !done.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fputs("output_window_shots: cannot write the pictures\n", stderr);
        return 1;
    }
    return 0;
}
