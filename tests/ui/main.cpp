// The GUI tests need a QApplication on the test's own thread, which is the window thread.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

QtMessageHandler QtDefault = nullptr;

// The offscreen platform says for every fixed-size window that it has no window manager to tell.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.contains(QLatin1String("does not support propagateSizeHints"))) return;
  QtDefault(type, context, text);
}

}  // namespace

#if defined(__SANITIZE_THREAD__)
// Qt is not built for the thread checker: memory that Qt allocates on one thread and frees on
// one of its own pool threads, ordered by Qt's futex-based locks, would read as races. Our own
// hand-overs go through standard mutexes and stay checked.
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so.6\n"
         "called_from_lib:libQt6Gui.so.6\n"
         "called_from_lib:libQt6Widgets.so.6\n";
}
#endif

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QtDefault = qInstallMessageHandler(QuietHandler);
  QApplication app(argc, argv);
  // A test closes the main window; that must not end anything.
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
