// Open Text and Save Text on the main window: the editor's content from and
// to a file, through the one dialog that remembers the last file name.
#include "ui/main/form1.h"

#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>

#include "ui/app_state.h"
#include "ui/file_dialogs.h"
#include "ui/main/rich_text_box.h"

namespace tessaline {

namespace {

const QString kTextFilter = QStringLiteral("Text (*.txt)");

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The wait cursor while a long file is read or written.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

void Form1::setMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }

void Form1::showMessage(const QString& title, const QString& text)
{
    if (messageSink_) {
        messageSink_(title, text);
        return;
    }
    QMessageBox::information(this, title, text);
}

void Form1::load_Click()
{
    const std::optional<QString> chosen =
        fileDialogs().openFileName(this, kTextFilter, state().lastFileName);
    if (!chosen)
        return;   // cancelled: nothing is read, the last name stays
    state().lastFileName = *chosen;

    QString error;
    std::size_t replaced = 0;
    bool loaded = false;
    {
        const BusyCursor busy;
        loaded = Text1->loadFile(*chosen, &error, &replaced);
    }
    if (!loaded) {
        showMessage(applicationTitle(),
                    QStringLiteral("Cannot open \"%1\".\n%2").arg(shownPath(*chosen), error));
        return;
    }
    if (replaced == 1) {
        showMessage(applicationTitle(),
                    QStringLiteral("1 character had no calculator code and was replaced."));
    } else if (replaced > 1) {
        showMessage(applicationTitle(),
                    QStringLiteral("%1 characters had no calculator code and were replaced.")
                        .arg(static_cast<qulonglong>(replaced)));
    }
}

void Form1::save_Click()
{
    const std::optional<QString> chosen =
        fileDialogs().saveFileName(this, kTextFilter, state().lastFileName);
    if (!chosen)
        return;   // cancelled: nothing is written, the last name stays
    state().lastFileName = *chosen;

    QString error;
    bool saved = false;
    {
        const BusyCursor busy;
        saved = Text1->saveFile(*chosen, &error);
    }
    if (!saved) {
        showMessage(applicationTitle(),
                    QStringLiteral("Cannot save \"%1\".\n%2").arg(shownPath(*chosen), error));
    }
}

}  // namespace tessaline
