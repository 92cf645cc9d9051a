// Start-up: the installation folder, the windows made hidden in order, the settings loaded;
// and the end of the program when the session ends.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <csignal>
#include <fstream>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/registry.h"
#include "tests/ui/ui_fixture.h"

namespace velt::ui::test {
namespace {

using StartupTest = UiTest;

TEST_F(StartupTest, WithAnInstallationFolderEveryWindowIsMadeHiddenAndTheHelpIsNamed) {
  Install({{"enc", "dword:00000011"}, {"hash", "dword:00000007"}, {"def", "\"abc\""}});
  app = VeltApplication::Create(services, {});
  ASSERT_TRUE(app);
  EXPECT_EQ(QCoreApplication::applicationName(), "Velt");
  EXPECT_EQ(form().windowTitle(), "VELT 1.2a (Build 321)");
  EXPECT_EQ(app->veltoptions->windowTitle(), "VELT Options");
  EXPECT_EQ(app->Form3->windowTitle(), "Decryption Options");
  EXPECT_EQ(app->Form7->windowTitle(), "About VELT");
  for (QWidget* w : std::initializer_list<QWidget*>{app->Form1.get(), app->veltoptions.get(),
                                                    app->Form3.get(), app->Form7.get()})
    EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_EQ(form().HelpFile(), installedHelp);
  EXPECT_TRUE(form().acceptDrops());
  EXPECT_TRUE(app->job.CommandLinePending);
  // The options dialog loaded the store as it was made.
  EXPECT_EQ(Control<QComboBox>(*app->veltoptions, "defencengine")->currentText(), "Serpent");
  EXPECT_EQ(Control<QComboBox>(*app->veltoptions, "defhashengine")->currentText(), "SHA 386");
  EXPECT_EQ(Control<QLineEdit>(*app->veltoptions, "deffileext")->text(), "abc");

  // The command-line entry runs once, at the first show, and only then.
  int commandLineRuns = 0;
  QObject::connect(&form(), &TForm1::CommandLineEntered, [&] {
    EXPECT_TRUE(app->job.CommandLinePending);
    ++commandLineRuns;
  });
  form().show();
  ASSERT_TRUE(WaitFor([&] { return !app->job.CommandLinePending; }));
  form().hide();
  form().show();
  QTest::qWait(50);
  EXPECT_EQ(commandLineRuns, 1);

  Control<QAction>(form(), "VELTHelp1")->trigger();
  EXPECT_EQ(help.shown, std::vector<std::string>{installedHelp});
}

TEST_F(StartupTest, TheHelpFileIsUnderTheInstallationFolderWithOrWithoutItsLastSeparator) {
  struct Row {
    std::string path, help;
  };
  const std::vector<Row> rows = {
#ifdef _WIN32
      {R"(C:\Program Files\VELT)", R"(C:\Program Files\VELT\Velt.chm)"},
      {R"(C:\Program Files\VELT\)", R"(C:\Program Files\VELT\Velt.chm)"},
      {R"(\\server\apps\VELT)", R"(\\server\apps\VELT\Velt.chm)"},
      {"C:\\Programme\\\xC3\x9C"
       "ber VELT",
       "C:\\Programme\\\xC3\x9C"
       "ber VELT\\Velt.chm"},
#else
      {"/opt/velt", "/opt/velt/Velt.chm"},
      {"/opt/velt/", "/opt/velt/Velt.chm"},
      {"/opt/\xC3\x9C"
       "ber velt",
       "/opt/\xC3\x9C"
       "ber velt/Velt.chm"},
#endif
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    Install({{"Path", "\"" + row.path + "\""}});
    help.shown.clear();
    app = VeltApplication::Create(services, {});
    ASSERT_TRUE(app);
    Control<QAction>(form(), "VELTHelp1")->trigger();
    EXPECT_EQ(help.shown, std::vector<std::string>{row.help});
    app.reset();
  }
  EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(StartupTest, WithoutAnInstallationFolderOnlyTheErrorIsShownAndNothingElseIsMade) {
  // Missing, empty, or the whole store missing: the options dialog is never made, so the
  // settings are never read and only the installation error appears.
  for (const auto& store : std::vector<std::map<std::string, std::string>>{
           {{"Path", ""}}, {{"Path", "\"\""}}, {{"Path", ""}, {"add", ""}}}) {
    Install(store);
    prompts.ClearRecord();
    EXPECT_EQ(VeltApplication::Create(services, {}), nullptr);
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0].text,
              "Velt has not been installed correctly. Please re-install Velt.");
    // The details name the value and where it was looked for.
    EXPECT_EQ(prompts.Messages()[0].details.rfind("The value \"Path\" (the installation "
                                                  "folder) is missing or empty in "
                                                  "HKEY_LOCAL_MACHINE\\Software\\VELT",
                                                  0),
              0u)
        << prompts.Messages()[0].details;
  }
  RemoveStore();
  prompts.ClearRecord();
  EXPECT_EQ(VeltApplication::Create(services, {}), nullptr);
  EXPECT_EQ(prompts.Messages().size(), 1u);
}

TEST_F(StartupTest, AFailedReadIsShownAndTheValuesAfterItKeepTheirDefaults) {
  // "add" missing; the nine before it are loaded (all unlike the defaults).
  Install({{"def", "\"xyz\""},
           {"enc", "dword:00000003"},
           {"hash", "dword:00000004"},
           {"compspeed", "dword:00000002"},
           {"ext", "dword:00000000"},
           {"sec", "dword:00000000"},
           {"del", "dword:00000000"},
           {"com", "dword:00000000"},
           {"add", ""}});
  Start();
  // Wine words the system's message in its own way.
  if (velt::test::UnderWine()) {
    EXPECT_EQ(prompts.Messages().at(0).kind, MessageKind::Error);
  } else {
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0].text.rfind(
                  "The configuration registry key could not be read.\n\nThe value \"add\" could "
                  "not be read from HKEY_LOCAL_MACHINE\\Software\\VELT",
                  0),
              0u)
        << prompts.Messages()[0].text;
    EXPECT_TRUE(prompts.Messages()[0].text.ends_with(
        ". It and the values after it have their defaults; OK in VELT Options saves the values "
        "shown."))
        << prompts.Messages()[0].text;
  }
  const Tveltoptions& o = *app->veltoptions;
  EXPECT_EQ(Control<QLineEdit>(o, "deffileext")->text(), "xyz");
  EXPECT_EQ(Control<QComboBox>(o, "defencengine")->currentIndex(), 3);
  EXPECT_EQ(Control<QComboBox>(o, "defhashengine")->currentIndex(), 4);
  EXPECT_EQ(Control<QComboBox>(o, "defcompspeed")->currentIndex(), 2);
  EXPECT_FALSE(Control<QCheckBox>(o, "addext")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>(o, "securedelete")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>(o, "deleteorig")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>(o, "compressfile")->isChecked());
  // The meta box keeps its default, and is free because compression is off.
  EXPECT_TRUE(Control<QCheckBox>(o, "addvelt")->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(o, "addvelt")->isEnabled());
  // Loading is not the user unchecking "add extension": both stay enabled.
  EXPECT_TRUE(Control<QLineEdit>(o, "deffileext")->isEnabled());
  EXPECT_TRUE(Control<QCheckBox>(o, "deleteorig")->isEnabled());
}

