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
  app->Form3 = std::make_unique<TForm3>(services);
  app->windows.Form3 = app->Form3.get();
  app->rencdir = std::make_unique<Trencdir>();
  app->windows.rencdir = app->rencdir.get();
  app->dencdir = std::make_unique<Tdencdir>();
  app->windows.dencdir = app->dencdir.get();
  app->search = std::make_unique<Tsearch>(app->job, services.window);
  app->windows.search = app->search.get();
  app->Form7 = std::make_unique<TForm7>();
  app->windows.Form7 = app->Form7.get();
  app->Drag = std::make_unique<TDrag>();
  app->windows.Drag = app->Drag.get();
  app->shellenc = std::make_unique<Tshellenc>(services);
  app->windows.shellenc = app->shellenc.get();
  app->shelldec = std::make_unique<Tshelldec>(services);
  app->windows.shelldec = app->shelldec.get();
  app->commands = std::make_unique<BatchCommands>(services, app->windows, app->job);
  return app;
}

}  // namespace velt::ui
