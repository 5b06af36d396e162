#include "tools/batch/stream.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <utility>

#include <poll.h>

#include "tools/batch/progress.hpp"
#include "tools/core/batch_layout.hpp"
#include "tools/core/files.hpp"
#include "tools/core/folder_lock.hpp"
#include "tools/core/packet.hpp"
#include "tools/core/process.hpp"
#include "tools/formats/source_items.hpp"

namespace tools {

namespace fs = std::filesystem;
namespace layout = batch_layout;

namespace {

// What a worker hands back for each molecule of an input.
struct MoleculeAnswer {
  Prepared prepared; // name, origin, notes and error; the input and template stay in the worker
  MoleculeRun run;
};

std::string pack(const std::vector<MoleculeAnswer>& answers) {
  PacketWriter packet;
  for (const MoleculeAnswer& answer : answers) {
    packet.put(answer.prepared.name);
    packet.put(answer.prepared.origin);
    packet.put(answer.prepared.notes);
    packet.put(answer.prepared.error);
    std::vector<std::string> lines;
    for (const StatusLine& line : answer.run.lines)
      lines.push_back(status_text(line));
    packet.put(lines);
    packet.put(answer.run.sdf);
    packet.put(answer.run.records);
  }
  return packet.bytes();
}

std::vector<MoleculeAnswer> unpack_answers(std::string_view bytes) {
  PacketReader packet(bytes);
  std::vector<MoleculeAnswer> answers;
  while (!packet.done()) {
    MoleculeAnswer& answer = answers.emplace_back();
    answer.prepared.name = packet.text();
    answer.prepared.origin = packet.text();
    answer.prepared.notes = packet.texts();
    answer.prepared.error = packet.text();
    for (const std::string& line : packet.texts())
      answer.run.lines.push_back(parse_status(line));
    answer.run.sdf = packet.text();
    answer.run.records = packet.text();
  }
  return answers;
}

// The work of a worker process: one input, read, prepared and run.
std::string answer_item(std::string_view request, const JobOptions& job,
                        const MoleculeOptions& molecules, const InProcessRun& programs) {
  std::vector<MoleculeAnswer> answers;
  for (Prepared& prepared : prepare_item(unpack_item(request), job, molecules)) {
    MoleculeAnswer& answer = answers.emplace_back();
    if (prepared.error.empty())
      answer.run = run_molecule(prepared, programs);
    else
      answer.run.lines.push_back(skipped_line(prepared));
    answer.prepared = std::move(prepared);
  }
  return pack(answers);
}

// The answer for an input whose worker crashed or ran out of time.
std::vector<MoleculeAnswer> failed_item(const SourceItem& item, const std::string& failure,
                                        int timeout_seconds) {
  MoleculeAnswer answer;
  const std::string title(trim(item.record.title));
  answer.prepared.name = title.empty() ? item.file.stem().string() : title;
  answer.prepared.origin =
      item.file.filename().string() + " input " + std::to_string(item.record.index);
  StatusLine line;
  const bool late = failure.starts_with("took longer");
  line.outcome = late ? outcome_text(Outcome::timeout) : outcome_text(Outcome::failed, failure);
  line.detail = late ? "reading, preparing and running it took longer than the --timeout of " +
                           std::to_string(timeout_seconds) + " s"
                     : "its worker " + failure;
  answer.run.lines.push_back(line);
  return {answer};
}

std::string shard_name(std::size_t shard) {
  std::string number = std::to_string(shard + 1);
  if (number.size() < static_cast<std::size_t>(layout::shard_number_width))
    number.insert(0, static_cast<std::size_t>(layout::shard_number_width) - number.size(), '0');
  return std::string(layout::shard_prefix) + number;
}

// A file opened for appending whose writes reach the kernel at once, so that a run killed at any
// moment leaves whole writes behind.
struct AppendFile {
  std::FILE* file = nullptr;
  AppendFile() = default;
  explicit AppendFile(const fs::path& path) : file(std::fopen(path.c_str(), "ab")) {
    if (file == nullptr)
      throw ToolError("cannot write " + path.string());
  }
  AppendFile(AppendFile&& other) noexcept : file(std::exchange(other.file, nullptr)) {}
  AppendFile& operator=(AppendFile&& other) noexcept {
    close();
    file = std::exchange(other.file, nullptr);
    return *this;
  }
  ~AppendFile() { close(); }
  void close() {
    if (file != nullptr)
      std::fclose(file);
    file = nullptr;
  }
  void write(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fflush(file) != 0)
      throw DiskFull("cannot write a shard: " + std::string(std::strerror(errno)));
  }
  long size() const { return std::ftell(file); }
};

} // namespace

