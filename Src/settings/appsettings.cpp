#include "settings/appsettings.h"

#include <memory>

ConfigSettings* configSettings = nullptr;
QString hotKeyShowAndHide;
bool formCursorPos = false;
bool formOpenThenHide = false;
bool formSettingsOpen = false;

namespace {
// Lives until the process ends, as the one settings object must.
std::unique_ptr<ConfigSettings> settingsHolder;
} // namespace

void loadSettings(const QString& path) {
    settingsHolder = std::make_unique<ConfigSettings>(path);
    configSettings = settingsHolder.get();
    formCursorPos = configSettings->value(settingkeys::formCursorPos, false).toBool();
    formOpenThenHide = configSettings->value(settingkeys::formOpenThenHide, false).toBool();
}

QSize storedWindowSize() {
    if (!configSettings)
        return QSize();
    const int height = configSettings->value(settingkeys::formHeight, 0).toInt();
    const int width = configSettings->value(settingkeys::formWidth, 0).toInt();
    if (height <= 0 || width <= 0)
        return QSize();
    return QSize(width, height);
}
