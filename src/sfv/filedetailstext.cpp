#include "sfv/filedetailstext.h"

#include "config/udfxml.h"

#include <algorithm>
#include <cstring>

namespace {

class TCountingWriter final : public pugi::xml_writer {
 public:
  void write(const void*, std::size_t size) override { count += size; }
  std::size_t count = 0;
};

constexpr unsigned kFormat = pugi::format_raw;

void Print(const pugi::xml_node& node, pugi::xml_writer& writer) {
  node.print(writer, "", kFormat, pugi::encoding_utf8);
}

constexpr std::string_view kTimestamp = " timestamp=\"";
constexpr std::string_view kSize = " size=\"";

}  // namespace

void TFileDetailsText::Write(const pugi::xml_document& document, std::string& text) {
  ends_.clear();
  own_.clear();
  text.clear();
  // Counted first: the text is the largest thing a verification keeps, and a
  // string grown by doubling holds up to twice its length.
  TCountingWriter counter;
  Print(document, counter);
  text.reserve(counter.count);
  TStringXMLWriter writer(text);
  const pugi::xml_node root = document.document_element();
  for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
    if (node != root || !root.first_child()) {
      Print(node, writer);
      continue;
    }
    // The root's start tag as written for a copy of the root without children.
    pugi::xml_document alone;
    pugi::xml_node copy = alone.append_child(root.name());
    for (const pugi::xml_attribute attribute : root.attributes()) copy.append_copy(attribute);
    Print(alone, writer);
    text.resize(text.size() - 2);  // "/>"
    text += '>';
    for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
      if (std::strcmp(child.name(), "file") == 0) {
        WriteElement(child, text);
      } else {
        Print(child, writer);
      }
    }
    text += "</";
    text += root.name();
    text += '>';
  }
}

void TFileDetailsText::WriteElement(const pugi::xml_node& element, std::string& text) {
  const std::size_t start = text.size();
  TStringXMLWriter writer(text);
  Print(element, writer);
  // <name a="v" b="v"/> or <name a="v">...; values hold no '"', it is written as
  // a reference.
  std::size_t at = text.find_first_of(" />", start + 1);
  while (text[at] == ' ') {
    const std::size_t open = text.find('"', at);
    const std::size_t close = text.find('"', open + 1);
    const std::string_view name(text.data() + at + 1, open - at - 2);
    if (name == "timestamp" || name == "size") {
      own_.push_back({ends_.size(), open + 1, close, name == "size"});
    }
    at = close + 1;
  }
  ends_.push_back(at);
}

std::size_t TFileDetailsText::MostAdded(std::size_t timestampLength, std::size_t sizeLength) {
  return kTimestamp.size() + timestampLength + kSize.size() + sizeLength + 2;
}

std::string TFileDetailsText::Completed(const std::string& text, std::size_t atMost,
                                        const TValuesOf& valuesOf) const {
  std::string completed;
  completed.reserve(atMost);
  std::size_t copied = 0;
  const auto copyTo = [&](std::size_t offset) {
    completed.append(text, copied, offset - copied);
    copied = offset;
  };
  auto own = own_.begin();
  for (std::size_t file = 0; file < ends_.size(); ++file) {
    TFileValues values;
    const auto ownEnd = std::find_if(own, own_.end(),
                                     [file](const TOwnValue& value) { return value.file != file; });
    if (!valuesOf(file, values)) {
      own = ownEnd;
      continue;
    }
    bool hasTimestamp = false, hasSize = false;
    for (; own != ownEnd; ++own) {
      copyTo(own->begin);
      completed += own->size ? values.size : values.timestamp;
      copied = own->end;
      (own->size ? hasSize : hasTimestamp) = true;
    }
    copyTo(ends_[file]);
    if (!hasTimestamp) {
      completed += kTimestamp;
      completed += values.timestamp;
      completed += '"';
    }
    if (!hasSize) {
      completed += kSize;
      completed += values.size;
      completed += '"';
    }
  }
  copyTo(text.size());
  return completed;
}
