// The extension check on arbitrary text. An extension it accepts must make a file name this
// system can create, must not move a decrypted file to another folder, and must pass the
// engine's settings check; one it refuses must be refused by the engine too.
#include <fcntl.h>
#include <unistd.h>

#include "engine/engine.h"
#include "engine/settings.h"
#include "platform/file_system.h"
#include "tests/fuzz/fuzz_support.h"

using namespace velt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string ext(reinterpret_cast<const char*>(data), size);
  const auto verdict = engine::CheckExtension(ext);
  engine::EngineSettings s;
  s.extension = ext;
  const std::string problem = engine::SettingsProblem(s);
  fuzz::Require((verdict == engine::ExtensionCheck::Empty) == ext.empty(),
                "only the empty text is empty");
  if (verdict != engine::ExtensionCheck::Valid) {
    fuzz::Require(!problem.empty(), "the engine accepts an extension the check refuses");
    return 0;
  }
  fuzz::Require(problem.empty(), "the engine refuses an extension the check accepts: " + problem);

  const std::string& folder = fuzz::ScratchFolder();
  const std::string encrypted = folder + "/x." + ext;
  // Names longer than a file system allows are a matter of length, not of characters.
  if (ext.size() <= 200) {
    int fd = ::open(encrypted.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    fuzz::Require(fd >= 0, "an accepted extension makes a name that cannot be created");
    ::close(fd);
    fuzz::Require(::unlink(encrypted.c_str()) == 0, "cannot remove the file again");
  }
  const std::string decrypted = engine::DecryptedName(encrypted, ext);
  fuzz::Require(platform::FolderOf(decrypted) == folder + "/",
                "the decrypted name left the folder");
  fuzz::Require(!platform::NameOf(decrypted).empty(), "the decrypted name is empty");
  return 0;
}
