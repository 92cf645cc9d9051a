#include "ui/seconds_text.h"

namespace velt::ui {

QString SecondsText(double milliseconds, const QLocale& locale) {
  QLocale l = locale;
  l.setNumberOptions(QLocale::OmitGroupSeparator);
  // 'g' switches to an exponent only past 15 integer digits or below 1e-4 s, which elapsed
  // whole milliseconds never reach.
  return l.toString(milliseconds / 1000.0, 'g', 15);
}

}  // namespace velt::ui
