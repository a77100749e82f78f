// The Linux program: Qt 6 windows, X11 desktop services, the shared entry point.
#include "TazuClickMain.h"
#include "platform/qt/QtBackend.h"
#include "platform/x11/KeepAbove.h"
#include "platform/x11/X11Desktop.h"
#include "ui/Application.h"

#include <QApplication>
#include <QSocketNotifier>

#include <memory>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int QuitPipe[2] = {-1, -1};

extern "C" void OnQuitSignal(int) {
  const char Byte = 1;
  [[maybe_unused]] const auto Written = ::write(QuitPipe[1], &Byte, 1);
}

} // namespace

int main(int argc, char** argv) {
  // Qt's plain poll loop: it announces the wait only when it will really block,
  // which is when the widget layer's idle step belongs, and wakes for nothing
  // but our timer and input. Not passed on to programs opened from the menu.
  const bool SetNoGlib = !qEnvironmentVariableIsSet("QT_NO_GLIB");
  if (SetNoGlib) qputenv("QT_NO_GLIB", "1");
  // Pointer, injection and stacking are X11's: under Wayland, XWayland's.
  const bool SetPlatform = !qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
  if (SetPlatform) qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication Qt(argc, argv);
  if (SetNoGlib) qunsetenv("QT_NO_GLIB");
  if (SetPlatform) qunsetenv("QT_QPA_PLATFORM");

  platform::x11::TX11Desktop Desktop;
  platform::qt::TQtBackend Backend;
  Desktop.OnMessageBox = [&Backend](const std::string& Caption, const std::string& Text,
                                    std::uint32_t Flags) {
    Backend.MessageBox(Caption, Text, Flags);
  };
  platform::x11::TKeepAbove KeepAbove;
  std::unique_ptr<QSocketNotifier> Watcher;
  Backend.OnWindowShown = [&](std::uintptr_t Window) {
    const int Fd = KeepAbove.Watch(Window);
    if (Fd < 0) return;
    Watcher = std::make_unique<QSocketNotifier>(Fd, QSocketNotifier::Read);
    QObject::connect(Watcher.get(), &QSocketNotifier::activated,
                     [&KeepAbove] { KeepAbove.Dispatch(); });
  };
  platform::SetDesktop(&Desktop);
  ui::SetBackend(&Backend);

  // The end of a session (SIGTERM at logout, SIGHUP, Ctrl+C) is a request to
  // close the window, whose close handler saves the settings, not a silent kill.
  std::unique_ptr<QSocketNotifier> Quit;
  if (::pipe2(QuitPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    struct sigaction Action = {};
    Action.sa_handler = OnQuitSignal;
    sigemptyset(&Action.sa_mask);
    for (int Signal : {SIGTERM, SIGHUP, SIGINT})
      sigaction(Signal, &Action, nullptr);
    Quit = std::make_unique<QSocketNotifier>(QuitPipe[0], QSocketNotifier::Read);
    QObject::connect(Quit.get(), &QSocketNotifier::activated, [] {
      char Byte;
      while (::read(QuitPipe[0], &Byte, 1) > 0) {
      }
      if (!ui::Application) return;
      ui::Application->Protect([] {
        if (ui::TForm* Form = ui::Application->MainForm()) Form->Close();
      });
      ui::Application->Terminate();
    });
  }

  int Code = 0;
  {
    ui::TApplication App;
    Code = TazuClickMain();
  } // the forms go here: their destroy handler still has the desktop
  Watcher.reset();
  Quit.reset();
  ui::SetBackend(nullptr);
  platform::SetDesktop(nullptr);
  return Code;
}
