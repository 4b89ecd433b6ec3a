#include "sfv/filedetailstext.h"

#include "config/udfxml.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The completed text must be exactly what setting the attributes on the document
// and writing it out gives, whatever shape the document has.
TEST(FileDetailsText, CompletesAsTheDocumentWouldBeWritten) {
  struct TCase {
    const char* xml;
    std::vector<bool> found;  // per file
  };
  const TCase cases[] = {
      {"<fileDetails/>", {}},
      {"<fileDetails></fileDetails>", {}},
      {R"(<fileDetails><file name="/a b/x.bin" CRC="1"/><file name="y" CRC="2" action="IS"/></fileDetails>)",
       {true, false}},
      // Values that are written as references, and attributes on the root.
      {R"(<fileDetails v="&quot;&lt;"><file name="q&quot;&amp;&lt;&gt;'.bin" CRC=""/></fileDetails>)",
       {true}},
      // A run over a completed text: values change where they are; a missing
      // attribute comes last.
      {R"(<fileDetails><file name="a" timestamp="2001-01-01T00:00:00" CRC="1" size="12345678901"/>)"
       R"(<file name="b" size="1" CRC="2"/><file name="c" timestamp="x"/></fileDetails>)",
       {true, true, true}},
      {R"(<fileDetails><file name="a" timestamp="t" size="1"/></fileDetails>)", {false}},
      // Other children are written as they are; a file with content keeps it.
      {R"(<fileDetails><note>n</note><file name="a"><x/>text</file><file name="b"/></fileDetails>)",
       {true, true}},
      {R"(<fileDetails><file name="a"><![CDATA[<file name="z"/>]]></file></fileDetails>)", {true}},
  };
  const std::string timestamp = "2026-12-09T22:00:58";
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.xml);
    pugi::xml_document document;
    LoadXMLText(document, c.xml);
    TFileDetailsText details;
    std::string text = "left over";
    details.Write(document, text);
    EXPECT_EQ(text, XMLText(document));
    ASSERT_EQ(details.FileCount(), c.found.size());

    std::size_t atMost = text.size(), file = 0;
    for (pugi::xml_node node : document.document_element().children("file")) {
      if (c.found[file]) {
        const std::string size = std::to_string(file * 1000);
        SetAttribute(node, "timestamp", timestamp);
        SetAttribute(node, "size", size);
        atMost += TFileDetailsText::MostAdded(timestamp.size(), size.size());
      }
      ++file;
    }
    std::string size;
    const std::string completed =
        details.Completed(text, atMost, [&](std::size_t i, TFileDetailsText::TFileValues& values) {
          if (!c.found[i]) return false;
          size = std::to_string(i * 1000);
          values.timestamp = timestamp;
          values.size = size;
          return true;
        });
    EXPECT_EQ(completed, XMLText(document));
    EXPECT_LE(completed.size(), atMost);
  }
}
