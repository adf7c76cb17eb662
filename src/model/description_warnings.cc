#include "model/description_warnings.h"

#include <algorithm>
#include <initializer_list>
#include <new>
#include <span>

#include "model/drawing_rules.h"
#include "model/text_width.h"
#include "platform/paths.h"
#include "base/wording.h"

namespace {

// A quoted text of the description shows at most this many characters.
constexpr size_t LongestQuote = 40;

// The item keys with a meaning of their own; any other key is a box line.
constexpr TextView ItemKeys[] = {ItemidKey, FromidKey, ImageKey, TitleKey};

// The text as a warning shows it: control characters as \x and two hex
// digits, cut after LongestQuote characters (a surrogate pair kept whole).
Text showable(TextView text, bool& cut) {
  size_t n = std::min(text.size(), LongestQuote);
  cut = n < text.size();
  if (cut && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  return shownPath(text.substr(0, n));
}

// The text in double quotes; "..." after the closing quote when it was cut.
Text quoted(TextView text) {
  bool cut = false;
  const Text shown = showable(text, cut);
  // Appended in turn: a quote put before a text makes GCC 12 warn falsely
  // (-Wrestrict) at -O3.
  Text result;
  result.reserve(shown.size() + 5);
  result += u'"';
  result += shown;
  result += u'"';
  if (cut) result += u"...";
  return result;
}

// The text unquoted (a section name between its brackets), "..." when cut.
Text shown(TextView text) {
  bool cut = false;
  Text result = showable(text, cut);
  if (cut) result += u"...";
  return result;
}

struct Value {
  TextView name;
  Text text;
};

// The pattern of the wording file with each {name} replaced by its value.
Text fill(TextView pattern, std::initializer_list<Value> values) {
  Text out;
  out.reserve(pattern.size() + 64);
  for (size_t i = 0; i < pattern.size();) {
    if (pattern[i] == u'{') {
      const size_t close = pattern.find(u'}', i);
      if (close != TextView::npos) {
        const TextView name = pattern.substr(i + 1, close - i - 1);
        const Value* found = nullptr;
        for (const Value& v : values) {
          if (v.name == name) found = &v;
        }
        if (found != nullptr) {
          out += found->text;
          i = close + 1;
          continue;
        }
      }
    }
    out.push_back(pattern[i++]);
  }
  return out;
}

Text number(int64_t value) { return formatInteger(value); }

char16_t asciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

// The edit distance between a and b in ASCII letter case ignored, counting
// an insertion, a deletion, a replacement and the swap of two neighbours as
// one edit each; "limit + 1" as soon as it is known to be larger than limit.
size_t editDistance(TextView a, TextView b, size_t limit) {
  if (a.size() > b.size() + limit || b.size() > a.size() + limit) {
    return limit + 1;
  }
  const size_t n = a.size();
  const size_t m = b.size();
  std::vector<size_t> before(m + 1), previous(m + 1), current(m + 1);
  for (size_t j = 0; j <= m; ++j) previous[j] = j;
  for (size_t i = 1; i <= n; ++i) {
    current[0] = i;
    size_t smallest = current[0];
    for (size_t j = 1; j <= m; ++j) {
      const bool same = asciiLower(a[i - 1]) == asciiLower(b[j - 1]);
      size_t d = std::min({previous[j] + 1, current[j - 1] + 1,
                           previous[j - 1] + (same ? 0 : 1)});
      if (i > 1 && j > 1 && asciiLower(a[i - 1]) == asciiLower(b[j - 2]) &&
          asciiLower(a[i - 2]) == asciiLower(b[j - 1])) {
        d = std::min(d, before[j - 2] + 1);
      }
      current[j] = d;
      smallest = std::min(smallest, d);
    }
    if (smallest > limit) return limit + 1;
    std::swap(before, previous);
    std::swap(previous, current);
  }
  return std::min(previous[m], limit + 1);
}

// The keyword that text is most probably a misspelling of: one that differs
// only in letter case, or by one edit (two for words of six letters or
// more, when loose); empty when none is that close or text is one of them.
TextView closest(TextView text, std::span<const TextView> words, bool loose) {
  TextView best;
  size_t bestDistance = SIZE_MAX;
  for (TextView word : words) {
    if (text == word) return TextView();
    const size_t limit = loose && word.size() >= 6 ? 2 : 1;
    if (text.size() < 3) continue;
    const size_t d = editDistance(text, word, limit);
    if (d <= limit && d < bestDistance) {
      best = word;
      bestDistance = d;
    }
  }
  return best;
}

// The name of a blank character that trimming keeps (only spaces are
// trimmed); empty for any other character.
TextView blankName(char16_t c) {
  switch (c) {
    case u'\t':
      return wording::TabName;
    case u'\u00A0':
      return wording::NoBreakSpaceName;
    case u'\u3000':
      return wording::IdeographicSpaceName;
    default:
      return TextView();
  }
}

bool isBlank(char16_t c) { return c == u' ' || !blankName(c).empty(); }

// The text without spaces and the blanks of blankName at either end.
TextView withoutBlanks(TextView text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The blank at the start of text, else at its end; where tells which.
TextView edgeBlank(TextView text, TextView& where) {
  if (text.empty()) return TextView();
  where = wording::WhereStart;
  if (!blankName(text.front()).empty()) return blankName(text.front());
  where = wording::WhereEnd;
  return blankName(text.back());
}

// Whether text is a whole number as parseInteger reads it (one optional
// sign, "$" for hexadecimal or "%" for binary, then digits and nothing
// else), whose value fits a 32-bit field.
bool isWholeNumber(TextView text) {
  IntegerExtent extent;
  const int64_t value = parseInteger(text, &extent);
  return extent.digits > 0 && extent.digits <= 40 &&
         extent.end == text.size() && value >= INT32_MIN &&
         value <= INT32_MAX;
}

}  // namespace

void DescriptionWarnings::warn(Text text) { sink_.warning(line_, text); }

void DescriptionWarnings::warnLater(int32_t line, Text text) {
  later_.emplace_back(line, std::move(text));
}

void DescriptionWarnings::startLine(bool utf8, bool afterNul) {
  if (!afterNul || line_ == 0) ++line_;
  if (!utf8) sink_.warning(line_, wording::NotUtf8Warning);
}

bool DescriptionWarnings::controlCharacter(TextView text) {
  // The characters XML forbids below U+0020; a tab is drawn as it is, and
  // a line holds no CR or LF.
  for (const char16_t c : text) {
    if (c >= 0x20 || c == u'\t') continue;
    warn(fill(wording::ControlCharacterWarning,
              {{u"shown", quoted(text)}, {u"control", shownPath(TextView(&c, 1))}}));
    return true;
  }
  return false;
}

bool DescriptionWarnings::blankEdges(TextView key, TextView value,
                                     TextView word) {
  TextView where;
  TextView blank = edgeBlank(key, where);
  if (!blank.empty()) {
    Text text = fill(wording::BlankInKeyWarning, {{u"key", quoted(key)},
                                                  {u"blank", Text(blank)},
                                                  {u"where", Text(where)}});
    if (!word.empty()) {
      text += fill(wording::NotTheKeyHint, {{u"word", quoted(word)}});
    }
    warn(std::move(text));
    return true;
  }
  blank = edgeBlank(value, where);
  if (!blank.empty()) {
    warn(fill(wording::BlankInValueWarning, {{u"value", quoted(value)},
                                             {u"blank", Text(blank)},
                                             {u"where", Text(where)}}));
  }
  return false;
}

void DescriptionWarnings::strayLine(TextView line) {
  const TextView inner = withoutBlanks(line);
  if (inner.size() != line.size() && !inner.empty()) {
    TextView where;
    const TextView blank = edgeBlank(line, where);
    if ((inner.front() == u'#' || inner.front() == u';') &&
        !blankName(line.front()).empty()) {
      warn(fill(wording::BlankBeforeCommentWarning,
                {{u"blank", Text(blankName(line.front()))}}));
      return;
    }
    if (inner.front() == u'[' && inner.back() == u']' && !blank.empty()) {
      warn(fill(wording::BlankAroundSectionWarning,
                {{u"blank", Text(blank)}, {u"where", Text(where)}}));
      return;
    }
  }
  Text text = fill(wording::StrayLineWarning, {{u"shown", quoted(line)}});
  const size_t colon = line.find(u':');
  if (line.front() == u'[') {
    text += wording::NoClosingBracketHint;
  } else if (colon != TextView::npos) {
    const TextView key = trimSpacesView(line.substr(0, colon));
    const TextView value = trimSpacesView(line.substr(colon + 1));
    if (!key.empty() && key.find(u' ') == TextView::npos) {
      text += fill(wording::DidYouMeanHint,
                   {{u"word", quoted(Text(key) + u" = " + Text(value))}});
    }
  }
  warn(std::move(text));
}

void DescriptionWarnings::sectionLine(TextView name, int32_t listed,
                                      bool added) {
  if (name.empty()) emptySectionSeen_ = true;
  if (listed < 0) {
    if (unlisted_.insert(Text(name)).second) {
      warn(fill(wording::TooManySectionsWarning, {{u"section", shown(name)}}));
    }
    return;
  }
  if (!added) return;
  controlCharacter(name);
  static constexpr TextView Keywords[] = {wording::HeaderSectionName,
                                          wording::SummarySectionName};
  const TextView near = closest(name, Keywords, true);
  if (!near.empty()) {
    warn(fill(wording::SectionNearKeywordWarning, {{u"section", shown(name)}}) +
         fill(wording::DidYouMeanSectionHint, {{u"word", Text(near)}}));
  }
  const int32_t width = textWidth(name, SectionLabelFontSize, FontWeight::Bold);
  if (width > BandLabelWidth) {
    warn(fill(wording::SectionTooWideWarning,
              {{u"shown", quoted(name)},
               {u"width", number(width)},
               {u"over", number(width - BandLabelWidth)},
               {u"room", number(BandLabelWidth)}}));
  }
}

void DescriptionWarnings::keywordSectionKey(TextView section, TextView key,
                                            TextView value, bool known) {
  const bool header = section == wording::HeaderSectionName;
  static constexpr TextView HeaderKeys[] = {wording::SubtitleKey,
                                            wording::CompanyKey};
  static constexpr TextView SummaryKeys[] = {wording::SummaryKey};
  const std::span<const TextView> keys =
      header ? std::span<const TextView>(HeaderKeys)
             : std::span<const TextView>(SummaryKeys);
  TextView word;
  for (TextView k : keys) {
    if (withoutBlanks(key) == k) word = k;
  }
  if (blankEdges(key, known ? value : TextView(), word)) return;
  if (!known) {
    Text text = fill(wording::UnknownKeyWarning,
                     {{u"key", quoted(key)}, {u"section", shown(section)}});
    const TextView near = closest(key, keys, true);
    if (!near.empty()) {
      text += fill(wording::DidYouMeanHint, {{u"word", quoted(near)}});
    }
    warn(std::move(text));
    return;
  }
  controlCharacter(value);
  int32_t& seen = !header                       ? summaryLine_
                  : key == wording::SubtitleKey ? subtitleLine_
                                                : companyLine_;
  if (seen > 0) {
    warn(fill(wording::RepeatedKeyWarning,
              {{u"key", quoted(key)}, {u"line", number(seen)}}));
  }
  seen = line_;
}

void DescriptionWarnings::keyWithoutSection(TextView key) {
  if (emptySectionSeen_) {
    warn(fill(wording::KeyInEmptySectionWarning, {{u"key", quoted(key)}}));
    return;
  }
  Text text = fill(wording::KeyBeforeSectionsWarning, {{u"key", quoted(key)}});
  if (key == wording::SubtitleKey || key == wording::CompanyKey) {
    text += fill(wording::BelongsUnderHint,
                 {{u"section", Text(wording::HeaderSectionName)}});
  } else if (key == wording::SummaryKey) {
    text += fill(wording::BelongsUnderHint,
                 {{u"section", Text(wording::SummarySectionName)}});
  } else if (std::find(std::begin(ItemKeys), std::end(ItemKeys), key) !=
             std::end(ItemKeys)) {
    text += wording::BelongsUnderBandHint;
  }
  warn(std::move(text));
}

void DescriptionWarnings::itemStarted(const Flowchart& chart, int32_t slot,
                                      TextView section, TextView value) {
  ItemLines& lines = items_[static_cast<size_t>(slot)];
  lines = ItemLines();
  lines.itemid = line_;
  lines.sectionHasDot = section.find(u'.') != TextView::npos;
  if (slot == MaxItems - 1) lastItemLine_ = line_;
  blankEdges(TextView(), value);
  const int32_t id = chart.items[slot].itemid;
  if (!isWholeNumber(withoutBlanks(value))) {
    warn(fill(wording::ItemidNotANumberWarning,
              {{u"value", quoted(value)}, {u"n", number(id)}}));
  }
  for (int32_t earlier = 0; earlier < slot; ++earlier) {
    if (chart.items[earlier].itemid == id) {
      warn(fill(
          wording::RepeatedIdWarning,
          {{u"id", number(id)},
           {u"line", number(items_[static_cast<size_t>(earlier)].itemid)}}));
      break;
    }
  }
}

void DescriptionWarnings::keyWithoutItem(TextView key) {
  Text text = fill(wording::KeyBeforeItemWarning, {{u"key", quoted(key)}});
  const TextView near = closest(key, std::span(ItemKeys, 1), false);
  if (!near.empty()) {
    text += fill(wording::DidYouMeanHint, {{u"word", quoted(near)}});
  }
  warn(std::move(text));
}

void DescriptionWarnings::itemKey(const Flowchart& chart, int32_t slot,
                                  TextView key, TextView value) {
  ItemLines& lines = items_[static_cast<size_t>(slot)];
  int32_t& seen = key == FromidKey  ? lines.fromid
                  : key == ImageKey ? lines.image
                                    : lines.title;
  if (seen > 0) {
    warn(fill(wording::RepeatedItemKeyWarning,
              {{u"key", quoted(key)}, {u"line", number(seen)}}));
  }
  seen = line_;
  blankEdges(key, value);
  if (key == TitleKey) controlCharacter(value);
  if (key != FromidKey) return;
  const FlowItem& item = chart.items[slot];
  int32_t fields = 0;
  forEachFromidField(value, [&](TextView field) {
    if (fields < MaxParents && !field.empty() && !isWholeNumber(field)) {
      Text text = fill(
          wording::FromidNotANumberWarning,
          {{u"value", quoted(field)}, {u"n", number(item.parents[fields])}});
      if (field.find_first_of(u" \t;/") != TextView::npos) {
        text += wording::SeparateIdsHint;
      }
      warn(std::move(text));
    }
    ++fields;
    return true;
  });
  if (fields > MaxParents) {
    warn(fill(wording::TooManyParentsWarning, {{u"n", number(fields)}}));
  }
}

void DescriptionWarnings::contentLine(const Flowchart& chart, int32_t slot,
                                      TextView key, TextView value, bool kept) {
  TextView word;
  for (TextView k : ItemKeys) {
    if (withoutBlanks(key) == k) word = k;
  }
  if (!kept) {
    ItemLines& lines = items_[static_cast<size_t>(slot)];
    if (!lines.full) {
      lines.full = true;
      warn(fill(wording::TooManyLinesWarning,
                {{u"id", number(chart.items[slot].itemid)}}));
    }
    return;
  }
  if (blankEdges(key, value, word)) return;
  const TextView near = closest(key, ItemKeys, false);
  if (!near.empty()) {
    warn(fill(wording::NearItemKeyWarning, {{u"key", quoted(key)}}) +
         fill(wording::DidYouMeanHint, {{u"word", quoted(near)}}));
  }
  bool cut = false;
  Text shownText(shownBoxValue(key, value, cut));
  if (!controlCharacter(key)) controlCharacter(shownText);
  if (cut) shownText += u"...";
  if (cut) {
    warn(fill(wording::ValueCutWarning,
              {{u"key", quoted(key)}, {u"shown", quoted(shownText)}}));
  }
  const int64_t units = textWidthUnits(Text(key) + u":", FontWeight::Bold) +
                        textWidthUnits(shownText, FontWeight::Regular);
  const int32_t width = unitsToPixels(units, ContentFontSize) + ContentValueGap;
  const int32_t room = ItemWidth - ContentInset;
  if (width > room) {
    warn(fill(wording::LineTooWideWarning,
              {{u"shown", quoted(Text(key) + u": " + shownText)},
               {u"width", number(width)},
               {u"over", number(width - room)},
               {u"room", number(room)}}));
  }
}

void DescriptionWarnings::finish(const Flowchart& chart, LineReader& reader) {
  if (lastItemLine_ > 0) {
    int64_t unread = 0;
    try {
      Text raw;
      while (!reader.atEnd()) {
        reader.readLineInto(raw);
        const TextView line = trimSpacesView(raw);
        if (!line.empty() && line[0] != u'#' && line[0] != u';') ++unread;
      }
    } catch (const std::bad_alloc&) {
      // Only the count ends here; the chart is complete.
    }
    if (unread == 1) {
      warnLater(lastItemLine_, Text(wording::LastItemOneLineWarning));
    } else if (unread > 1) {
      warnLater(lastItemLine_,
                fill(wording::LastItemWarning, {{u"n", number(unread)}}));
    }
  }
  for (int32_t i = 0; i < chart.itemcount; ++i) {
    const FlowItem& item = chart.items[i];
    const ItemLines& lines = items_[static_cast<size_t>(i)];
    if (lines.fromid > 0) {
      for (int32_t k = 0; k < item.parentcount; ++k) {
        const int32_t id = item.parents[k];
        bool named = id <= 0;
        for (int32_t j = 0; j < k && !named; ++j) named = item.parents[j] == id;
        for (int32_t j = 0; j < chart.itemcount && !named; ++j) {
          named = chart.items[j].itemid == id;
        }
        if (!named) {
          warnLater(lines.fromid,
                    fill(wording::UnknownParentWarning, {{u"id", number(id)}}));
        }
      }
    }
    if (!lines.sectionHasDot &&
        findSection(chart, item.grouppart + u"." + item.namepart) < 0) {
      warnLater(lines.itemid, fill(wording::UndrawnBoxWarning,
                                   {{u"id", number(item.itemid)},
                                    {u"section", shown(item.namepart)}}));
    }
    const int32_t room = ItemWidth - TitleInset;
    const int32_t width =
        lines.title > 0 ? textWidth(item.title, TitleFontSize, FontWeight::Bold)
                        : 0;
    if (width > room) {
      warnLater(lines.title, fill(wording::TitleTooWideWarning,
                                  {{u"shown", quoted(item.title)},
                                   {u"width", number(width)},
                                   {u"over", number(width - room)},
                                   {u"room", number(room)}}));
    }
  }
  if (summaryLine_ > 0) {
    const std::vector<Text> lines = summaryLines(chart.summary);
    const int32_t fields = static_cast<int32_t>(lines.size());
    bool dropped = false;
    for (int32_t k = 0; k < fields; ++k) {
      const Text& field = lines[static_cast<size_t>(k)];
      if (k >= MostSummaryLines) {
        dropped = dropped || !field.empty();
      } else if (textLength(field) > LongestSummaryLine) {
        warnLater(summaryLine_, fill(wording::SummaryLineCutWarning,
                                     {{u"line", number(k + 1)},
                                      {u"n", number(textLength(field))}}));
      }
    }
    if (dropped) {
      warnLater(summaryLine_, fill(wording::SummaryTooManyLinesWarning,
                                   {{u"n", number(fields)}}));
    }
  }
  std::stable_sort(
      later_.begin(), later_.end(),
      [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [line, text] : later_) sink_.warning(line, text);
  later_.clear();
}
