// Reading registry values and finding the system-information tool, over an
// in-memory registry with the program start and the message captured.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

#include "tests/ui/about/fake_registry.h"
#include "ui/about/sysinfo.h"
#include "ui/app_state.h"

namespace tessaline {
namespace {

using testing::FakeRegistry;

const std::string kPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

QString read(FakeRegistry& registry, const std::string& key, const std::string& name, bool* found,
             QString start = QString())
{
    QString value = start;
    *found = readRegistryValue(registry, 0x80000002, QString::fromStdString(key), QString::fromStdString(name), value);
    return value;
}

TEST(ReadRegistryValue, ReadsStringsWithTheTrailingNulDropped)
{
    FakeRegistry registry;
    registry.setString("Soft\\Key", "PATH", "C:\\Tools\\tool.exe");
    registry.set("Soft\\Key", "Bare", 1, {'a', 'b', 'c'});
    registry.set("Soft\\Key", "OneNul", 1, {0});
    bool found = false;

    EXPECT_EQ(read(registry, "Soft\\Key", "PATH", &found, "old"), "C:\\Tools\\tool.exe");
    EXPECT_TRUE(found);
    // Without a closing NUL every byte is kept.
    EXPECT_EQ(read(registry, "Soft\\Key", "Bare", &found), "abc");
    EXPECT_TRUE(found);
    // A value that is only its NUL reads as the empty text, found.
    EXPECT_EQ(read(registry, "Soft\\Key", "OneNul", &found, "old"), "");
    EXPECT_TRUE(found);

    ASSERT_EQ(registry.opens.size(), 3u);
    for (const auto& open : registry.opens) {
        EXPECT_EQ(open.root, 0x80000002u);
        EXPECT_EQ(open.subKey, "Soft\\Key");
        EXPECT_EQ(open.access, 0x2003Fu);
    }
    for (std::uint32_t size : registry.bufferSizes)
        EXPECT_EQ(size, 1024u);
    EXPECT_EQ(registry.closes, 3);
    EXPECT_EQ(registry.keysLeftOpen(), 0u);
}

TEST(ReadRegistryValue, ReadsNumbersAsHexMostSignificantFirst)
{
    FakeRegistry registry;
    registry.set("K", "Hex105", 4, {0x05, 0x01, 0x00, 0x00});
    registry.set("K", "Full", 4, {0x78, 0x56, 0x34, 0x12});
    registry.set("K", "Small", 4, {0x0A, 0x00, 0x00, 0x00});
    registry.set("K", "Letters", 4, {0xEF, 0xBE, 0xAD, 0xDE});
    bool found = false;

    // The zero top byte goes by the NUL rule; every other byte gives two digits.
    EXPECT_EQ(read(registry, "K", "Hex105", &found, "old"), "&h000105");
    EXPECT_TRUE(found);
    EXPECT_EQ(read(registry, "K", "Full", &found), "&h12345678");
    EXPECT_EQ(read(registry, "K", "Small", &found), "&h00000A");
    EXPECT_EQ(read(registry, "K", "Letters", &found), "&hDEADBEEF");
    EXPECT_TRUE(found);
    EXPECT_EQ(registry.keysLeftOpen(), 0u);
}

TEST(ReadRegistryValue, OtherTypesCountAsReadButLeaveTheTextAlone)
{
    FakeRegistry registry;
    registry.set("K", "Expand", 2, {'%', 'x', '%', 0});
    registry.set("K", "Binary", 3, {1, 2, 3});
    registry.set("K", "Multi", 7, {'a', 0, 'b', 0, 0});
    bool found = false;

    EXPECT_EQ(read(registry, "K", "Expand", &found, "kept"), "kept");
    EXPECT_TRUE(found);
    EXPECT_EQ(read(registry, "K", "Binary", &found, ""), "");
    EXPECT_TRUE(found);
    EXPECT_EQ(read(registry, "K", "Multi", &found, "also kept"), "also kept");
    EXPECT_TRUE(found);
    EXPECT_EQ(registry.closes, 3);
}

TEST(ReadRegistryValue, FailuresGiveTheEmptyTextAndCloseWhatWasOpened)
{
    FakeRegistry registry;
    registry.addKey("Empty");
    registry.set("Big", "Large", 1, std::vector<unsigned char>(1025, 'x'));
    std::vector<unsigned char> fits(1024, 'y');
    fits.back() = 0;
    registry.set("Big", "Fits", 1, fits);
    bool found = true;

    // A key that does not open: nothing to close.
    EXPECT_EQ(read(registry, "Missing", "PATH", &found, "old"), "");
    EXPECT_FALSE(found);
    EXPECT_EQ(registry.closes, 0);
    EXPECT_TRUE(registry.queries.empty());

    // No such value.
    found = true;
    EXPECT_EQ(read(registry, "Empty", "PATH", &found, "old"), "");
    EXPECT_FALSE(found);
    EXPECT_EQ(registry.closes, 1);

    // Larger than the 1024-byte buffer.
    found = true;
    EXPECT_EQ(read(registry, "Big", "Large", &found, "old"), "");
    EXPECT_FALSE(found);
    EXPECT_EQ(registry.closes, 2);

    // Exactly the buffer: read whole, less its NUL.
    EXPECT_EQ(read(registry, "Big", "Fits", &found), QString(1023, QLatin1Char('y')));
    EXPECT_TRUE(found);
    EXPECT_EQ(registry.keysLeftOpen(), 0u);
}

TEST(ReadRegistryValue, ZeroSizeIsAnErrorAndOverstatedSizesStayInTheBuffer)
{
    FakeRegistry registry;
    registry.set("K", "Zero", 1, {});
    QString value = "old";
    EXPECT_THROW(readRegistryValue(registry, 0x80000002, "K", "Zero", value), EmptyRegistryValue);
    // The key is closed on the error route too.
    EXPECT_EQ(registry.closes, 1);
    EXPECT_EQ(registry.keysLeftOpen(), 0u);

    // A registry that claims more bytes than the buffer holds: only the
    // buffer's 1024 bytes are used (the last, a NUL, dropped).
    registry.setString("K", "Text", "abc");
    registry.overstateSizeBy = 5000;
    bool found = false;
    value = read(registry, "K", "Text", &found);
    EXPECT_TRUE(found);
    EXPECT_EQ(value.size(), 1023);
    EXPECT_TRUE(value.startsWith("abc"));
}

// The lookup's platform, recorded.
// Message boxes that keep (title, text) of each message.
class PairedMessages : public MessageBoxes {
public:
    explicit PairedMessages(std::vector<std::pair<QString, QString>>& messages) : messages_(messages) {}
    void show(QWidget*, Icon, const QString& title, const QString& text) override
    {
        messages_.emplace_back(title, text);
    }

private:
    std::vector<std::pair<QString, QString>>& messages_;
};

struct Recorder {
    std::shared_ptr<FakeRegistry> registry = std::make_shared<FakeRegistry>();
    std::vector<QString> started;
    std::vector<QString> existsAsked;
    std::vector<std::pair<QString, QString>> messages;
    QStringList existingFiles;
    bool startSucceeds = true;
    bool startThrows = false;

