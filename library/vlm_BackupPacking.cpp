#include "vlm_BackupPacking.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "vlm_Resources.h"
#include "xml_functions.h"

namespace {

// A whole version: zstd's level 12 packs a journal about a tenth smaller than gzip's best, still in
// about a second for ten years of notes. A difference is found at level 3 (its long matches are
// found at any level).
constexpr int kWholeLevel = 12;
constexpr int kDifferenceLevel = 3;
constexpr std::size_t kPiece = 1 << 20;  // packed a piece at a time, so that a stop is heard soon

struct TCCtxFree {
  void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
};
struct TDCtxFree {
  void operator()(ZSTD_DCtx* d) const { ZSTD_freeDCtx(d); }
};

// The window a difference needs: the reference and the text together (zstd's largest is 2^31).
int WindowLogFor(std::size_t bytes) {
  int log = 10;  // zstd's smallest window
  while (log < 31 && (std::size_t(1) << log) < bytes) ++log;
  return log;
}

bool Gunzip(const std::string& packed, std::string& text, std::string& problem) {
  z_stream z{};
  if (inflateInit2(&z, 15 + 16) != Z_OK) return problem = res::Format(res::ReasonBackupDamaged, {"zlib"}), false;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  z.avail_in = static_cast<uInt>(packed.size());
  std::vector<char> out(1 << 18);
  int code = Z_OK;
  for (;;) {
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    code = inflate(&z, Z_NO_FLUSH);
    text.append(out.data(), out.size() - z.avail_out);
    if (text.size() > kMaxBackupText) {
      code = Z_MEM_ERROR;
      break;
    }
    if (code == Z_STREAM_END) {
      if (z.avail_in == 0) break;
      inflateReset(&z);  // gzip files may hold several members one after another
      continue;
    }
    if (code != Z_OK) break;
    if (z.avail_in == 0 && z.avail_out != 0) {  // the file ends inside the stream
      code = Z_BUF_ERROR;
      break;
    }
  }
  const std::string why = z.msg ? z.msg : code == Z_BUF_ERROR ? "unexpected end of file" : "zlib";
  inflateEnd(&z);
  if (code != Z_STREAM_END) return problem = res::Format(res::ReasonBackupDamaged, {why}), false;
  return true;
}

bool Unzstd(const std::string& packed, const std::string* base, std::string& text, std::string& problem) {
  std::unique_ptr<ZSTD_DCtx, TDCtxFree> d(ZSTD_createDCtx());
  if (!d) return problem = res::Format(res::ReasonBackupDamaged, {"zstd"}), false;
  ZSTD_DCtx_setParameter(d.get(), ZSTD_d_windowLogMax, 31);
  if (base) ZSTD_DCtx_refPrefix(d.get(), base->data(), base->size());
  ZSTD_inBuffer in{packed.data(), packed.size(), 0};
  std::vector<char> out(1 << 18);
  std::size_t left = 1;
  while (left != 0) {
    ZSTD_outBuffer o{out.data(), out.size(), 0};
    left = ZSTD_decompressStream(d.get(), &o, &in);
    if (ZSTD_isError(left)) return problem = res::Format(res::ReasonBackupDamaged, {ZSTD_getErrorName(left)}), false;
    text.append(out.data(), o.pos);
    if (text.size() > kMaxBackupText) return problem = res::Format(res::ReasonBackupDamaged, {"> 1 GiB"}), false;
    if (left != 0 && in.pos == in.size && o.pos < o.size)
      return problem = res::Format(res::ReasonBackupDamaged, {"unexpected end of file"}), false;
  }
  if (in.pos != in.size) return problem = res::Format(res::ReasonBackupDamaged, {"data after the end"}), false;
  return true;
}

bool IsZstd(const std::string& bytes) {
  return bytes.size() >= 4 && static_cast<unsigned char>(bytes[0]) == 0x28 && static_cast<unsigned char>(bytes[1]) == 0xB5 &&
         static_cast<unsigned char>(bytes[2]) == 0x2F && static_cast<unsigned char>(bytes[3]) == 0xFD;
}

bool IsGzip(const std::string& bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1F && static_cast<unsigned char>(bytes[1]) == 0x8B;
}

}  // namespace

bool ReadRegularFile(const std::string& nativePath, std::string& bytes, int& error, std::size_t limit) {
  const int fd = ::open(nativePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return error = errno, false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > limit) {
    error = S_ISREG(st.st_mode) ? (static_cast<std::size_t>(st.st_size) > limit ? EFBIG : errno) : EINVAL;
    ::close(fd);
    return false;
  }
  bytes.resize(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return true;
}

bool PackBackup(const std::string& text, const std::string* base, const std::function<bool(const char*, std::size_t)>& sink,
                const std::atomic<bool>& stop, int& error) {
  std::unique_ptr<ZSTD_CCtx, TCCtxFree> c(ZSTD_createCCtx());
  if (!c) return error = ENOMEM, false;
  ZSTD_CCtx_setParameter(c.get(), ZSTD_c_compressionLevel, base ? kDifferenceLevel : kWholeLevel);
  ZSTD_CCtx_setParameter(c.get(), ZSTD_c_checksumFlag, 1);
  ZSTD_CCtx_setPledgedSrcSize(c.get(), text.size());
  if (base) {
    // The whole version is the reference: every part of it must lie inside the window.
    ZSTD_CCtx_setParameter(c.get(), ZSTD_c_enableLongDistanceMatching, 1);
    ZSTD_CCtx_setParameter(c.get(), ZSTD_c_windowLog, WindowLogFor(base->size() + text.size()));
    ZSTD_CCtx_refPrefix(c.get(), base->data(), base->size());
  }
  std::vector<char> out(ZSTD_CStreamOutSize());
  std::size_t offset = 0;
  for (bool last = false; !last;) {
    if (stop) return error = ECANCELED, false;
    const std::size_t piece = std::min(kPiece, text.size() - offset);
    last = offset + piece == text.size();
    ZSTD_inBuffer in{text.data() + offset, piece, 0};
    const ZSTD_EndDirective mode = last ? ZSTD_e_end : ZSTD_e_continue;
    for (std::size_t left = 1; last ? left != 0 : in.pos < in.size;) {
      ZSTD_outBuffer o{out.data(), out.size(), 0};
      left = ZSTD_compressStream2(c.get(), &o, &in, mode);
      if (ZSTD_isError(left)) return error = ENOMEM, false;
      if (o.pos > 0 && !sink(out.data(), o.pos)) return error = errno ? errno : EIO, false;
    }
    offset += piece;
  }
  return true;
}

bool UnpackBackup(const std::string& nativePath, const std::string& basePath, std::string& text, std::string& problem) {
  std::string packed;
  int error = 0;
  if (!ReadRegularFile(nativePath, packed, error))
    return problem = error == EINVAL ? res::ReasonBackupNotPacked : res::ReasonBackupNotOpened, false;
  text.clear();
  if (IsGzip(packed)) return Gunzip(packed, text, problem);
  if (!IsZstd(packed)) return problem = res::ReasonBackupNotPacked, false;
  if (basePath.empty()) return Unzstd(packed, nullptr, text, problem);
  std::string base, why;
  if (!UnpackBackup(basePath, std::string(), base, why)) {
    problem = res::Format(res::ReasonBackupBaseUnusable, {basePath.substr(basePath.rfind('/') + 1), why});
    return false;
  }
  return Unzstd(packed, &base, text, problem);
}
