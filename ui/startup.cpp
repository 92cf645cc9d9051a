#include "ui/startup.h"

#include <QApplication>
#include <cstdlib>
#include <filesystem>

#include "ui/messages.h"

namespace velt::ui {

std::unique_ptr<VeltApplication> VeltApplication::Create(const Services& services,
                                                         std::vector<std::string> arguments) {
  // The application title (the name the desktop shows for the program, not a window caption).
  QCoreApplication::setApplicationName(QString::fromLatin1(messages::kAppTitle));

  std::unique_ptr<VeltApplication> app(new VeltApplication);
  app->job.Arguments = std::move(arguments);
  app->Form1 = std::make_unique<TForm1>(services, app->windows, app->job);
  app->windows.Form1 = app->Form1.get();
  if (!app->Form1->Installed()) return nullptr;
  // The options dialog loads the settings as it is made, before any other dialog exists.
  app->veltoptions = std::make_unique<Tveltoptions>(services);
  app->windows.veltoptions = app->veltoptions.get();
  app->Form3 = std::make_unique<TForm3>(services, app->job);
  app->windows.Form3 = app->Form3.get();
  // The folder pickers and the search dialog come here, between the decryption options and
  // the About box; the drag-and-drop and the two command-line dialogs after the About box.
  app->Form7 = std::make_unique<TForm7>();
  app->windows.Form7 = app->Form7.get();
  return app;
}

}  // namespace velt::ui
