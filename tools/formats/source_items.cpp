#include "tools/formats/source_items.hpp"

#include <utility>

#include "tools/core/files.hpp"
#include "tools/core/packet.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/formats/compressed_input.hpp"
#include "tools/formats/preparation.hpp"

namespace tools {

namespace fs = std::filesystem;

std::string pack(const SourceItem& item) {
  PacketWriter packet;
  packet.put(static_cast<int>(item.kind));
  packet.put(item.file.string());
  packet.put(item.record.index);
  packet.put(item.record.first_line);
  packet.put(item.record.title);
  packet.put(item.record.text);
  packet.put(item.record.damage);
  return packet.bytes();
}

SourceItem unpack_item(std::string_view bytes) {
  PacketReader packet(bytes);
  SourceItem item;
  item.kind = static_cast<SourceItem::Kind>(packet.integer());
  item.file = packet.text();
  item.record.index = packet.integer();
  item.record.first_line = packet.integer();
  item.record.title = packet.text();
  item.record.text = packet.text();
  item.record.damage = packet.text();
  return item;
}

SourceItems::SourceItems(std::vector<fs::path> files, const MoleculeOptions& options)
    : files_(std::move(files)), options_(options) {}

SourceItems::~SourceItems() = default;

// Opens the next file; a keyword input or an unreadable file is taken whole, and then there is no
// record reader.
bool SourceItems::open_next_file() {
  records_.reset();
  in_.reset();
  if (next_file_ == files_.size())
    return false;
  file_ = files_[next_file_++];
  records_of_file_ = 0;
  if (!fs::exists(file_))
    throw ToolError(file_.string() + ": no such file");
  return true;
}

std::optional<SourceItem> SourceItems::next_of_file() {
  SourceItem item;
  item.file = file_;
  if (!records_) {
    if (is_keyword_input(file_)) {
      item.kind = SourceItem::Kind::keyword_input;
      item.record.text = read_file(file_);
      return item;
    }
    try {
      const RecordLayout layout = file_layout(file_, options_.read);
      in_ = open_text(file_);
      records_ = std::make_unique<RecordReader>(*in_, layout);
    } catch (const ToolError& e) {
      item.kind = SourceItem::Kind::unreadable_file;
      item.record.damage = e.what();
      return item;
    }
  }
  if (std::optional<FileRecord> record = records_->next()) {
    ++records_of_file_;
    item.record = std::move(*record);
    return item;
  }
  if (records_of_file_ > 0)
    return std::nullopt;
  item.kind = SourceItem::Kind::unreadable_file;
  item.record.damage = "no molecule in the file";
  ++records_of_file_;
  return item;
}

std::optional<SourceItem> SourceItems::next() {
  while (!file_.empty() || open_next_file()) {
    if (std::optional<SourceItem> item = next_of_file()) {
      if (!records_)
        file_.clear(); // a keyword input or an unreadable file is one item
      return item;
    }
    file_.clear();
  }
  if (next_smiles_ == options_.smiles.size())
    return std::nullopt;
  const SmilesInput& smiles = options_.smiles[next_smiles_++];
  SourceItem item;
  item.kind = SourceItem::Kind::smiles;
  item.record.index = 1;
  item.record.text = smiles.smiles;
  item.record.title = smiles.name.empty() ? smiles.smiles : smiles.name;
  return item;
}

std::vector<PreparedMolecule> prepare_item(const SourceItem& item, const JobOptions& job,
                                           const MoleculeOptions& options) {
  switch (item.kind) {
  case SourceItem::Kind::keyword_input:
    return {prepare_keyword_input(item.file, item.record.text)};
  case SourceItem::Kind::unreadable_file:
    return {skipped_file(item.file, item.record.damage)};
  case SourceItem::Kind::smiles:
    return {prepare_read_molecule(read_smiles(item.record.text, item.record.title, options.read),
                                  "SMILES " + item.record.text, job, options)};
  case SourceItem::Kind::record:
    break;
  }
  std::vector<PreparedMolecule> prepared;
  for (ReadMolecule& molecule : read_molecules(item.file, item.record, options.read)) {
    const int index = molecule.index;
    prepared.push_back(
        prepare_read_molecule(std::move(molecule), origin_of(item.file, index), job, options));
  }
  return prepared;
}

} // namespace tools
