#pragma once

#include <string>
#include <string_view>
#include <vector>

class TSFVList;

// What the manager's list shows of a row, decided without widgets.

// The nine pictures of the list's glyph column, in image-list order.
enum TManagerGlyph {
  mgVerifiedOK = 0,
  mgFailed = 1,
  mgAccepted = 2,
  mgRunning = 3,
  mgWaiting = 4,
  mgMine = 5,
  mgNotMine = 6,
  mgSkip = 7,
  mgHide = 8,
};
inline constexpr int kManagerGlyphCount = 9;
inline constexpr int kGlyphWidth = 12;
inline constexpr int kGlyphHeight = 16;
inline constexpr int kGlyphGap = 2;
// Three glyphs side by side with a margin.
inline constexpr int kGlyphColumnWidth = 3 * kGlyphWidth + 2 * kGlyphGap + 6;

// A status text that begins with "Running" (ASCII letter case ignored).
bool IsRunningStatus(std::string_view status);
// "Verified OK" or "Accepted".
bool IsGoodStatus(std::string_view status);

// One glyph drawn into the glyph cell: Slot counts from the left edge.
struct TGlyphPlace {
  int Slot = 0;
  int Index = 0;
  bool operator==(const TGlyphPlace&) const = default;
};
// The glyphs of a row: the mine glyph (only with indicateMine), the mark glyph and
// the status glyph, each keeping its slot when absent.
std::vector<TGlyphPlace> RowGlyphs(std::string_view status, char mark, bool mine,
                                   bool indicateMine);

// The text colour of a row, by meaning; the window turns it into a colour.
enum class TRowColour { Normal, Grey, Green, BrightGreen, Red };
struct TRowLook {
  TRowColour Colour = TRowColour::Normal;
  bool StruckOut = false;
  bool operator==(const TRowLook&) const = default;
};
TRowLook RowLook(std::string_view status, bool movedOrDeleted, bool selected);

// The summary panel's text over the rows not moved or deleted.
struct TSummaryCounts {
  int Files = 0, Waiting = 0, VerifiedOK = 0, Accepted = 0, Failed = 0;
};
TSummaryCounts CountSummary(const TSFVList& list);
std::string SummaryText(const TSummaryCounts& counts);

// The file-details tooltip text of a row: the names its SFV lists, relative to
// the row's folder where they lie below it, sorted, three blanks on each side.
// Empty when the details are empty or not valid XML.
std::string FileDetailsTipText(const std::string& fileDetailsXML, const std::string& path);
