#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The text of a fileDetails document, completed later with the `timestamp` and
// `size` of its files without the document: while the text is written, the places
// where each `file` element takes those attributes are remembered, so the document
// can go and the text is edited instead.
class TFileDetailsText {
 public:
  // Writes the document's text (exactly what XMLText gives) into text, which it
  // replaces; remembers the places of every `file` child of the root element, in
  // document order.
  void Write(const pugi::xml_document& document, std::string& text);
  std::size_t FileCount() const { return ends_.size(); }

  struct TFileValues {
    std::string_view timestamp, size;
  };
  // The values of a file, or false when it keeps the ones it has.
  using TValuesOf = std::function<bool(std::size_t file, TFileValues& values)>;
  // text (as written) with the values set as SetAttribute sets them: an attribute
  // the element has takes its new value in place, one it lacks is appended,
  // `timestamp` before `size`. Values are written as they are: they must need no
  // escaping. atMost: an upper bound of the completed length; the result reserves
  // it, and memory never written is never touched.
  std::string Completed(const std::string& text, std::size_t atMost,
                        const TValuesOf& valuesOf) const;
  // How much a file's values may add to the text at most.
  static std::size_t MostAdded(std::size_t timestampLength, std::size_t sizeLength);

 private:
  // The value of a `timestamp` or `size` attribute an element already has.
  struct TOwnValue {
    std::size_t file, begin, end;
    bool size;
  };

  void WriteElement(const pugi::xml_node& element, std::string& text);

  std::vector<std::size_t> ends_;  // per file: where its start tag's attributes end
  std::vector<TOwnValue> own_;     // by file
};
