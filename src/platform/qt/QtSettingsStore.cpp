#include "platform/qt/QtSettingsStore.h"

#include "platform/qt/QtText.h"

#include <QSettings>
#include <QString>

#include <cstdlib>

namespace ravelin {

namespace {

QString settingKey(std::string_view section, std::string_view key) { return latin1(section) + '/' + latin1(key); }

} // namespace

QtSettingsStore::QtSettingsStore(std::filesystem::path configFolder) : m_folder(std::move(configFolder))
{
    if (!m_folder.empty())
        return;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        m_folder = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        m_folder = std::filesystem::path(home) / ".config";
    else
        m_folder = std::filesystem::temp_directory_path();
}

std::filesystem::path QtSettingsStore::fileFor(std::string_view app) const
{
    std::string name(app);
    return m_folder / name / (name + ".ini");
}

std::string QtSettingsStore::getSetting(std::string_view app, std::string_view section, std::string_view key,
                                        std::string_view fallback)
{
    QSettings settings(QString::fromStdString(fileFor(app).string()), QSettings::IniFormat);
    QVariant value = settings.value(settingKey(section, key));
    if (!value.isValid())
        return std::string(fallback);
    return latin1Bytes(value.toString());
}

void QtSettingsStore::saveSetting(std::string_view app, std::string_view section, std::string_view key,
                                  std::string_view value)
{
    QSettings settings(QString::fromStdString(fileFor(app).string()), QSettings::IniFormat);
    settings.setValue(settingKey(section, key), latin1(value));
    settings.sync();
}

} // namespace ravelin
