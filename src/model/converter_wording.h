// The converter's own texts: the captions and comments it draws into the
// SVG, and the sentences of its warnings about a description. The programs'
// texts are in platform/wording.h.
#ifndef FLOWSVG_MODEL_CONVERTER_WORDING_H_
#define FLOWSVG_MODEL_CONVERTER_WORDING_H_

#include <string_view>

namespace wording {

using T = std::u16string_view;

// SVG document.
inline constexpr T OriginCommentText =
    u"Flowchart SVG Generator - drawn from a text description";
inline constexpr T TimestampLabel = u"Generated";
inline constexpr T HeaderCommentText = u"Header";
inline constexpr T SectionsCommentText = u"Section bands";
inline constexpr T ConnectorsCommentText = u"Connectors";
inline constexpr T SummaryCommentText = u"Summary panel";
inline constexpr T DiagramTitleCaption = u"Process Flowchart";
inline constexpr T SummaryCaption = u"Summary";

// Warnings about a description, each a sentence without a line break. In the
// texts, {key}, {value}, {word} and {shown} stand for quoted texts of the
// description (control characters shown as \x and two hex digits, a text
// longer than 40 characters cut, with "..." after its closing quote),
// {section} for a section name, {id}, {n}, {line}, {width}, {over} and
// {room} for numbers, {blank} for one of the blank names, {where} for
// WhereStart or WhereEnd and {control} for a control character as \x and two
// hex digits.
inline constexpr T StrayLineWarning =
    u"{shown} is no section line, comment or key = value line; the line is "
    u"ignored";
inline constexpr T NoClosingBracketHint = u" (a section line ends with \"]\")";
inline constexpr T DidYouMeanHint = u" (did you mean {word}?)";
inline constexpr T DidYouMeanSectionHint = u" (did you mean [{word}]?)";
inline constexpr T KeyBeforeSectionsWarning =
    u"{key} comes before any section line; the line is ignored";
inline constexpr T BelongsUnderHint = u" (it belongs under [{section}])";
inline constexpr T BelongsUnderBandHint =
    u" (it belongs under a [Group.Name] section)";
inline constexpr T KeyInEmptySectionWarning =
    u"{key} is under the section [], which takes no keys; the line is ignored";
inline constexpr T KeyBeforeItemWarning =
    u"{key} comes before the first itemid line, so it belongs to no box; the "
    u"line is ignored";
inline constexpr T UnknownKeyWarning =
    u"{key} is no key of [{section}]; the line is ignored";
inline constexpr T SectionNearKeywordWarning =
    u"[{section}] is read as a band of boxes";
inline constexpr T NearItemKeyWarning = u"{key} is shown as a line in the box";
inline constexpr T RepeatedItemKeyWarning =
    u"{key} was already given for this box on line {line}; this value "
    u"replaces it";
inline constexpr T RepeatedKeyWarning =
    u"{key} was already given on line {line}; this value replaces it";
inline constexpr T RepeatedIdWarning =
    u"itemid {id} is already the id of the box on line {line}; fromid = {id} "
    u"names that box, never this one";
inline constexpr T ItemidNotANumberWarning =
    u"itemid {value} is not a whole number; it reads as {n}";
inline constexpr T FromidNotANumberWarning =
    u"{value} in fromid is not a whole number; it reads as {n}";
inline constexpr T SeparateIdsHint = u" (separate ids with \",\")";
inline constexpr T TooManyParentsWarning =
    u"fromid lists {n} ids; a box keeps the first 10, the rest are ignored";
inline constexpr T UnknownParentWarning =
    u"fromid names {id}, but no box has that itemid; no arrow is drawn from "
    u"it";
inline constexpr T TooManyLinesWarning =
    u"box {id} already has 15 lines, the most a box shows; this line and the "
    u"later ones of the box are left out";
inline constexpr T TooManySectionsWarning =
    u"[{section}] would be the 21st section; a drawing has at most 20, so it "
    u"and its boxes are not drawn";
inline constexpr T LastItemWarning =
    u"this is the 100th box, the most a drawing holds; reading stops here, "
    u"and the {n} lines after it that are not blank or comments are not read";
inline constexpr T LastItemOneLineWarning =
    u"this is the 100th box, the most a drawing holds; reading stops here, "
    u"and the line after it that is not blank or a comment is not read";
inline constexpr T UndrawnBoxWarning =
    u"box {id} is under [{section}], a name without \".\"; the box is counted "
    u"but not drawn (name the section Group.Name)";
inline constexpr T ValueCutWarning =
    u"the value of {key} is shown cut short as {shown}; a box line holds 28 "
    u"characters, key and \":\" included (a character above U+FFFF counts as "
    u"two)";
inline constexpr T SummaryTooManyLinesWarning =
    u"the summary has {n} lines; the panel shows the first 6, the rest are "
    u"left out";
inline constexpr T SummaryLineCutWarning =
    u"line {line} of the summary has {n} characters; the panel cuts it to 87 "
    u"and \"...\" (a character above U+FFFF counts as two)";
inline constexpr T TitleTooWideWarning =
    u"the title {shown} is about {width} px wide, {over} px more than the "
    u"{room} px its box leaves for it";
inline constexpr T SectionTooWideWarning =
    u"the section name {shown} is about {width} px wide, {over} px more than "
    u"the {room} px of its band's label";
inline constexpr T LineTooWideWarning =
    u"the box line {shown} is about {width} px wide, {over} px more than the "
    u"{room} px its box leaves for it";
inline constexpr T NotUtf8Warning =
    u"the line holds bytes that are not UTF-8, read as \"?\" or "
    u"\"\uFFFD\" or left out (save the file as UTF-8)";
inline constexpr T ControlCharacterWarning =
    u"{shown} holds the control character {control}, which the drawing "
    u"shows as \"\uFFFD\"";
inline constexpr T BlankInKeyWarning =
    u"the key {key} has {blank} at its {where}, which is not trimmed like a "
    u"space";
inline constexpr T NotTheKeyHint = u"; it is not {word}";
inline constexpr T BlankInValueWarning =
    u"the value {value} has {blank} at its {where}, which is not trimmed "
    u"like a space and stays in the value";
inline constexpr T BlankAroundSectionWarning =
    u"the line has {blank} at its {where}, which is not trimmed like a "
    u"space, so it is not read as a section line";
inline constexpr T BlankBeforeCommentWarning =
    u"the line has {blank} at its start, which is not trimmed like a space, "
    u"so it is not read as a comment";
inline constexpr T TabName = u"a tab";
inline constexpr T NoBreakSpaceName = u"a no-break space";
inline constexpr T IdeographicSpaceName = u"an ideographic space";
inline constexpr T WhereStart = u"start";
inline constexpr T WhereEnd = u"end";

}  // namespace wording

#endif  // FLOWSVG_MODEL_CONVERTER_WORDING_H_
