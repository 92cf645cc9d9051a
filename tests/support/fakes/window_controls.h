// Reaching a window's controls from outside it, as a person would find them: by their names.
#pragma once

#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>

namespace velt::test {

// The control of `window` named `name`; throws when there is none of that kind, so that a
// renamed control fails the caller instead of crashing it.
template <class Widget>
Widget* Control(const QObject& window, const char* name) {
  auto* control = window.findChild<Widget*>(QString::fromLatin1(name));
  if (!control) throw std::logic_error(std::string("no control named ") + name);
  return control;
}

}  // namespace velt::test
