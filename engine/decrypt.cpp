// DecryptOneFile. The plaintext is complete, checked and on the storage device under a
// temporary name before it takes its final name in one rename; the encrypted file is deleted
// only after that. A wrong password or any error leaves the encrypted file exactly as it was.
#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "engine/engine.h"
#include "engine/file_stream.h"
#include "engine/messages.h"
#include "engine/pipe.h"
#include "engine/pipeline_support.h"
#include "engine/source_guard.h"
#include "engine/temp_file.h"
#include "engine/tzip.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/file.h"
#include "platform/file_system.h"

namespace velt::engine {

namespace {

using platform::File;
using platform::Locking;
using platform::OpenMode;

struct Engines {
  int cipherIndex, hashIndex, compression;
  int32_t expectedCheck;
  uint64_t recordLength;
};

Engines EnginesFor(const std::string& path, File& encrypted, bool hasMetaInfo,
                   const DecryptionOptions& options) {
  if (hasMetaInfo) {
    std::string problem;
    auto meta = ReadMetaInfo(encrypted, problem);
    if (!meta) throw EngineError(path, messages::CannotDecrypt(problem));
    return {meta->cipherIndex, meta->hashIndex, meta->compression, meta->checkValue,
            uint64_t(MetaInfo::kRecordLength)};
  }
  if (!crypto::FindCipher(options.cipherIndex))
    throw EngineError(path, messages::CannotDecrypt(messages::NoSuchCipher(options.cipherIndex)));
  if (!crypto::FindHash(options.hashIndex))
    throw EngineError(path, messages::CannotDecrypt(messages::NoSuchHash(options.hashIndex)));
  return {options.cipherIndex, options.hashIndex, -1, 0, 0};
}

}  // namespace

std::string DecryptedName(const std::string& path, const std::string& extension) {
  std::string name = path;
  if (path.ends_with(".VELT"))
    name = path.substr(0, path.size() - 5);
  else if (!extension.empty() && path.ends_with("." + extension))
    name = path.substr(0, path.size() - extension.size() - 1);
  // A file named only ".VELT" keeps its name rather than becoming its folder.
  if (platform::NameOf(name).empty()) return path;
  return name;
}

namespace {

// The name an encrypted file is kept under: path + "(orig)", or, when an older kept file has
// that name, the first of "(orig 2)", "(orig 3)", ... that is free; never over a file.
std::string KeepAside(const std::string& path) {
  for (int n = 1;; ++n) {
    const std::string name = path + (n == 1 ? "(orig)" : "(orig " + std::to_string(n) + ")");
    try {
      platform::RenameNoReplace(path, name);
      return name;
    } catch (const platform::PlatformError& e) {
      if (!platform::IsAlreadyExists(e) || n > 1000) throw;
    }
  }
}

void RefuseExisting(const std::string& path, const std::string& name) {
  if (platform::Exists(name)) throw EngineError(path, messages::DecryptedExists(name));
}

// Deciphers `bytes` of `in` and inflates them into `out`; returns whether the zlib stream
// ended. From a megabyte of payload on, three stages run on threads of their own: the cipher,
// the inflater, and writing the file (copying into the page cache costs a fast inflater a
// third of its time). A smaller payload runs on this thread: starting threads and handing
// over would cost it more than they save.
bool DecipherAndInflate(crypto::TCrypt_cipher& cipher, crypto::TStream& in, uint64_t bytes,
                        crypto::TSink& out) {
  constexpr uint64_t kThreadsFrom = 1 << 20;
  if (bytes < kThreadsFrom) {
    TZInflatingWriter inflater(out);
    cipher.DecryptStream(in, inflater, bytes);
    return inflater.Ended();
  }
  bool ended = false;
  RunPipeline([&](crypto::TSink& pipe) { cipher.DecryptStream(in, pipe, bytes); },
              [&](Pipe& deciphered) {
                RunPipeline(
                    [&](crypto::TSink& inflated) {
                      TZInflatingWriter inflater(inflated);
                      std::vector<uint8_t> piece(256 * 1024);
                      while (!inflater.Ended())
                        if (size_t n = deciphered.Read(piece.data(), piece.size()))
                          inflater.Write(piece.data(), n);
                        else
                          break;
                      ended = inflater.Ended();
                    },
                    [&](Pipe& inflated) {
                      std::vector<uint8_t> piece(FileStream::kBufferSize);
                      while (size_t n = inflated.Read(piece.data(), piece.size()))
                        out.Write(piece.data(), n);
                    });
              });
  return ended;
}

}  // namespace

DecryptResult DecryptOneFile(const std::string& path, const std::string& password, bool hasMetaInfo,
                             const EngineSettings& settings, const DecryptionOptions& options,
                             ProgressSink& outerSink, const DecryptOptions& run) {
  const int64_t start = platform::MonotonicMs();
  const int64_t number = TempStartNumber();
  detail::StoppableSink sink(outerSink, run.cancel, path);
  sink.ShowStatus(messages::kDecrypting);
  sink.ShowBar(0);
  sink.ShowFileName(platform::NameOf(path));

  if (CheckExtension(settings.extension) != ExtensionCheck::Valid)
    throw EngineError(
        path, messages::CannotDecrypt(messages::InvalidExtensionSetting(settings.extension)));
  detail::RequireRegularFile(path);
  const bool secure = settings.secureDelete;
  const std::string name = DecryptedName(path, settings.extension);
  if (!run.replaceExisting && name != path) RefuseExisting(path, name);

  platform::Attributes saved;
  bool attributesCleared = false, committed = false;
  std::string keptName;
  TempFile raw, plain;
  try {
    File encrypted = detail::OpenHeld(path);
    const platform::FileStatus before = encrypted.Status();
    const uint64_t size = before.size;
    const Engines e = EnginesFor(path, encrypted, hasMetaInfo, options);
    // Only the weak check value vouches for an uncompressed payload: its encrypted file stays.
    const bool unchecked = hasMetaInfo && e.compression == -1 && run.keepUnchecked;
    const bool keepAsOrig = (!hasMetaInfo && !options.deleteOriginal) || unchecked;
    saved = platform::GetAttributes(path);
    platform::ClearAttributes(path);
    attributesCleared = true;

    // A compressed payload goes from the cipher straight through zlib into the plaintext
    // file, in one pass, instead of through a raw copy of the whole body on disk.
    bool failed = false;
    TempFile* result = &raw;
    {
      auto cipher = detail::MakeKeyedCipher(e.cipherIndex, e.hashIndex, password, sink);
      FileStream in(encrypted);
      if (e.compression == -1) {
        raw = TempFile::Create(path, number, "", secure);
        FileStream out(raw.File());
        cipher->DecryptStream(in, out, size - e.recordLength);
        out.Flush();
      } else {
        plain = TempFile::Create(path, number, "dc", secure);
        result = &plain;
        FileStream out(plain.File());
        bool ended = false;
        try {
          ended = DecipherAndInflate(*cipher, in, size - e.recordLength, out);
        } catch (const EZDecompressionError&) {
          failed = true;  // what a wrong password (or a damaged body) looks like to zlib
        }
        out.Flush();
        sink.ShowStatus(messages::kDecompressing);
        sink.ShowPercent(100);
        if (!failed && !ended) throw EngineError(path, messages::kCompressedDataEndsEarly);
      }
      cipher->Burn();
    }
    sink.ShowBar(0);
    sink.ShowStatus(messages::kDecryptionComplete);
    if (!failed && hasMetaInfo) failed = ComputeCheckValue(result->File()) != e.expectedCheck;
    if (failed) {
      result->Remove(sink);
      encrypted.Close();
      platform::SetAttributes(path, saved);
      return {DecryptOutcome::WrongPassword, platform::MonotonicMs() - start};
    }

    result->File().Flush();
    std::optional<File> existing;
    if (name != path) existing = detail::HoldExisting(name);
    if (existing && !run.replaceExisting) RefuseExisting(path, name);
    sink.Check();
    detail::RequireUnchanged(encrypted, path, before, "decrypted");
    detail::RequireSameFile(result->File(), result->Path(), path);
    result->File().SetOwnerLike(before);
    if (keepAsOrig) keptName = KeepAside(path);
    if (name == path || existing)
      platform::ReplaceFile(result->Path(), name);
    else
      platform::RenameNoReplace(result->Path(), name);
    sink.Disarm();
    detail::RequireSameFile(result->File(), name, path);
    result->Release();
    committed = true;
    existing.reset();
    if (keepAsOrig && run.report) {
      run.report->keptEncrypted = true;
      run.report->notes.push_back(unchecked ? messages::KeptUnchecked(path, keptName)
                                            : messages::KeptWithoutMetaInfo(path, keptName));
    }
    if (!keepAsOrig && name != path) {
      try {
        detail::RetireSource(encrypted, nullptr, path, before, false, number, sink, run.report,
                             "decrypted", name);
      } catch (const EngineError&) {
        throw;
      } catch (const std::exception& e) {
        throw EngineError(path, messages::EncryptedNotDeleted(name, e.what()));
      }
    }
    encrypted.Close();
    platform::FlushFolder(platform::FolderOf(path));
    detail::GiveAttributes(name, saved);
    if (keepAsOrig) detail::GiveAttributes(keptName, saved);
    return {DecryptOutcome::Decrypted, platform::MonotonicMs() - start};
  } catch (...) {
    raw = TempFile();
    plain = TempFile();
    try {
      if (!keptName.empty() && !committed) platform::RenameNoReplace(keptName, path);
      if (attributesCleared && !committed) platform::SetAttributes(path, saved);
    } catch (...) {
    }
    detail::RethrowForFile(path);
  }
}

}  // namespace velt::engine