namespace {

// Where a shard stands before a run: finished (its files written), or how many of its inputs its
// part files hold whole.
struct ShardStart {
  bool finished = false;
  std::size_t done = 0;
};

struct ProgressMark {
  std::size_t inputs = 0; // inputs written whole
  long sdf = 0, status = 0, records = 0;
};

class ShardFiles {
public:
  ShardFiles(fs::path out, std::size_t shard) : base_(std::move(out) / shard_name(shard)) {}
  fs::path final_path(std::string_view extension) const {
    return base_.string() + std::string(extension);
  }
  fs::path part_path(std::string_view extension) const {
    return base_.string() + std::string(extension) + std::string(layout::part_suffix);
  }
  fs::path progress() const { return final_path(layout::shard_progress); }

  // The last whole line of the progress file; nothing when there is none.
  std::optional<ProgressMark> last_mark() const {
    if (!fs::exists(progress()))
      return std::nullopt;
    const std::string text = read_file(progress());
    const std::size_t end = text.rfind('\n');
    if (end == std::string::npos)
      return std::nullopt;
    const std::size_t begin = text.rfind('\n', end - 1);
    std::istringstream line(text.substr(begin == std::string::npos ? 0 : begin + 1, end));
    ProgressMark mark;
    if (!(line >> mark.inputs >> mark.sdf >> mark.status >> mark.records))
      return std::nullopt;
    return mark;
  }

  ShardStart start(bool resume) const {
    if (resume && !fs::exists(progress()) && fs::exists(final_path(layout::shard_status)))
      return {true, 0};
    const std::optional<ProgressMark> mark = resume ? last_mark() : std::nullopt;
    return {false, mark ? mark->inputs : 0};
  }

private:
  fs::path base_;
};

// Writes the shards one after the other, each input's answers whole before its progress mark.
class ShardWriter {
public:
  ShardWriter(fs::path out, bool keep_records) : out_(std::move(out)), keep_(keep_records) {}

  // Makes shard the open one, taking up after its last whole input when the run resumes.
  void open(std::size_t shard, bool resume) {
    close();
    files_.emplace(out_, shard);
    const std::optional<ProgressMark> mark = resume ? files_->last_mark() : std::nullopt;
    for (std::string_view extension : extensions()) {
      const fs::path part = files_->part_path(extension);
      const fs::path final_file = files_->final_path(extension);
      // A run killed while it named the part files leaves some named already: they are parts
      // again until the shard is closed.
      if (mark && !fs::exists(part) && fs::exists(final_file))
        fs::rename(final_file, part);
      fs::remove(final_file);
      if (!mark)
        fs::remove(part);
    }
    if (!mark)
      fs::remove(files_->progress());
    sdf_ = AppendFile(files_->part_path(layout::shard_sdf));
    status_ = AppendFile(files_->part_path(layout::shard_status));
    records_ = keep_ ? AppendFile(files_->part_path(layout::shard_records)) : AppendFile();
    stems_ = UniqueStems(reserved_names());
    if (mark) {
      take_up(*mark);
    } else {
      status_.write(status_header() + "\n");
    }
    progress_ = AppendFile(files_->progress());
    shard_ = shard;
  }

  std::optional<std::size_t> shard() const { return files_ ? std::optional(shard_) : std::nullopt; }

  // Writes the answers of input (its number in the shard) and returns their status lines.
  std::vector<StatusLine> append(std::size_t input, std::vector<MoleculeAnswer>& answers) {
    std::vector<StatusLine> lines;
    std::string sdf, records;
    for (MoleculeAnswer& answer : answers) {
      const std::string stem = stems_.take(answer.prepared.name);
      for (StatusLine& line : answer.run.lines) {
        line.molecule = stem;
        lines.push_back(line);
      }
      sdf += answer.run.sdf;
      if (!answer.run.records.empty())
        records += "#### molecule " + stem + "\n" + answer.run.records;
    }
    sdf_.write(sdf);
    status_.write(status_lines_text(lines));
    if (keep_)
      records_.write(records);
    progress_.write(std::to_string(input + 1) + " " + std::to_string(sdf_.size()) + " " +
                    std::to_string(status_.size()) + " " +
                    std::to_string(keep_ ? records_.size() : 0) + "\n");
    return lines;
  }

  // Gives the open shard's part files their names; the progress file goes last.
  void close() {
    if (!files_)
      return;
    sdf_.close();
    status_.close();
    records_.close();
    progress_.close();
    for (std::string_view extension : extensions())
      if (fs::exists(files_->part_path(extension)))
        fs::rename(files_->part_path(extension), files_->final_path(extension));
    fs::remove(files_->progress());
    files_.reset();
  }

private:
  std::vector<std::string_view> extensions() const {
    return {layout::shard_sdf, layout::shard_status, layout::shard_records};
  }

  static std::vector<std::string> reserved_names() {
    return {std::string(layout::molecules), std::string(layout::status), std::string(layout::lock)};
  }

