#include "platform/environment.h"

#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QSettings>
#include <QString>

namespace insel::platform {

std::filesystem::path ExecutableFolder() {
    return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString());
}

std::string GamePath() {
#ifdef Q_OS_WIN
    QSettings registry("HKEY_LOCAL_MACHINE\\Software\\Hollowmere\\KELMGAME",
                       QSettings::NativeFormat);
    return registry.value("GAMEPATH").toString().toStdString();
#else
    const QByteArray variable = qgetenv("KELMGAME_PATH");
    if (!variable.isEmpty()) return QString::fromLocal8Bit(variable).toStdString();
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Hollowmere", "KELMGAME");
    return settings.value("GAMEPATH").toString().toStdString();
#endif
}

std::string ShortDate() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
}

namespace {

QSettings EditorSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "inseleditor", "inseleditor");
}

}  // namespace

int HistoryLimitMegabytes() {
    const int stored = EditorSettings().value("history/limit_mb", 512).toInt();
    return stored > 0 ? stored : 512;
}

void SetHistoryLimitMegabytes(int megabytes) {
    EditorSettings().setValue("history/limit_mb", megabytes);
}

}  // namespace insel::platform
