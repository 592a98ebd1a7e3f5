#include "ui/about/sysinfo.h"

#include <QFileInfo>
#include <QProcess>
#include <QWidget>
#include <algorithm>
#include <array>

#include "ui/app_state.h"

namespace tessaline {

SysInfoServices platformSysInfoServices()
{
    SysInfoServices services;
    services.registry = platformRegistry();
    services.fileExists = [](const QString& path) { return QFileInfo(path).isFile(); };
    services.startProgram = [](const QString& path) {
        // The path is the program itself, not a command line to be split.
        return !path.isEmpty() && QProcess::startDetached(path, {});
    };
    services.messages = std::make_shared<QtMessageBoxes>();
    return services;
}

bool readRegistryValue(Registry& registry, std::uint32_t root, const QString& keyName, const QString& valueName,
                       QString& value)
{
    Registry::Handle key = 0;
    if (!registry.openKey(root, keyName.toLocal8Bit().toStdString(), kSysInfoKeyAccess, key)) {
        value.clear();
        return false;
    }

    std::array<unsigned char, kValueBufferSize> buffer{};
    std::uint32_t type = 0;
    std::uint32_t size = kValueBufferSize;
    if (!registry.queryValue(key, valueName.toLocal8Bit().toStdString(), type, buffer.data(), size)) {
        value.clear();
        registry.closeKey(key);
        return false;
    }

    // Only the bytes the registry returned, and never more than the buffer.
    std::size_t kept = std::min<std::size_t>(size, buffer.size());
    if (kept == 0) {
        registry.closeKey(key);
        throw EmptyRegistryValue();
    }
    if (buffer[kept - 1] == 0)
        --kept;

    if (type == kRegTypeString) {
        value = QString::fromLocal8Bit(reinterpret_cast<const char*>(buffer.data()), static_cast<qsizetype>(kept));
    } else if (type == kRegTypeNumber) {
        static constexpr char digits[] = "0123456789ABCDEF";
        QString hex = QStringLiteral("&h");
        for (std::size_t i = kept; i > 0; --i) {
            hex += QLatin1Char(digits[buffer[i - 1] >> 4]);
            hex += QLatin1Char(digits[buffer[i - 1] & 0x0F]);
        }
        value = hex;
    }

    registry.closeKey(key);
    return true;
}

namespace {

// Finds the tool and starts it; false (or an exception) when that fails.
bool startTool(const SysInfoServices& services)
{
    if (!services.registry)
        return false;
    QString path;
    // The registered path is started as it stands, whether or not it exists.
    if (readRegistryValue(*services.registry, kHKeyLocalMachine, QString::fromLatin1(kSysInfoPathKey),
                          QString::fromLatin1(kSysInfoPathValue), path))
        return services.startProgram(path);
    if (!readRegistryValue(*services.registry, kHKeyLocalMachine, QString::fromLatin1(kSysInfoFolderKey),
                           QString::fromLatin1(kSysInfoFolderValue), path))
        return false;
    const QString joined = path + QString::fromLatin1(kSysInfoFileName);
    if (!services.fileExists(joined))
        return false;
    return services.startProgram(joined);
}

}  // namespace

void startSysInfo(const SysInfoServices& services, QWidget* messageParent)
{
    bool started = false;
    try {
        started = startTool(services);
    } catch (...) {
        // Every error on the way ends in the one message below.
        started = false;
    }
    if (!started && services.messages)
        services.messages->show(messageParent, MessageBoxes::Icon::None, applicationTitle(),
                                QString::fromLatin1(kSysInfoUnavailable));
}

}  // namespace tessaline
