// The warnings of the description parser: it calls these hooks at each of
// its decisions while it reads, and at the end, and they tell a
// DiagnosticsSink about every line that has no effect or only part of it.
// Only the parser uses this class, and only when its caller passed a sink;
// the hooks never change the chart.
//
// A warning about one line goes to the sink while that line is read.
// Warnings that need the whole file (a fromid naming no box, a box drawn in
// no band, a title too wide, the summary, the lines left unread after the
// 100th box) go at the end, in line order.
#ifndef FLOWSVG_MODEL_DESCRIPTION_WARNINGS_H_
#define FLOWSVG_MODEL_DESCRIPTION_WARNINGS_H_

#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

#include "model/diagnostics.h"
#include "model/flowchart.h"
#include "base/strings.h"
#include "base/line_reader.h"

class DescriptionWarnings {
 public:
  explicit DescriptionWarnings(DiagnosticsSink& sink) : sink_(sink) {}

  // A new line was read; utf8 tells whether its bytes were UTF-8 as they
  // stood in the file; afterNul, whether the line before it ended at a 0x00
  // byte, which starts no new line number.
  void startLine(bool utf8, bool afterNul);

  // The trimmed line is no blank line, comment, section or key line.
  void strayLine(TextView line);

  // A section line named name. listed is the section's index after the
  // line, or -1 when it is an item section the full list could not take;
  // added tells whether this line listed it. Not called for the header and
  // summary sections.
  void sectionLine(TextView name, int32_t listed, bool added);

  // A key line read in the header or summary section (section is its
  // name); known tells whether the key is one of that section's.
  void keywordSectionKey(TextView section, TextView key, TextView value,
                         bool known);

  // A key line read while the current section name is empty (before any
  // section line, or under "[]").
  void keyWithoutSection(TextView key);

  // The itemid line that created the item in slot under section.
  void itemStarted(const Flowchart& chart, int32_t slot, TextView section,
                   TextView value);

  // A key line in an item section before the file's first itemid line.
  void keyWithoutItem(TextView key);

  // A fromid, image or title line of the item in slot; fromid after its
  // parents are set.
  void itemKey(const Flowchart& chart, int32_t slot, TextView key,
               TextView value);

  // Any other key line of the item in slot; kept tells whether the item
  // took it as a content pair.
  void contentLine(const Flowchart& chart, int32_t slot, TextView key,
                   TextView value, bool kept);

  // After the reading: the warnings that need the whole file. When reading
  // stopped at the 100th item, reads on through file only to count the
  // lines left unread (the chart is not touched, and a read failure or a
  // lack of memory there only ends the count).
  void finish(const Flowchart& chart, LineReader& reader);

 private:
  // Sends the warning about the current line.
  void warn(Text text);
  // Keeps a warning for the end.
  void warnLater(int32_t line, Text text);
  // Warns when text, a text the drawing shows, holds a control character,
  // which the drawing shows as U+FFFD; true when it did.
  bool controlCharacter(TextView text);
  // Warns when the key or the value has a blank character other than a
  // space at either end; true when it did for the key. word is the keyword
  // the key would be without the blanks, if any.
  bool blankEdges(TextView key, TextView value, TextView word = TextView());

  DiagnosticsSink& sink_;
  int32_t line_ = 0;
  bool emptySectionSeen_ = false;
  int32_t subtitleLine_ = 0;
  int32_t companyLine_ = 0;
  int32_t summaryLine_ = 0;
  int32_t lastItemLine_ = 0;  // the 100th itemid line
  struct ItemLines {
    int32_t itemid = 0;
    int32_t fromid = 0;
    int32_t image = 0;
    int32_t title = 0;
    bool sectionHasDot = true;
    bool full = false;  // a line was left out for want of room
  };
  std::vector<ItemLines> items_ = std::vector<ItemLines>(MaxItems);
  std::unordered_set<Text> unlisted_;  // section names the list could not take
  std::vector<std::pair<int32_t, Text>> later_;
};

#endif  // FLOWSVG_MODEL_DESCRIPTION_WARNINGS_H_