    SysInfoServices services()
    {
        SysInfoServices s;
        s.registry = registry;
        s.fileExists = [this](const QString& path) {
            existsAsked.push_back(path);
            return existingFiles.contains(path);
        };
        s.startProgram = [this](const QString& path) {
            started.push_back(path);
            if (startThrows)
                throw std::runtime_error("start failed");
            return startSucceeds && !path.isEmpty();
        };
        s.messages = std::make_shared<PairedMessages>(messages);
        return s;
    }
    bool triedSecondLocation() const
    {
        for (const auto& open : registry->opens)
            if (open.subKey == kFolderKey)
                return true;
        return false;
    }
    void expectMessage() const
    {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].first, applicationTitle());
        EXPECT_EQ(messages[0].second, "System Information Is Unavailable At This Time");
    }
};

TEST(StartSysInfo, TheRegisteredPathIsStartedAsItStands)
{
    Recorder r;
    r.registry->setString(kPathKey, "PATH", "C:\\No Such Folder\\msinfo32.exe");
    r.registry->setString(kFolderKey, "MSINFO", "C:\\Tools");
    startSysInfo(r.services(), nullptr);
    ASSERT_EQ(r.started.size(), 1u);
    EXPECT_EQ(r.started[0], "C:\\No Such Folder\\msinfo32.exe");
    EXPECT_TRUE(r.existsAsked.empty());  // no test whether it exists
    EXPECT_TRUE(r.messages.empty());
    EXPECT_FALSE(r.triedSecondLocation());
    ASSERT_FALSE(r.registry->opens.empty());
    EXPECT_EQ(r.registry->opens[0].root, 0x80000002u);
    EXPECT_EQ(r.registry->opens[0].access, 0x2003Fu);
    EXPECT_EQ(r.registry->queries[0], "PATH");

    // A start that fails (reported or thrown) shows the message instead.
    Recorder failing;
    failing.registry->setString(kPathKey, "PATH", "C:\\bad.exe");
    failing.startSucceeds = false;
    startSysInfo(failing.services(), nullptr);
    EXPECT_EQ(failing.started.size(), 1u);
    failing.expectMessage();
    EXPECT_FALSE(failing.triedSecondLocation());

    Recorder throwing;
    throwing.registry->setString(kPathKey, "PATH", "C:\\bad.exe");
    throwing.startThrows = true;
    startSysInfo(throwing.services(), nullptr);
    throwing.expectMessage();
}

