#include "tools/formats/compressed_input.hpp"

#include <array>
#include <fstream>
#include <streambuf>

#include <zlib.h>

#include "tools/core/tool_error.hpp"

namespace tools {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view gzip_extension = ".gz";
constexpr std::size_t buffer_size = 1 << 16;
// deflateInit2's window bits for a gzip header and trailer, and its default memory level.
constexpr int gzip_window_bits = 15 + 16;
constexpr int default_memory_level = 8;

// A read buffer that zlib fills from a gzipped file. A damaged stream ends the text early; the
// record checks then refuse the record it cut.
class GzipBuffer : public std::streambuf {
public:
  explicit GzipBuffer(const fs::path& file) : file_(::gzopen(file.c_str(), "rb")) {}
  ~GzipBuffer() override {
    if (file_ != nullptr)
      ::gzclose(file_);
  }
  GzipBuffer(const GzipBuffer&) = delete;
  GzipBuffer& operator=(const GzipBuffer&) = delete;
  bool is_open() const { return file_ != nullptr; }

protected:
  int_type underflow() override {
    if (gptr() < egptr())
      return traits_type::to_int_type(*gptr());
    const int got = ::gzread(file_, buffer_.data(), static_cast<unsigned>(buffer_.size()));
    if (got <= 0)
      return traits_type::eof();
    setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
    return traits_type::to_int_type(*gptr());
  }

private:
  gzFile file_;
  std::array<char, buffer_size> buffer_{};
};

// The stream that owns its buffer.
class GzipStream : public std::istream {
public:
  explicit GzipStream(const fs::path& file) : std::istream(nullptr), buffer_(file) {
    rdbuf(&buffer_);
    if (!buffer_.is_open())
      setstate(std::ios::failbit);
  }

private:
  GzipBuffer buffer_;
};

} // namespace

bool is_gzipped(const fs::path& file) { return file.extension() == gzip_extension; }

fs::path uncompressed_name(const fs::path& file) {
  return is_gzipped(file) ? file.parent_path() / file.stem() : file;
}

std::unique_ptr<std::istream> open_text(const fs::path& file) {
  std::unique_ptr<std::istream> in;
  if (is_gzipped(file))
    in = std::make_unique<GzipStream>(file);
  else
    in = std::make_unique<std::ifstream>(file, std::ios::binary);
  if (!*in)
    throw ToolError("cannot read " + file.string());
  return in;
}

std::string gzip_member(std::string_view text) {
  z_stream stream{};
  if (::deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, gzip_window_bits,
                     default_memory_level, Z_DEFAULT_STRATEGY) != Z_OK)
    throw ToolError("zlib cannot compress");
  std::string member(::deflateBound(&stream, static_cast<uLong>(text.size())), '\0');
  // zlib reads the input through a pointer to non-const, but does not write it.
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(member.data());
  stream.avail_out = static_cast<uInt>(member.size());
  const int status = ::deflate(&stream, Z_FINISH);
  member.resize(stream.total_out);
  ::deflateEnd(&stream);
  if (status != Z_STREAM_END)
    throw ToolError("zlib cannot compress");
  return member;
}

} // namespace tools
