#include "tools/batch/shard_files.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "tools/core/batch_layout.hpp"
#include "tools/core/files.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/formats/compressed_input.hpp"

namespace tools {

namespace fs = std::filesystem;
namespace layout = batch_layout;

namespace {

constexpr std::array<std::string_view, shard_parts> part_extensions = {
    layout::shard_sdf, layout::shard_status, layout::shard_records, layout::shard_symmetrised};

constexpr std::array<ShardPart, shard_parts> all_parts = {
    ShardPart::sdf, ShardPart::status, ShardPart::records, ShardPart::symmetrised};

std::size_t index_of(ShardPart part) { return static_cast<std::size_t>(part); }

std::vector<std::string> reserved_names() {
  return {std::string(layout::molecules), std::string(layout::status), std::string(layout::lock)};
}

// The lines of a shard's table; one "not run" line when the shard has none.
std::vector<StatusLine> shard_lines(const fs::path& out, std::size_t shard) {
  const fs::path table = ShardFiles(out, shard).final_path(ShardPart::status);
  if (fs::exists(table))
    return read_status_table(read_file(table));
  StatusLine line{shard_name(shard), "-", "-", outcome_text(Outcome::not_run)};
  line.detail = "the shard did not finish; its task run again, or --resume, runs it";
  return {line};
}

} // namespace

std::string shard_name(std::size_t shard) {
  std::string number = std::to_string(shard + 1);
  if (number.size() < static_cast<std::size_t>(layout::shard_number_width))
    number.insert(0, static_cast<std::size_t>(layout::shard_number_width) - number.size(), '0');
  return std::string(layout::shard_prefix) + number;
}

ShardFiles::ShardFiles(const fs::path& out, std::size_t shard) : base_(out / shard_name(shard)) {}

fs::path ShardFiles::final_path(ShardPart part) const {
  return base_.string() + std::string(part_extensions[index_of(part)]);
}

fs::path ShardFiles::part_path(ShardPart part) const {
  return final_path(part).string() + std::string(layout::part_suffix);
}

fs::path ShardFiles::progress() const {
  return base_.string() + std::string(layout::shard_progress);
}

std::optional<ProgressMark> ShardFiles::last_mark() const {
  if (!fs::exists(progress()))
    return std::nullopt;
  const std::string text = read_file(progress());
  const std::size_t end = text.rfind('\n');
  if (end == std::string::npos)
    return std::nullopt;
  const std::size_t begin = text.rfind('\n', end - 1);
  std::istringstream line(text.substr(begin == std::string::npos ? 0 : begin + 1, end));
  ProgressMark mark;
  if (!(line >> mark.inputs))
    return std::nullopt;
  for (long& size : mark.sizes)
    if (!(line >> size))
      return std::nullopt;
  return mark;
}

ShardStart ShardFiles::start(bool resume) const {
  if (resume && !fs::exists(progress()) && fs::exists(final_path(ShardPart::status)))
    return {true, 0};
  const std::optional<ProgressMark> mark = resume ? last_mark() : std::nullopt;
  return {false, mark ? mark->inputs : 0};
}

AppendFile::AppendFile(const fs::path& path) : file_(std::fopen(path.c_str(), "ab")) {
  if (file_ == nullptr)
    throw ToolError("cannot write " + path.string());
}

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept {
  close();
  file_ = std::exchange(other.file_, nullptr);
  return *this;
}

void AppendFile::close() {
  if (file_ != nullptr)
    std::fclose(file_);
  file_ = nullptr;
}

void AppendFile::write(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0)
    throw DiskFull("cannot write a shard: " + std::string(std::strerror(errno)));
}

long AppendFile::size() const { return file_ != nullptr ? std::ftell(file_) : 0; }

ShardWriter::ShardWriter(fs::path out, ShardContents contents)
    : out_(std::move(out)), contents_(contents) {}

bool ShardWriter::writes(ShardPart part) const {
  return (part != ShardPart::records || contents_.records) &&
         (part != ShardPart::symmetrised || contents_.symmetrised);
}

std::optional<std::size_t> ShardWriter::shard() const {
  return files_ ? std::optional(shard_) : std::nullopt;
}

