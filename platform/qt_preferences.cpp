#include "platform/qt_preferences.h"

#include <QString>
#include <QVariant>

QtPreferenceStore::QtPreferenceStore()
    : settings_(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quillmere"),
                QStringLiteral("tarvessa")) {
    // What a damaged file gave is not to be trusted, nor kept.
    if (settings_.status() != QSettings::NoError) {
        settings_.clear();
    }
}

std::optional<std::string> QtPreferenceStore::value(const std::string& key) const {
    const QVariant value = settings_.value(QString::fromStdString(key));
    // A value written as a list (by hand, with a comma) is no value of ours.
    if (!value.isValid() || value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

void QtPreferenceStore::set_value(const std::string& key, const std::string& value) {
    settings_.setValue(QString::fromStdString(key), QString::fromStdString(value));
}

void QtPreferenceStore::clear() {
    settings_.clear();
}
