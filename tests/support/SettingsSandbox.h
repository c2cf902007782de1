#pragma once

#include <memory>
#include <vector>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

// Points the per-user settings store at a fresh temporary folder while it lives, so a test starts
// from an empty store and never reads or writes the user's own settings. On Linux and the other
// XDG desktops the store is a file under that folder; on Windows (the registry) and macOS
// (the preferences system) the native store cannot be redirected this way.
class SettingsSandbox {
public:
    SettingsSandbox() {
        Active().push_back(folder_.path());
        Point(folder_.path());
    }
    ~SettingsSandbox() {
        // Back to the sandbox this one was made inside, else to the test-mode location the test
        // main chose; never the user's own.
        Active().pop_back();
        Point(Active().empty()
                  ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                  : Active().back());
    }
    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;

    bool IsValid() const { return folder_.isValid(); }
    QString Folder() const { return folder_.path(); }
    // The file that holds "Software\Vantorel\Tidemark" and its subkeys.
    QString StoreFile() const { return folder_.filePath(QStringLiteral("Vantorel/Tidemark.conf")); }

    // The store file read or written directly, past the program's own code, for checking the
    // stored form or preparing one.
    std::unique_ptr<QSettings> Raw() const {
        return std::make_unique<QSettings>(StoreFile(), QSettings::IniFormat);
    }

    // Writes the store file as text, as another copy or a hand edit might have left it. Call it
    // before the test opens the store, so nothing of the file is held in memory yet.
    bool WriteStoreText(const QByteArray& text) const {
        if (!QDir().mkpath(QFileInfo(StoreFile()).absolutePath())) {
            return false;
        }
        QFile file(StoreFile());
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(text) == text.size();
    }

private:
    static std::vector<QString>& Active() {
        static std::vector<QString> folders;
        return folders;
    }
    static void Point(const QString& folder) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    }

    QTemporaryDir folder_;
};
