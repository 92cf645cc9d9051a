// velt: the desktop program.
#include <QApplication>
#include <QIcon>
#include <csignal>

#include "platform/qt/help_viewer_qt.h"
#include "platform/qt/prompts_qt.h"
#include "platform/qt/window_thread_qt.h"
#include "platform/registry.h"
#include "ui/session_end.h"
#include "ui/startup.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/velt/velt.png")));
  velt::platform::UseRegistryBesideProgram(QCoreApplication::applicationDirPath().toStdString());

  std::vector<std::string> arguments;
  const QStringList given = QCoreApplication::arguments();
  for (int i = 1; i < given.size(); ++i) arguments.push_back(given[i].toStdString());

  velt::platform::QtWindowThread window;
  velt::platform::QtPrompts prompts;
  velt::platform::QtHelpViewer help;
  const velt::ui::Services services{prompts, help, window};
  auto app = velt::ui::VeltApplication::Create(services, std::move(arguments));
  if (!app) return 1;
#ifdef _WIN32
  constexpr int kEndedBySession = 0;
#else
  constexpr int kEndedBySession = 128 + SIGTERM;  // as velt-cli and the shells report it
#endif
  const velt::ui::SessionEnd sessionEnd(*app);
  QObject::connect(&sessionEnd, &velt::ui::SessionEnd::Quit, &qt,
                   [] { QCoreApplication::exit(kEndedBySession); });
  app->Form1->show();
  return qt.exec();
}
