#include "shell/date_time_text.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include "base/date_time.h"

QString dateTimeText(double dateTime) {
    const CivilDateTime civil = civilFromDateTime(dateTime);
    const QDate date(civil.year, civil.month, civil.day);
    const QTime time(civil.hour, civil.minute, civil.second, civil.millisecond);
    const QLocale locale = QLocale::system();
    // The long time without the time zone that some locales add to it.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b")));
    return locale.toString(date, QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(time, timeFormat.trimmed());
}

QString todayText() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}
