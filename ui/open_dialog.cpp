#include "ui/open_dialog.h"

#include "platform/file_system.h"

namespace velt::ui {

bool TOpenDialog::Execute(platform::Prompts& prompts) {
  std::string chosen;
  if (!prompts.OpenFile(Filter, InitialDir, chosen)) return false;
  FileName = chosen;
  InitialDir = platform::FolderOf(chosen);
  return true;
}

}  // namespace velt::ui