TEST_F(StartupTest, FlagsAreAnyNonZeroNumberAndTheStoredMetaFlagComesAfterCompression) {
  Install({{"ext", "dword:00000001"},
           {"sec", "dword:00000007"},
           {"com", "dword:00000000"},
           {"add", "dword:00000000"}});
  Start();
  EXPECT_TRUE(prompts.Messages().empty());
  const Tveltoptions& o = *app->veltoptions;
  EXPECT_TRUE(Control<QCheckBox>(o, "addext")->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(o, "securedelete")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>(o, "addvelt")->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(o, "addvelt")->isEnabled());
}

TEST_F(StartupTest, AStoredIndexOutsideItsListIsShownAsTheFirstEntry) {
  Install({{"enc", "dword:00000013"},        // 19: one past the last cipher
           {"hash", "dword:fffffffd"},       // -3
           {"compspeed", "dword:00000003"},  // one past "Best"
           {"comp", "dword:00000001"}});
  Start();
  const Tveltoptions& o = *app->veltoptions;
  for (const QComboBox* list :
       {Control<QComboBox>(o, "defencengine"), Control<QComboBox>(o, "defhashengine"),
        Control<QComboBox>(o, "defcomp"), Control<QComboBox>(o, "defcompspeed")})
    EXPECT_EQ(list->currentIndex(), 0) << list->objectName().toStdString();
  EXPECT_EQ(Control<QComboBox>(o, "defencengine")->currentText(), "BlowFish");
  EXPECT_EQ(o.Settings().cipherIndex, 0);
}

