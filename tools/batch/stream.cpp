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
#include "tools/batch/shard_files.hpp"
#include "tools/core/batch_layout.hpp"
#include "tools/core/files.hpp"
#include "tools/core/folder_lock.hpp"
#include "tools/core/packet.hpp"
#include "tools/core/process.hpp"
#include "tools/core/tokens.hpp"
#include "tools/formats/source_items.hpp"

namespace tools {

namespace fs = std::filesystem;
namespace layout = batch_layout;

namespace {

std::string pack(const std::vector<MoleculeAnswer>& answers) {
  PacketWriter packet;
  for (const MoleculeAnswer& answer : answers) {
    packet.put(answer.prepared.name);
    packet.put(answer.prepared.origin);
    packet.put(answer.prepared.notes);
    packet.put(answer.prepared.error);
    std::vector<std::string> lines;
    for (const StatusLine& line : answer.run.lines)
      lines.push_back(status_tsv_line(line));
    packet.put(lines);
    packet.put(answer.run.sdf);
    packet.put(answer.run.records);
    packet.put(answer.run.symmetrised);
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
    answer.run.symmetrised = packet.text();
  }
  return answers;
}

// The work of a worker process: one input, read, prepared and run.
std::string answer_item(std::string_view request, const JobOptions& job,
                        const MoleculeOptions& molecules, const InProcessRun& programs) {
  std::vector<MoleculeAnswer> answers;
  for (PreparedMolecule& prepared : prepare_item(unpack_item(request), job, molecules)) {
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
        writer_(options.out, {options.programs.keep_records, options.programs.keep_symmetrised}),
        count_(files, molecules, options) {}

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

} // namespace tools