  // Cuts the part files back to the last whole input and takes the names its lines gave out.
  void take_up(const ProgressMark& mark) {
    fs::resize_file(files_->part_path(layout::shard_sdf), static_cast<std::uintmax_t>(mark.sdf));
    fs::resize_file(files_->part_path(layout::shard_status),
                    static_cast<std::uintmax_t>(mark.status));
    if (keep_)
      fs::resize_file(files_->part_path(layout::shard_records),
                      static_cast<std::uintmax_t>(mark.records));
    std::vector<std::string> names = reserved_names();
    for (const StatusLine& line :
         read_status_table(read_file(files_->part_path(layout::shard_status))))
      names.push_back(line.molecule);
    stems_ = UniqueStems(names);
  }

  fs::path out_;
  bool keep_;
  std::optional<ShardFiles> files_;
  std::size_t shard_ = 0;
  AppendFile sdf_, status_, records_, progress_;
  UniqueStems stems_;
};

// The lines of a shard's table; one "not run" line when the shard has none.
std::vector<StatusLine> shard_lines(const fs::path& out, std::size_t shard) {
  const fs::path table = ShardFiles(out, shard).final_path(layout::shard_status);
  if (fs::exists(table))
    return read_status_table(read_file(table));
  StatusLine line{shard_name(shard), "-", "-", outcome_text(Outcome::not_run)};
  line.detail = "the shard did not finish; its task run again, or --resume, runs it";
  return {line};
}

// status.tsv of the whole run: the shards' tables one after the other. Returns the number of
// failed runs and of all runs.
std::pair<std::size_t, std::size_t> gather_shards(const fs::path& out, std::size_t shards) {
  const fs::path part = out / (std::string(layout::status) + std::string(layout::part_suffix));
  fs::remove(part);
  std::size_t failures = 0;
  std::size_t runs = 0;
  {
    AppendFile status(part);
    status.write(status_header() + "\n");
    for (std::size_t shard = 0; shard < shards; ++shard) {
      const std::vector<StatusLine> lines = shard_lines(out, shard);
      for (const StatusLine& line : lines)
        failures += succeeded(line) ? 0 : 1;
      runs += lines.size();
      status.write(status_lines_text(lines));
    }
  }
  fs::rename(part, out / layout::status);
  return {failures, runs};
}

} // namespace

namespace {

// The inputs of a streamed run's shards, counted by a child process while the run goes on, so that
// its progress can say of how many; no count when an input is not a regular file (a pipe cannot
// be read twice).
class InputCount {
public:
  InputCount(const std::vector<fs::path>& files, const MoleculeOptions& molecules,
             const StreamOptions& options)
      : counter_(
            [&files, &molecules, &options](std::string_view) {
              return std::to_string(inputs_in_range(files, molecules, options));
            },
            0) {
    if (std::all_of(files.begin(), files.end(),
                    [](const fs::path& file) { return fs::is_regular_file(file); }))
      counter_.send({});
  }

  // The count once the child has it; the child is done with then.
  std::optional<std::size_t> take() {
    pollfd ready{counter_.descriptor(), POLLIN, 0};
    if (!counter_.busy() || ::poll(&ready, 1, 0) != 1)
      return std::nullopt;
    const IsolatedResult result = counter_.collect();
    std::size_t count = 0;
    const char* end = result.text.data() + result.text.size();
    if (!result.failure.empty() || std::from_chars(result.text.data(), end, count).ptr != end)
      return std::nullopt;
    return count;
  }

private:
  static std::size_t inputs_in_range(const std::vector<fs::path>& files,
                                     const MoleculeOptions& molecules,
                                     const StreamOptions& options) {
    SourceItems items(files, molecules);
    std::size_t count = 0;
    while (items.next())
      ++count;
    if (!options.shards)
      return count;
    const std::size_t first = options.shards->first * options.shard_size;
    const std::size_t end = (options.shards->last + 1) * options.shard_size;
    return std::min(count, end) - std::min(count, first);
  }

  IsolatedWorker counter_;
};

// The supervisor of a streamed run: hands the inputs of the shards to run out to the pool, and
// writes each answer into its shard in input order.
class Supervisor {
public:
  Supervisor(const std::vector<fs::path>& files, const MoleculeOptions& molecules,
             const StreamOptions& options)
      : options_(options), items_(files, molecules),
        writer_(options.out, options.programs.keep_records), count_(files, molecules, options) {}