TEST(StartSysInfo, TheRegisteredFolderIsUsedOnlyWhenItHoldsTheTool)
{
    Recorder r;
    r.registry->setString(kFolderKey, "MSINFO", "C:\\Shared\\MSInfo");
    r.existingFiles << "C:\\Shared\\MSInfo\\MSINFO32.EXE";
    startSysInfo(r.services(), nullptr);
    ASSERT_EQ(r.existsAsked.size(), 1u);
    EXPECT_EQ(r.existsAsked[0], "C:\\Shared\\MSInfo\\MSINFO32.EXE");
    ASSERT_EQ(r.started.size(), 1u);
    EXPECT_EQ(r.started[0], "C:\\Shared\\MSInfo\\MSINFO32.EXE");
    EXPECT_TRUE(r.messages.empty());
    // The first location was asked first, then the second.
    ASSERT_EQ(r.registry->opens.size(), 2u);
    EXPECT_EQ(r.registry->opens[0].subKey, kPathKey);
    EXPECT_EQ(r.registry->opens[1].subKey, kFolderKey);
    EXPECT_EQ(r.registry->opens[1].access, 0x2003Fu);
    EXPECT_EQ(r.registry->queries.back(), "MSINFO");

    Recorder noFile;
    noFile.registry->setString(kFolderKey, "MSINFO", "C:\\Shared\\MSInfo");
    startSysInfo(noFile.services(), nullptr);
    EXPECT_EQ(noFile.existsAsked.size(), 1u);
    EXPECT_TRUE(noFile.started.empty());
    noFile.expectMessage();

    Recorder nothing;
    startSysInfo(nothing.services(), nullptr);
    EXPECT_TRUE(nothing.started.empty());
    EXPECT_TRUE(nothing.existsAsked.empty());
    EXPECT_TRUE(nothing.triedSecondLocation());
    nothing.expectMessage();

    // A first-location value too large to read counts as absent.
    Recorder tooLarge;
    tooLarge.registry->set(kPathKey, "PATH", 1, std::vector<unsigned char>(2000, 'x'));
    tooLarge.registry->setString(kFolderKey, "MSINFO", "D:\\Info");
    tooLarge.existingFiles << "D:\\Info\\MSINFO32.EXE";
    startSysInfo(tooLarge.services(), nullptr);
    ASSERT_EQ(tooLarge.started.size(), 1u);
    EXPECT_EQ(tooLarge.started[0], "D:\\Info\\MSINFO32.EXE");
}

TEST(StartSysInfo, OddFirstLocationValuesEndInTheMessageWithoutTheSecond)
{
    // Another type counts as found with an empty path, which cannot start.
    Recorder other;
    other.registry->set(kPathKey, "PATH", 2, {'%', 'x', '%', 0});
    other.registry->setString(kFolderKey, "MSINFO", "C:\\Tools");
    other.existingFiles << "C:\\Tools\\MSINFO32.EXE";
    startSysInfo(other.services(), nullptr);
    ASSERT_EQ(other.started.size(), 1u);
    EXPECT_EQ(other.started[0], "");
    EXPECT_FALSE(other.triedSecondLocation());
    other.expectMessage();

    // Size 0 is the error route: nothing started, the second location untried.
    Recorder empty;
    empty.registry->set(kPathKey, "PATH", 1, {});
    empty.registry->setString(kFolderKey, "MSINFO", "C:\\Tools");
    empty.existingFiles << "C:\\Tools\\MSINFO32.EXE";
    startSysInfo(empty.services(), nullptr);
    EXPECT_TRUE(empty.started.empty());
    EXPECT_FALSE(empty.triedSecondLocation());
    EXPECT_EQ(empty.registry->keysLeftOpen(), 0u);
    empty.expectMessage();

    // Size 0 at the second location takes the same route.
    Recorder emptyFolder;
    emptyFolder.registry->set(kFolderKey, "MSINFO", 1, {});
    startSysInfo(emptyFolder.services(), nullptr);
    EXPECT_TRUE(emptyFolder.started.empty());
    EXPECT_TRUE(emptyFolder.existsAsked.empty());
    emptyFolder.expectMessage();
}

TEST(StartSysInfo, ThePlatformOperations)
{
    SysInfoServices platform = platformSysInfoServices();
    ASSERT_TRUE(platform.registry);
    ASSERT_TRUE(platform.fileExists);
    ASSERT_TRUE(platform.startProgram);
    ASSERT_TRUE(platform.messages);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("MSINFO32.EXE");
    QFile created(file);
    ASSERT_TRUE(created.open(QIODevice::WriteOnly));
    created.close();
    EXPECT_TRUE(platform.fileExists(file));
    EXPECT_FALSE(platform.fileExists(dir.filePath("missing.exe")));
    EXPECT_FALSE(platform.fileExists(dir.path()));  // a folder is no file

    // Starting nothing, or a file that is no program, fails.
    EXPECT_FALSE(platform.startProgram(QString()));
    EXPECT_FALSE(platform.startProgram(dir.filePath("missing.exe")));

#ifndef _WIN32
    // Without a registry no key opens, so the button ends in the message.
    Registry::Handle key = 0;
    EXPECT_FALSE(platform.registry->openKey(0x80000002, kPathKey, 0x2003F, key));
    std::vector<std::pair<QString, QString>> messages;
    platform.messages = std::make_shared<PairedMessages>(messages);
    bool startAsked = false;
    platform.startProgram = [&](const QString&) {
        startAsked = true;
        return true;
    };
    startSysInfo(platform, nullptr);
    EXPECT_FALSE(startAsked);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].second, "System Information Is Unavailable At This Time");
#endif
}

}  // namespace
}  // namespace tessaline
