// How far one file's whole job is, from the engine's stage reports. The engine's percentage
// starts again at each stage (compressing, encrypting, overwriting...); here each stage that
// passes over the file counts as an equal share of the stages planned for it, so the measure
// only grows from the first stage to the last.
#pragma once

#include <string>

#include "engine/settings.h"

namespace velt::cli {

// The stages that pass over a file's bytes: making the working copy, the cipher, and the
// overwrites of the original and of the working copy where deletion is secure.
int EncryptionStages(const engine::EngineSettings& settings);
// Decryption (and decompression, in the same pass).
int DecryptionStages();

class StageProgress {
 public:
  explicit StageProgress(int plannedStages = 1);
  void Start();  // a new file

  void Status(const std::string& text);
  void Percent(int n);
  void Bar(int n);
  // The job done, in thousandths: never lower than before since Start.
  int Permille() const { return shown_; }

 private:
  enum class Kind { Other, Counting, Overwriting };
  static Kind KindOf(const std::string& text);
  void Update();

  int planned_;
  int done_ = 0;  // stages finished
  Kind current_ = Kind::Other;
  int percent_ = 0;  // of the current stage
  int shown_ = 0;
};

}  // namespace velt::cli