  // The next input to run, packed; nothing after the last. Inputs of finished shards, of other
  // tasks' shards and those a resumed shard holds already are passed over.
  std::optional<std::string> next() {
    while (std::optional<SourceItem> item = items_.next()) {
      const std::size_t number = inputs_++;
      const std::size_t shard = number / options_.shard_size;
      if (options_.shards && shard > options_.shards->last)
        break;
      if (shard == starts_.size())
        starts_.push_back(in_range(shard) ? ShardFiles(options_.out, shard).start(options_.resume)
                                          : ShardStart{true, 0});
      if (!in_range(shard))
        continue;
      if (starts_[shard].finished || number % options_.shard_size < starts_[shard].done) {
        progress_.passed_over();
        continue;
      }
      std::string request = pack(*item);
      handed_.emplace_back(number, std::move(*item));
      return request;
    }
    return std::nullopt;
  }

  // Writes the answer to the oldest input handed out.
  void take(IsolatedResult&& result) {
    auto [number, item] = std::move(handed_.front());
    handed_.pop_front();
    const std::size_t shard = number / options_.shard_size;
    if (writer_.shard() != shard)
      writer_.open(shard, options_.resume);
    std::vector<MoleculeAnswer> answers =
        result.failure.empty() ? unpack_answers(result.text)
                               : failed_item(item, result.failure, options_.timeout_seconds);
    for (const MoleculeAnswer& answer : answers)
      report_preparation(std::cerr, "ffbatch", answer.prepared);
    const std::vector<StatusLine> lines = writer_.append(number % options_.shard_size, answers);
    for (const StatusLine& line : lines)
      failures_ += succeeded(line) ? 0 : 1;
    if (const std::optional<std::size_t> total = count_.take())
      progress_.set_total(*total);
    progress_.finished(lines);
  }

  // Closes the last shard and any shard whose every input an interrupted run had written; the
  // exit status.
  int finish() {
    writer_.close();
    for (std::size_t shard = 0; shard < starts_.size(); ++shard) {
      if (!starts_[shard].finished && fs::exists(ShardFiles(options_.out, shard).progress())) {
        writer_.open(shard, true);
        writer_.close();
      }
    }
    if (options_.shards)
      return failures_ > 0 ? 1 : 0;
    write_file_atomic(options_.out / layout::stream_shards, std::to_string(starts_.size()) + "\n");
    const auto [failed, runs] = gather_shards(options_.out, starts_.size());
    return batch_end(failed, runs, options_.out / layout::status);
  }

private:
  bool in_range(std::size_t shard) const {
    return !options_.shards || (shard >= options_.shards->first && shard <= options_.shards->last);
  }

  const StreamOptions& options_;
  SourceItems items_;
  ShardWriter writer_;
  Progress progress_;
  InputCount count_;
  std::vector<ShardStart> starts_;
  std::deque<std::pair<std::size_t, SourceItem>> handed_; // handed out, not yet taken
  std::size_t inputs_ = 0;
  std::size_t failures_ = 0;
};

} // namespace

int run_stream(const std::vector<fs::path>& files, const JobOptions& job,
               const MoleculeOptions& molecules, const StreamOptions& options) {
  fs::create_directories(options.out);
  std::optional<FolderLock> lock;
  if (!options.shards) {
    lock.emplace(options.out);
    fs::remove(options.out / layout::status);
  }
  Supervisor supervisor(files, molecules, options);
  IsolatedPool pool(
      [&](std::string_view request) {
        return answer_item(request, job, molecules, options.programs);
      },
      options.workers, options.timeout_seconds);
  pool.run([&] { return supervisor.next(); },
           [&](std::size_t, IsolatedResult&& result) { supervisor.take(std::move(result)); });
  return supervisor.finish();
}

std::size_t count_shards(const std::vector<fs::path>& files, const MoleculeOptions& molecules,
                         std::size_t shard_size) {
  SourceItems items(files, molecules);
  std::size_t count = 0;
  while (items.next())
    ++count;
  return (count + shard_size - 1) / shard_size;
}

int collect_shards(const fs::path& out, std::size_t count, const fs::path& sdf) {
  const FolderLock lock(out);
  const auto [failures, runs] = gather_shards(out, count);
  if (!sdf.empty())
    concatenate_shard_sdf(out, count, sdf);
  return batch_end(failures, runs, out / layout::status);
}

void concatenate_shard_sdf(const fs::path& out, std::size_t count, const fs::path& sdf) {
  const fs::path part = sdf.string() + std::string(layout::part_suffix);
  {
    std::ofstream whole(part, std::ios::binary | std::ios::trunc);
    for (std::size_t shard = 0; shard < count && whole; ++shard) {
      std::ifstream piece(ShardFiles(out, shard).final_path(layout::shard_sdf), std::ios::binary);
      if (piece && piece.peek() != std::ifstream::traits_type::eof())
        whole << piece.rdbuf();
    }
    if (!whole.flush())
      throw ToolError(part.string() + ": cannot be written");
  }
  fs::rename(part, sdf);
}

} // namespace tools
