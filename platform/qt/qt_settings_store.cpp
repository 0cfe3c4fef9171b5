#include "platform/qt/qt_settings_store.h"

namespace platform {
namespace {

QString keyOf(const std::string& section, const std::string& name) {
    return QString::fromStdString(section) + "/" + QString::fromStdString(name);
}

}  // namespace

QtSettingsStore::QtSettingsStore(const QString& company, const QString& application)
    : settings_(QSettings::NativeFormat, QSettings::UserScope, company, application) {}

int QtSettingsStore::readInt(const std::string& section, const std::string& name, int fallback) {
    const QVariant value = settings_.value(keyOf(section, name));
    bool isNumber = false;
    const int number = value.toInt(&isNumber);
    return value.isValid() && isNumber ? number : fallback;
}

void QtSettingsStore::writeInt(const std::string& section, const std::string& name, int value) {
    settings_.setValue(keyOf(section, name), value);
    settings_.sync();
}

std::string QtSettingsStore::readText(const std::string& section, const std::string& name,
                                      const std::string& fallback) {
    const QVariant value = settings_.value(keyOf(section, name));
    return value.isValid() ? value.toString().toStdString() : fallback;
}

void QtSettingsStore::writeText(const std::string& section, const std::string& name, const std::string& value) {
    settings_.setValue(keyOf(section, name), QString::fromStdString(value));
    settings_.sync();
}

}  // namespace platform
