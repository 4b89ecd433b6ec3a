#include "config/udfxml.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

std::string LoadError(const std::string& text) {
  pugi::xml_document document;
  try {
    LoadXMLText(document, text);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "no error";
}

TDateTime At(int y, int mo, int d, int h, int mi, int s) {
  return TDateTime(EncodeDate(y, mo, d).Value + EncodeTime(h, mi, s).Value);
}

}  // namespace

TEST(LoadXMLText, MalformedTextNamesTheLineOfTheFault) {
  EXPECT_EQ(LoadError("<config>\n  <paths>\n</config>").substr(0, 8), "Line 3\r\n");
  // A lone CR ends a line as well, CR LF only one.
  EXPECT_EQ(LoadError("<a>\r\n<b>\r<c></b>").substr(0, 8), "Line 3\r\n");
  const std::string error = LoadError("");
  EXPECT_EQ(error.substr(0, 8), "Line 1\r\n");
  EXPECT_GT(error.size(), 8u) << "the parser's reason follows the line";
}

TEST(LoadXMLText, FailureLeavesTheDocumentAsItWas) {
  pugi::xml_document document;
  LoadXMLText(document, "<config a='1'/>");
  EXPECT_THROW(LoadXMLText(document, "<config><broken"), std::runtime_error);
  EXPECT_STREQ(document.document_element().attribute("a").value(), "1");
}

TEST(LoadXMLText, KeepsElementsOnlyBetweenElements) {
  pugi::xml_document document;
  LoadXMLText(document,
              "<?xml version=\"1.0\"?>\n<!-- hand edited -->\n<config>\n  <paths>\n"
              "    <?pi?>\n    <path value='/a/'/>\n  \t<!-- x -->\n</paths>\n</config>\n");
  const pugi::xml_node paths = document.document_element().child("paths");
  ASSERT_TRUE(paths);
  int children = 0;
  for (const pugi::xml_node& child : paths.children()) {
    EXPECT_EQ(child.type(), pugi::node_element);
    ++children;
  }
  EXPECT_EQ(children, 1);
  EXPECT_EQ(document.first_child(), document.document_element());

  // A NUL character reference ends the text early, which must not leave blank text.
  LoadXMLText(document, "<config> &#0; x<path/></config>");
  EXPECT_EQ(document.document_element().first_child().type(), pugi::node_element);
}

TEST(XMLText, EveryByteOfAnAttributeSurvivesARoundTrip) {
  // Names on disk are bytes in no particular encoding, control characters included.
  std::string bytes;
  for (int c = 1; c < 256; ++c) bytes.push_back(static_cast<char>(c));
  pugi::xml_document document;
  document.append_child("fileDetails")
      .append_child("file")
      .append_attribute("name")
      .set_value(bytes.c_str());

  pugi::xml_document again;
  LoadXMLText(again, XMLText(document));
  EXPECT_EQ(std::string(again.child("fileDetails").child("file").attribute("name").value()), bytes);
  EXPECT_EQ(XMLText(again), XMLText(document));
}

TEST(XMLToDateTime, ReadsTheThreeForms) {
  EXPECT_EQ(XMLToDateTime("2004-03-07T21:05:08"), At(2004, 3, 7, 21, 5, 8));
  EXPECT_EQ(XMLToDateTime("2004-03-07"), EncodeDate(2004, 3, 7));
  EXPECT_EQ(XMLToDateTime("21:05"), EncodeTime(21, 5, 0));
  EXPECT_EQ(XMLToDateTime("21:05:08"), EncodeTime(21, 5, 8));
  // Seconds that are no number count as zero; hours and minutes must be numbers.
  EXPECT_EQ(XMLToDateTime("2004-03-07T21:05:xx"), At(2004, 3, 7, 21, 5, 0));
  EXPECT_THROW(XMLToDateTime("2004-03-07T2x:05"), std::invalid_argument);
}

TEST(XMLToDateTime, RejectsTextThatIsNoValidDate) {
  EXPECT_THROW(XMLToDateTime("2004-02-30"), std::invalid_argument);
  EXPECT_THROW(XMLToDateTime("2004-3-7"), std::invalid_argument);
  EXPECT_THROW(XMLToDateTime(""), std::invalid_argument);
  EXPECT_THROW(XMLToDateTime("yesterday"), std::invalid_argument);
}

TEST(XMLToDateTime, DateAndTimeKeepTheirHalves) {
  EXPECT_EQ(XMLToDate("2004-03-07T21:05:08"), EncodeDate(2004, 3, 7));
  EXPECT_EQ(XMLToTime("2004-03-07T21:05:08"), EncodeTime(21, 5, 8));
}

TEST(DateTimeToXML, WritesWhatXMLToDateTimeReads) {
  const TDateTime value = At(2004, 3, 7, 9, 5, 8);
  EXPECT_EQ(DateToXML(value), "2004-03-07");
  EXPECT_EQ(TimeToXML(value), "09:05:08");
  EXPECT_EQ(DateTimeToXML(value), "2004-03-07T09:05:08");
  EXPECT_EQ(XMLToDateTime(DateTimeToXML(value)), value);
}
