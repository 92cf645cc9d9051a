// Milliseconds as the seconds of the statistics messages.
#pragma once

#include <QLocale>
#include <QString>

namespace velt::ui {

// ms / 1000 with at most 15 significant digits, no trailing zeros, no grouping, and the
// locale's decimal separator: 1250 gives "1.25", 2000 gives "2".
QString SecondsText(double milliseconds, const QLocale& locale = QLocale());

}  // namespace velt::ui
