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
#include "engine/source_guard.h"
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

// An existing file under the result's name: an older encrypted file may be replaced when so
// set, never a file without meta information, which is somebody's own.
void RefuseExisting(const std::string& path, const std::string& finalName, bool replaceEncrypted,
                    platform::File* held) {
  if (!held && !platform::Exists(finalName)) return;
  if (!held && !platform::IsRegularFile(finalName))
    throw EngineError(path, messages::NonFileUnderResultName(finalName));
  const bool encrypted = held ? HasMetaInfo(*held) : HasMetaInfo(finalName);
  if (!encrypted) throw EngineError(path, messages::PlainFileUnderResultName(finalName));
  if (!replaceEncrypted) throw EngineError(path, messages::EncryptedExists(finalName));
}

}  // namespace

int64_t EncryptOneFile(const std::string& path, const std::string& password,
                       const EngineSettings& settings, ProgressSink& outerSink,
                       const EncryptOptions& options) {
  const int64_t start = platform::MonotonicMs();
  const int64_t number = TempStartNumber();
  detail::StoppableSink sink(outerSink, options.cancel, path);
  sink.ShowBar(0);
  sink.ShowFileName(platform::NameOf(path));

  if (std::string problem = SettingsProblem(settings); !problem.empty())
    throw EngineError(path, messages::CannotEncrypt(problem));
  detail::RequireRegularFile(path);
  const bool secure = settings.secureDelete;
  const std::string finalName = settings.addExtension ? path + "." + settings.extension : path;
  // Refused before any work is done; checked again on the held file at the commit.
  if (finalName != path) RefuseExisting(path, finalName, options.replaceEncrypted, nullptr);

  platform::Attributes saved;
  bool attributesCleared = false, committed = false;
  TempFile work, out;
  try {
    File original = detail::OpenHeld(path);
    if (HasMetaInfo(original)) throw AlreadyEncryptedError(path);
    saved = platform::GetAttributes(path);
    platform::ClearAttributes(path);
    attributesCleared = true;
    const platform::FileStatus before = original.Status();
    const uint64_t size = before.size;
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

    // The original's blocks stay reachable through this handle after it has left its name, so
    // they can be overwritten once the encrypted file is safely in place.
    std::optional<File> oldContent;
    if (settings.deleteOriginal && secure)
      oldContent = File::Open(path, OpenMode::ReadWrite, Locking::None);
    // An older encrypted file that another VELT process is decrypting stays until it is done.
    std::optional<File> existing;
    if (finalName != path) {
      existing = detail::HoldExisting(finalName);
      if (existing) RefuseExisting(path, finalName, options.replaceEncrypted, &*existing);
    }
    sink.Check();
    detail::RequireUnchanged(original, path, before, "encrypted");
    if (oldContent && !original.SameFileAs(path))
      throw EngineError(path, messages::kReplacedWhileEncrypting);
    out.File().SetOwnerLike(before);
    detail::RequireSameFile(out.File(), out.Path(), path);
    if (finalName == path || existing)
      platform::ReplaceFile(out.Path(), finalName);
    else
      platform::RenameNoReplace(out.Path(), finalName);
    sink.Disarm();
    detail::RequireSameFile(out.File(), finalName, path);
    out.Release();
    existing.reset();
    committed = true;
    // The encrypted file is in place: from here on the original goes whatever happens, and a
    // failure only means the overwrite or the deletion could not be completed.
    if (settings.deleteOriginal)
      sink.ShowStatus(secure ? messages::kDeletingOriginalSecurely : messages::kDeletingOriginal);
    if (settings.deleteOriginal && settings.addExtension) {
      try {
        detail::RetireSource(original, oldContent ? &*oldContent : nullptr, path, before, secure,
                             number, sink, options.report, "encrypted", finalName);
      } catch (const EngineError&) {
        throw;
      } catch (const std::exception& e) {
        throw EngineError(path, messages::OriginalNotDeletedAfterEncryption(finalName, e.what()));
      }
    } else if (oldContent) {
      // Encrypted under its own name: the old content has no name left, unless other links
      // still show it, whose content an overwrite would destroy.
      const uint32_t links = oldContent->Status().links;
      if (links > 0) {
        if (options.report) options.report->notes.push_back(messages::OtherLinksNote(path, links));
      } else {
        try {
          SecureOverwrite(*oldContent, sink);
        } catch (const std::exception& e) {
          throw EngineError(path, messages::OldContentNotOverwritten(finalName, e.what()));
        }
      }
    }
    if (settings.deleteOriginal && !secure) sink.ShowBar(0);
    oldContent.reset();
    original.Close();
    platform::FlushFolder(platform::FolderOf(path));

    sink.ShowStatus(secure ? messages::kDeletingTempSecurely : messages::kDeletingTemp);
    work.Remove(sink);

    if (settings.addExtension && platform::IsRegularFile(path))
      platform::SetAttributes(path, saved);
    detail::GiveAttributes(finalName, saved);
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
