// The files of a streamed batch's shards (names in batch_layout.hpp): while a shard runs, its
// part files grow input by input, each input's answers whole before the progress mark that counts
// them, so that a run killed at any moment is taken up after its last whole input; a finished
// shard's files carry their final names. The tables of all shards make the batch's status.tsv.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/batch/molecule_run.hpp"
#include "tools/core/status.hpp"
#include "tools/formats/sources.hpp"

namespace tools {

// The name of shard number shard (0-based): "shard-000001" for 0.
std::string shard_name(std::size_t shard);

// The files of a shard, in the order of the sizes a progress mark holds.
enum class ShardPart { sdf, status, records, symmetrised };
inline constexpr std::size_t shard_parts = 4;

// The optional files a run writes besides the results and the table.
struct ShardContents {
  bool records = false;     // the programs' records and listings, gzipped
  bool symmetrised = false; // the symmetrised molecules in their groups' frames
};

// Where a shard stands before a run: finished (its files written), or how many of its inputs its
// part files hold whole.
struct ShardStart {
  bool finished = false;
  std::size_t done = 0;
};

// A progress mark: the inputs written whole, and the size each part file had then.
struct ProgressMark {
  std::size_t inputs = 0;
  std::array<long, shard_parts> sizes{};
};

class ShardFiles {
public:
  ShardFiles(const std::filesystem::path& out, std::size_t shard);
  std::filesystem::path final_path(ShardPart part) const;
  std::filesystem::path part_path(ShardPart part) const;
  std::filesystem::path progress() const;

  // The last whole line of the progress file; nothing when there is none.
  std::optional<ProgressMark> last_mark() const;

  // Where the shard stands; without resume, at its start.
  ShardStart start(bool resume) const;

private:
  std::filesystem::path base_;
};

// A file opened for appending whose writes reach the kernel at once, so that a run killed at any
// moment leaves whole writes behind.
class AppendFile {
public:
  AppendFile() = default;
  explicit AppendFile(const std::filesystem::path& path);
  AppendFile(AppendFile&& other) noexcept : file_(std::exchange(other.file_, nullptr)) {}
  AppendFile& operator=(AppendFile&& other) noexcept;
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;
  ~AppendFile() { close(); }

  bool is_open() const { return file_ != nullptr; }
  void close();
  // DiskFull when the text cannot be written whole.
  void write(std::string_view text);
  long size() const;

private:
  std::FILE* file_ = nullptr;
};

// Writes the shards one after the other, each input's answers whole before its progress mark.
class ShardWriter {
public:
  ShardWriter(std::filesystem::path out, ShardContents contents);

  // Makes shard the open one, taking up after its last whole input when the run resumes.
  void open(std::size_t shard, bool resume);

  std::optional<std::size_t> shard() const;

  // Writes the answers of input (its number in the shard), naming each molecule uniquely within
  // the shard, and returns their status lines.
  std::vector<StatusLine> append(std::size_t input, std::vector<MoleculeAnswer>& answers);

  // Gives the open shard's part files their names; the progress file goes last.
  void close();

private:
  bool writes(ShardPart part) const;
  void take_up(const ProgressMark& mark);

  std::filesystem::path out_;
  ShardContents contents_;
  std::optional<ShardFiles> files_;
  std::size_t shard_ = 0;
  std::array<AppendFile, shard_parts> parts_;
  AppendFile progress_;
  UniqueStems stems_;
};

// Gathers the tables of shards 1 .. count into out/status.tsv, a shard without its table as one
// "not run" line. Returns the number of failed runs and of all runs.
std::pair<std::size_t, std::size_t> gather_shards(const std::filesystem::path& out,
                                                  std::size_t count);

// Writes the result molecules of shards 1 .. count, in shard order, into the file sdf (a shard
// without its SDF adds none); the file appears whole or not at all.
void concatenate_shard_sdf(const std::filesystem::path& out, std::size_t count,
                           const std::filesystem::path& sdf);

} // namespace tools
