#include "platform/qt_preferences.h"

#include <QFile>
#include <QString>
#include <QVariant>

namespace {

std::unique_ptr<QSettings> open_settings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Quillmere"), QStringLiteral("tarvessa"));
}

}  // namespace

QtPreferenceStore::QtPreferenceStore() : settings_(open_settings()) {
    // What a damaged file gave is not to be trusted, nor kept: it goes, and
    // the store starts empty. (The file is read at the first question.)
    settings_->allKeys();
    if (settings_->status() == QSettings::FormatError) {
        QFile::remove(settings_->fileName());
        settings_ = open_settings();
    }
    if (settings_->status() != QSettings::NoError) {
        settings_->clear();
    }
}

std::optional<std::string> QtPreferenceStore::value(const std::string& key) const {
    const QVariant value = settings_->value(QString::fromStdString(key));
    // A value written as a list (by hand, with a comma) is no value of ours.
    if (!value.isValid() || value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

void QtPreferenceStore::set_value(const std::string& key, const std::string& value) {
    settings_->setValue(QString::fromStdString(key), QString::fromStdString(value));
}

void QtPreferenceStore::clear() {
    settings_->clear();
}
