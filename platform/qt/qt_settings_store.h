#pragma once
// The settings store over QSettings in the user scope: organisation = company key,
// application = application key, a section is a group.

#include <QSettings>
#include <QString>

#include "platform/settings_store.h"

namespace platform {

class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore(const QString& company, const QString& application);
    int readInt(const std::string& section, const std::string& name, int fallback) override;
    void writeInt(const std::string& section, const std::string& name, int value) override;
    std::string readText(const std::string& section, const std::string& name, const std::string& fallback) override;
    void writeText(const std::string& section, const std::string& name, const std::string& value) override;
    // Where the values are kept (a file on Linux).
    QString location() const { return settings_.fileName(); }

private:
    QSettings settings_;
};

}  // namespace platform
