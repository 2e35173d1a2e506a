#pragma once

#include <QString>

// A date-time of the console (days since 1899-12-30) in the user's short date and long time.
QString dateTimeText(double dateTime);

// Today in the user's short date format.
QString todayText();