TEST_F(StartupTest, AnInstalledProgramFindsTheStoreUnderItsOwnPrefix) {
  qunsetenv("VELT_REGISTRY");
  velt::test::TempDir prefix;
  std::filesystem::create_directories(prefix / "bin");
  std::filesystem::create_directories(prefix / "etc/velt");
  velt::test::WriteFile(prefix / "etc/velt/registry.reg", "Windows Registry Editor Version 5.00\n");
  platform::UseRegistryBesideProgram(prefix / "bin");
  ASSERT_NE(std::getenv("VELT_REGISTRY"), nullptr);
  EXPECT_EQ(std::filesystem::path(std::getenv("VELT_REGISTRY")),
            std::filesystem::canonical(prefix / "etc/velt/registry.reg"));
  // A store named by the environment has the last word.
  qputenv("VELT_REGISTRY", QByteArray::fromStdString(hive));
  platform::UseRegistryBesideProgram(prefix / "bin");
  EXPECT_EQ(std::string(std::getenv("VELT_REGISTRY")), hive);
}

#if defined(__linux__) && defined(VELT_PROGRAM)
// Whether process `pid` catches SIGTERM, from the bit mask in /proc/PID/status.
bool CatchesTerm(qint64 pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("SigCgt:", 0) == 0)
      return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
  return false;
}

TEST_F(StartupTest, TheProgramQuitsNormallyWhenTheSessionEnds) {
  Install();
  const std::string file = MakeFile("kept.txt", 5000);
  const auto bytes = velt::test::ReadFile(file);
  const auto names = dir.Names();
  // Idle, and with the -e options dialog waiting for an answer: the answer never comes.
  for (const QStringList& arguments :
       {QStringList{}, QStringList{"-e", QString::fromStdString("*" + file + "*")}}) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    QProcess velt;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VELT_REGISTRY", QString::fromStdString(hive));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    velt.setProcessEnvironment(environment);
    velt.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    velt.start(VELT_PROGRAM, arguments);
    ASSERT_TRUE(velt.waitForStarted(kLongWait));
    // Once the handler is in place a signal waits for the event loop, however early it comes.
    ASSERT_TRUE(WaitFor([&] { return CatchesTerm(velt.processId()); }));
    ::kill(pid_t(velt.processId()), SIGTERM);
    ASSERT_TRUE(velt.waitForFinished(kLongWait));
    EXPECT_EQ(velt.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(velt.exitCode(), 128 + SIGTERM);
    EXPECT_EQ(velt::test::ReadFile(file), bytes);
    EXPECT_EQ(dir.Names(), names);
  }
}
#endif

#if defined(_WIN32) && defined(VELT_PROGRAM_FILE)
// What Explorer and Windows read from the program's file: its icon, its version information and
// the manifest that asks for per-monitor DPI scaling and the current common controls.
TEST(WindowsResources, TheProgramCarriesItsIconVersionAndManifest) {
  const std::wstring program = QString(VELT_PROGRAM_FILE).toStdWString();
  HMODULE image = LoadLibraryExW(program.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr);
  EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
  HRSRC manifest = FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(image, manifest))),
                         SizeofResource(image, manifest));
  EXPECT_NE(text.find("PerMonitorV2"), std::string::npos);
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  FreeLibrary(image);

  const DWORD size = GetFileVersionInfoSizeW(program.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, info.data()));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(
      VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductName", &value, &length));
  EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), L"VELT");
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", &value, &length));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), VELT_VERSION_MAJOR);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), VELT_VERSION_MINOR);
}
#endif

}  // namespace
}  // namespace velt::ui::test
