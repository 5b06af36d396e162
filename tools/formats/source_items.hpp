// The inputs of a streamed batch as a sequence of items, read one at a time: each record of a
// chemistry file (as the record reader cuts it, so that no molecule is parsed here), each keyword
// input, each SMILES of the options. An item crosses to a worker process as bytes and is prepared
// there, so that the reading of a library of any length takes the memory of one record.
#pragma once

#include <filesystem>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/formats/file_records.hpp"
#include "tools/formats/sources.hpp"

namespace tools {

struct SourceItem {
  enum class Kind { record, keyword_input, smiles, unreadable_file };
  Kind kind = Kind::record;
  std::filesystem::path file; // the file it comes from (none for a SMILES)
  // A record: the record. A keyword input: its text. A SMILES: the SMILES as text and the name
  // as title. An unreadable file: why, as damage.
  FileRecord record;
};

std::string pack(const SourceItem& item);
SourceItem unpack_item(std::string_view bytes);

// The items of the files, then of the SMILES of the options, in order.
class SourceItems {
public:
  SourceItems(std::vector<std::filesystem::path> files, const MoleculeOptions& options);
  ~SourceItems();
  SourceItems(const SourceItems&) = delete;
  SourceItems& operator=(const SourceItems&) = delete;

  // The next item; nothing after the last. ToolError for a file that does not exist.
  std::optional<SourceItem> next();

private:
  std::optional<SourceItem> next_of_file();
  bool open_next_file();

  std::vector<std::filesystem::path> files_;
  const MoleculeOptions& options_;
  std::size_t next_file_ = 0;
  std::size_t next_smiles_ = 0;
  std::filesystem::path file_;
  std::unique_ptr<std::istream> in_;
  std::unique_ptr<RecordReader> records_;
  int records_of_file_ = 0;
};

// The molecules of an item, read and prepared in this process (the caller isolates it): one for a
// split record, a keyword input or a SMILES; every molecule of the file for a format without a
// record splitter; a skipped entry for an unreadable file.
std::vector<PreparedMolecule> prepare_item(const SourceItem& item, const JobOptions& job,
                                           const MoleculeOptions& options);

} // namespace tools
