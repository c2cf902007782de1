#include "BookFile.h"

#include <cstdio>

#include <QFile>
#include <QFileInfo>

#include "CliError.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "RecentFiles.h"
#include "Settings.h"
#include "V1Signature.h"

namespace {

void Tell(const QString& text) {
    const QByteArray bytes = (text + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

// Standard error takes one line per message.
QString OneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.simplified();
}

}  // namespace

QString BookFile::Resolve(const QString& named) {
    if (!named.isEmpty()) {
        return named;
    }
    const QString fromEnvironment = qEnvironmentVariable("TIDEMARK_BOOK");
    if (!fromEnvironment.isEmpty()) {
        Tell(tr("Using %1 (from TIDEMARK_BOOK).").arg(fromEnvironment));
        return fromEnvironment;
    }
    recent::StoredList recentFiles;
    if (recent::ReadStoredList(QString::fromLatin1(kProductKey), &recentFiles) &&
        !recentFiles.entries.isEmpty()) {
        const QString last = recentFiles.entries.last();
        Tell(tr("Using %1 (the file Tidemark opened last).").arg(last));
        return last;
    }
    throw CliError{ExitStatus::WrongUse,
                   tr("No book is named: give --book FILE or set TIDEMARK_BOOK."), true};
}

std::string BookFile::Check(const QString& path) {
    const QFileInfo info(path);
    // The engine would create a missing file as an empty database.
    if (!info.isFile()) {
        throw CliError{
            ExitStatus::Unusable,
            OneLine(tr("The database you have tried to open (\"%1\") was not found.").arg(path))};
    }
    const std::string local = QFile::encodeName(info.absoluteFilePath()).toStdString();
    if (IsVersionOneFile(local)) {
        throw CliError{
            ExitStatus::Unusable,
            OneLine(tr("%1 is an address book of the first version, which Tidemark no longer "
                       "reads.\nConvert it with the Tidemark Import Tool (tideconv); afterwards it "
                       "opens here under the same name.")
                        .arg(path))};
    }
    const QString failed = tr("Error loading file.");
    try {
        cppsqlite3::Database db;
        db.Open(local);
        // A database of another shape would be read by position into the wrong fields.
        if (!HasAddressBookTables(db.CreateStatement())) {
            throw CliError{ExitStatus::Unusable, QStringLiteral("%1: %2").arg(path, failed)};
        }
    } catch (const cppsqlite3::SQLException& e) {
        const QString reason =
            QString::fromLocal8Bit(e.Message().data(), static_cast<qsizetype>(e.Message().size()));
        throw CliError{ExitStatus::Unusable,
                       OneLine(QStringLiteral("%1: %2 %3").arg(path, failed, reason))};
    }
    return local;
}
