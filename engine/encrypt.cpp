// EncryptOneFile. The order of the steps is what keeps a user's file safe: the encrypted file
// is complete and on the storage device, under a temporary name, before the original is
// touched; it then takes its final name in one rename; only after that is the original
// deleted. A failure before that point leaves the original exactly as it was.
#include <optional>

#include "crypto/cipher_catalogue.h"
#include "engine/engine.h"
#include "engine/file_stream.h"
#include "engine/messages.h"
#include "engine/pipeline_support.h"
#include "engine/secure_delete.h"
#include "engine/temp_file.h"
#include "engine/tzip.h"
#include "engine/verify.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/file_system.h"

namespace velt::engine {

namespace {

using platform::File;
using platform::Locking;
using platform::OpenMode;

// Working copy: the plaintext, compressed or plain, that the cipher stage reads.
void MakeWorkingCopy(File& original, uint64_t size, TempFile& work, const EngineSettings& s,
                     ProgressSink& sink) {
  if (s.compress) {
    sink.ShowStatus(messages::kCompressing);
    FileStream in(original), out(work.File());
    Tzip::Compress(in, size, out, detail::LevelForSpeed(s.compressionSpeed),
                   [&sink](int p) { sink.ShowPercent(p); });
    out.Flush();
  } else {
    sink.ShowStatus(messages::kCreatingTemp);
    work.File().CopyFrom(original, size);
  }
}

void WriteEncrypted(TempFile& work, TempFile& out, int32_t checkValue, const std::string& password,
                    const EngineSettings& s, ProgressSink& sink) {
  auto cipher = detail::MakeKeyedCipher(s.cipherIndex, s.hashIndex, password, sink);
  File& source = work.File();
  source.Seek(0);
  FileStream in(source), dst(out.File());
  cipher->EncryptStream(in, dst, source.Size());
  cipher->Burn();
  if (s.addMetaInfo) {
    MetaInfo meta;
    meta.hashIndex = s.hashIndex;
    meta.cipherIndex = s.cipherIndex;
    meta.compression = s.compress ? s.compressionEngine : -1;
    meta.compressionEngine = s.compressionEngine;
    meta.checkValue = checkValue;
    auto record = meta.Serialize();
    dst.Write(record.data(), record.size());
  }
  dst.Flush();
  out.File().Flush();
}

}  // namespace

int64_t EncryptOneFile(const std::string& path, const std::string& password,
                       const EngineSettings& settings, ProgressSink& sink,
                       const EncryptOptions& options) {
  const int64_t start = platform::MonotonicMs();
  const int64_t number = TempStartNumber();
  sink.ShowBar(0);
  sink.ShowFileName(platform::NameOf(path));

  if (std::string problem = SettingsProblem(settings); !problem.empty())
    throw EngineError(path, "cannot encrypt: " + problem);
  detail::RequireRegularFile(path);
  const bool secure = settings.secureDelete;
  const std::string finalName = settings.addExtension ? path + "." + settings.extension : path;

  platform::Attributes saved;
  bool attributesCleared = false, committed = false;
  TempFile work, out;
  try {
    saved = platform::GetAttributes(path);
    platform::ClearAttributes(path);
    attributesCleared = true;
    File original = File::Open(path, OpenMode::Read, Locking::Exclusive);
    const uint64_t size = original.Size();
    const int32_t checkValue = ComputeCheckValue(original);

    work = TempFile::Create(path, number, "", secure);
    MakeWorkingCopy(original, size, work, settings, sink);

    sink.ShowStatus(messages::kEncrypting);
    // Cipher text needs no overwrite when it is removed.
    out = TempFile::Create(path, work.Number(), "en", false);
    WriteEncrypted(work, out, checkValue, password, settings, sink);
    if (options.verify) {
      if (options.beforeVerify) options.beforeVerify(out.Path());
      VerifyEncrypted(out.Path(), original, password, settings);
    }

    if (settings.deleteOriginal)
      sink.ShowStatus(secure ? messages::kDeletingOriginalSecurely : messages::kDeletingOriginal);
    // The original's blocks stay reachable through this handle after the rename, so they can be
    // overwritten once the encrypted file is safely in place.
    std::optional<File> oldContent;
    if (settings.deleteOriginal && secure)
      oldContent = File::Open(path, OpenMode::ReadWrite, Locking::None);
    if (!original.SameFileAs(path))
      throw EngineError(path, std::string("the file was ") +
                                  (platform::Exists(path) ? "replaced" : "removed") +
                                  " while it was being encrypted");
    // An older encrypted file that another VELT process is decrypting stays until it is done.
    std::optional<File> existing;
    if (finalName != path) existing = detail::HoldExisting(finalName);
    detail::RequireSameFile(out.File(), out.Path(), path);
    platform::ReplaceFile(out.Path(), finalName);
    detail::RequireSameFile(out.File(), finalName, path);
    out.Release();
    existing.reset();
    committed = true;
    // The encrypted file is in place: from here on the original goes whatever happens, and a
    // failure only means the overwrite or the deletion could not be completed.
    std::string overwriteProblem;
    if (oldContent) {
      try {
        SecureOverwrite(*oldContent, sink);
      } catch (const std::exception& e) {
        overwriteProblem = e.what();
      }
    }
    if (settings.deleteOriginal && settings.addExtension) {
      // Whatever took the original's name meanwhile is not ours to delete.
      const bool same = original.SameFileAs(path);
      if (!same && platform::Exists(path))
        throw EngineError(path, "encrypted to " + finalName +
                                    ", but the original was replaced meanwhile and is kept");
      original.Close();
      try {
        if (same) platform::DeleteFile(path);
      } catch (const std::exception& e) {
        throw EngineError(path, "encrypted to " + finalName +
                                    ", but the original could not be deleted: " + e.what());
      }
    }
    if (!overwriteProblem.empty())
      throw EngineError(path, "encrypted to " + finalName +
                                  " and the original deleted, but overwriting it failed: " +
                                  overwriteProblem);
    if (settings.deleteOriginal && !secure) sink.ShowBar(0);
    oldContent.reset();
    original.Close();
    platform::FlushFolder(platform::FolderOf(path));

    sink.ShowStatus(secure ? messages::kDeletingTempSecurely : messages::kDeletingTemp);
    work.Remove(sink);

    if (platform::IsRegularFile(path)) platform::SetAttributes(path, saved);
    if (settings.addExtension) platform::SetAttributes(finalName, saved);
    sink.ShowBar(0);
    sink.ShowStatus(messages::kEncryptionComplete);
    return platform::MonotonicMs() - start;
  } catch (...) {
    // Temporary files go first (securely where so set), then the original gets its attributes
    // back; neither step may hide the error that brought us here.
    work = TempFile();
    out = TempFile();
    if (attributesCleared) {
      try {
        if (platform::IsRegularFile(path)) platform::SetAttributes(path, saved);
        if (committed && settings.addExtension) platform::SetAttributes(finalName, saved);
      } catch (...) {
      }
    }
    detail::RethrowForFile(path);
  }
}

}  // namespace velt::engine
