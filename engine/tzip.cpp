#include "engine/tzip.h"

#include <vector>

#include "engine/file_stream.h"
#include "engine/parallel_deflate.h"
#include "engine/progress.h"
#include "platform/file.h"
#include "platform/file_system.h"

namespace velt::engine {

void Tzip::Compress(crypto::TSource& source, uint64_t sourceSize, crypto::TStream& dest,
                    CompressionLevel level, const Progress& progress) {
  const unsigned threads = CompressionThreads();
  if (threads > 1 || (level == CompressionLevel::Fastest && FastestLevelIsParallelOnly())) {
    ParallelDeflateOptions o;
    o.threads = threads;
    // Reports keep the serial stream's rhythm: one each time another 64 KiB of output is out.
    uint64_t nextReport = TCustomZStream::kBufferSize;
    if (progress)
      o.onProgress = [&](uint64_t consumed, uint64_t written) {
        for (; written >= nextReport; nextReport += TCustomZStream::kBufferSize)
          progress(PercentOf(consumed, sourceSize));
      };
    ParallelDeflate(source, dest, level, o);
    return;
  }
  TZCompressionStream z(dest, level);
  if (progress)
    z.OnProgress = [&](TCustomZStream& s) { progress(PercentOf(s.BytesIn(), sourceSize)); };
  std::vector<uint8_t> piece(kCompressPiece);
  while (size_t n = source.Read(piece.data(), piece.size())) z.Write(piece.data(), n);
  z.Finish();
}

bool Tzip::Decompress(crypto::TStream& source, uint64_t sourceSize, crypto::TSink& dest,
                      const Progress& progress) {
  TZDecompressionStream z(source);
  if (progress)
    z.OnProgress = [&](TCustomZStream& s) { progress(PercentOf(s.BytesIn(), sourceSize)); };
  std::vector<uint8_t> piece(kDecompressPiece);
  while (size_t n = z.Read(piece.data(), piece.size())) dest.Write(piece.data(), n);
  return z.Ended();
}

namespace {
// Opens both files for one file-to-file call; the destination is replaced.
struct FilePair {
  platform::File in, out;
  FilePair(const std::string& source, const std::string& destination)
      : in(platform::File::Open(source, platform::OpenMode::Read)) {
    if (platform::Exists(destination)) platform::DeleteFile(destination);
    out = platform::File::Open(destination, platform::OpenMode::CreateNew);
  }
};
}  // namespace

void Tzip::Compress(const std::string& source, const std::string& destination,
                    CompressionLevel level, const Progress& progress) {
  FilePair files(source, destination);
  FileStream in(files.in), out(files.out);
  Compress(in, files.in.Size(), out, level, progress);
  out.Flush();
}

bool Tzip::Decompress(const std::string& source, const std::string& destination,
                      const Progress& progress) {
  FilePair files(source, destination);
  FileStream in(files.in), out(files.out);
  bool ended = Decompress(in, files.in.Size(), out, progress);
  out.Flush();
  return ended;
}

}  // namespace velt::engine