void ShardWriter::open(std::size_t shard, bool resume) {
  close();
  files_.emplace(out_, shard);
  const std::optional<ProgressMark> mark = resume ? files_->last_mark() : std::nullopt;
  for (const ShardPart part : all_parts) {
    const fs::path part_file = files_->part_path(part);
    const fs::path final_file = files_->final_path(part);
    // A run killed while it named the part files leaves some named already: they are parts
    // again until the shard is closed.
    if (mark && !fs::exists(part_file) && fs::exists(final_file))
      fs::rename(final_file, part_file);
    fs::remove(final_file);
    if (!mark)
      fs::remove(part_file);
    parts_[index_of(part)] = writes(part) ? AppendFile(part_file) : AppendFile();
  }
  if (!mark)
    fs::remove(files_->progress());
  stems_ = UniqueStems(reserved_names());
  if (mark)
    take_up(*mark);
  else
    parts_[index_of(ShardPart::status)].write(status_header() + "\n");
  progress_ = AppendFile(files_->progress());
  shard_ = shard;
}

std::vector<StatusLine> ShardWriter::append(std::size_t input,
                                            std::vector<MoleculeAnswer>& answers) {
  std::vector<StatusLine> lines;
  std::array<std::string, shard_parts> texts;
  for (MoleculeAnswer& answer : answers) {
    const std::string stem = stems_.take(answer.prepared.name);
    for (StatusLine& line : answer.run.lines) {
      line.molecule = stem;
      lines.push_back(line);
    }
    texts[index_of(ShardPart::sdf)] += answer.run.sdf;
    texts[index_of(ShardPart::symmetrised)] += answer.run.symmetrised;
    if (!answer.run.records.empty())
      texts[index_of(ShardPart::records)] +=
          gzip_member("#### molecule " + stem + "\n") + answer.run.records;
  }
  texts[index_of(ShardPart::status)] = status_tsv_lines(lines);
  std::string mark = std::to_string(input + 1);
  for (const ShardPart part : all_parts) {
    AppendFile& file = parts_[index_of(part)];
    if (file.is_open())
      file.write(texts[index_of(part)]);
    mark.push_back(' ');
    mark.append(std::to_string(file.size()));
  }
  progress_.write(mark + "\n");
  return lines;
}

void ShardWriter::close() {
  if (!files_)
    return;
  for (AppendFile& file : parts_)
    file.close();
  progress_.close();
  for (const ShardPart part : all_parts)
    if (fs::exists(files_->part_path(part)))
      fs::rename(files_->part_path(part), files_->final_path(part));
  fs::remove(files_->progress());
  files_.reset();
}

// Cuts the part files back to the last whole input and takes the names its lines gave out.
void ShardWriter::take_up(const ProgressMark& mark) {
  for (const ShardPart part : all_parts)
    if (writes(part))
      fs::resize_file(files_->part_path(part),
                      static_cast<std::uintmax_t>(mark.sizes[index_of(part)]));
  std::vector<std::string> names = reserved_names();
  for (const StatusLine& line : read_status_table(read_file(files_->part_path(ShardPart::status))))
    names.push_back(line.molecule);
  stems_ = UniqueStems(names);
}

std::pair<std::size_t, std::size_t> gather_shards(const fs::path& out, std::size_t count) {
  const fs::path part = out / (std::string(layout::status) + std::string(layout::part_suffix));
  fs::remove(part);
  std::size_t failures = 0;
  std::size_t runs = 0;
  {
    AppendFile status(part);
    status.write(status_header() + "\n");
    for (std::size_t shard = 0; shard < count; ++shard) {
      const std::vector<StatusLine> lines = shard_lines(out, shard);
      for (const StatusLine& line : lines)
        failures += succeeded(line) ? 0 : 1;
      runs += lines.size();
      status.write(status_tsv_lines(lines));
    }
  }
  fs::rename(part, out / layout::status);
  return {failures, runs};
}

void concatenate_shard_sdf(const fs::path& out, std::size_t count, const fs::path& sdf) {
  const fs::path part = sdf.string() + std::string(layout::part_suffix);
  {
    std::ofstream whole(part, std::ios::binary | std::ios::trunc);
    for (std::size_t shard = 0; shard < count && whole; ++shard) {
      std::ifstream piece(ShardFiles(out, shard).final_path(ShardPart::sdf), std::ios::binary);
      if (piece && piece.peek() != std::ifstream::traits_type::eof())
        whole << piece.rdbuf();
    }
    if (!whole.flush())
      throw ToolError(part.string() + ": cannot be written");
  }
  fs::rename(part, sdf);
}

} // namespace tools
