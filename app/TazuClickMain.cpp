#include "TazuClickMain.h"

#include "core/Clickmain.h"
#include "ui/Application.h"

int TazuClickMain() {
  auto& D = platform::Desktop();
  // A second copy under the same file name warns and leaves the first alone.
  if (D.CreateMutexAlreadyExists(D.ExecutableName())) {
    D.MessageBox("警告", "｢たずクリック。」はすでに実行されています！",
                 platform::MB_OK | platform::MB_ICONEXCLAMATION);
    return 0;
  }
  try {
    ui::Application->Initialize();
    ui::Application->Title = core::AppTitle;
    ui::Application->CreateForm(core::TazuClickForm);
    ui::Application->Run();
  } catch (...) {
    ui::Application->HandleException(std::current_exception());
  }
  return 0;
}
