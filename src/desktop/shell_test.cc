#include "desktop/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/fake_preview.h"
#include "desktop/fake_toolkit.h"
#include "files/drawing_format.h"
#ifdef FLOWSVG_PICTURES_IN_PROCESS
#include "files/pictures_in_process.h"
#endif
#include "model/flowchart.h"
#include "render/connectors.h"
#include "testing/test_support.h"
#include "platform/paths.h"
#include "base/utf8.h"
#include "base/wording.h"

namespace {

namespace fs = std::filesystem;

Text t(const std::string& utf8) { return decodeUtf8(utf8); }

// The texts every test expects, written out here rather than taken from the
// wording file, so that a changed wording shows up as a failing test.
const Text kTitle = u"Flowchart SVG Generator";
const Text kHelp =
    u"Status: Ready~How to use:~1. Choose a .txt or .ini description "
    u"file~2. Press Generate to write the SVG drawing~3. Open the folder to "
    u"see the result";
const Text kParsing =
    u"text 13: Status: Parsing the description...\rPlease wait...";

Text parsedStatus(int sections, int items, TextView format = u"SVG") {
  return u"text 13: Status: Parsed " + formatInteger(sections) +
         u" sections, " + formatInteger(items) + u" items\rWriting the " +
         Text(format) + u" drawing...";
}

// The information box after a drawing of output was written.
Text generatedBox(const Text& output, int sections, int items,
                  TextView format = u"SVG") {
  return u"box information: " + kTitle + u": " + Text(format) +
         u" file generated.\r\rFile: " + output + u"\rSections: " +
         formatInteger(sections) + u"\rItems: " + formatInteger(items);
}

// The lines the information box adds for the two warnings of the sample.
const Text kSampleWarnings =
    u"\r\rWarnings:\rline 13: the value of \"Note\" is shown cut short as "
    u"\"Confirm the order with th...\"; a box line holds 28 characters, key "
    u"and \":\" included (a character above U+FFFF counts as two)\rline 41: "
    u"\"Dates are examples only\" is no section "
    u"line, comment or key = value line; the line is ignored";

// A description of one band with two items.
const std::string kTwoItems =
    "[Header]\nsubtitle = Test\n[Line.One]\nitemid = 1\nfromid = 0\n"
    "title = A\nitemid = 2\nfromid = 1\ntitle = B\n";

// Each test runs the shell in a fresh folder; the program seems to lie in
// its bin/ folder, so the default output and the sample go there.
class ShellTest : public testing::Test {
 protected:
  void SetUp() override {
#ifdef FLOWSVG_PICTURES_IN_PROCESS
    usePictureDrawer(drawPictureInProcess);  // as flowsvg-desktop does
#endif
    ASSERT_FALSE(folder_.path().empty());
    bin_ = root_ / "bin";
    fs::create_directory(bin_);
  }

  Text program() const { return t(bin_ / "flowsvg-desktop"); }
  Text defaultOutput() const { return t(bin_ / "flowchart.svg"); }
  // A program in a writable folder of its own (a build folder, say).
  ProgramPlace place() const {
    return {program(), false, true, t(root_ / "Documents") + u"/"};
  }

  // Runs the shell through fake's script, with preview (one recording into
  // fake's log when none is given); afterwards inputPath_ and outputPath_
  // hold the shell's final paths.
  void run(FakeToolkit& fake, const FileChoice& start = FileChoice(),
           FakePreview* preview = nullptr) {
    FakePreview own(fake.log);
    Shell shell(fake, *chart_, place(), preview != nullptr ? *preview : own);
    EXPECT_EQ(shell.run(start), 0);
    EXPECT_EQ(fake.closed, 1);
    inputPath_ = shell.inputPath();
    outputPath_ = shell.outputPath();
  }

  // What fake logged from the start of the last marked command on, without
  // the final "close".
  std::vector<Text> sinceMark(const FakeToolkit& fake) const {
    std::vector<Text> lines(fake.log.begin() + mark_, fake.log.end());
    EXPECT_FALSE(lines.empty());
    if (!lines.empty() && lines.back() == u"close") lines.pop_back();
    return lines;
  }
  // Clicks id, marking where its log lines start.
  void clickMarked(FakeToolkit& fake, int32_t id,
                   std::function<void()> before = nullptr) {
    fake.click(id, [this, &fake, before] {
      if (before) before();
      mark_ = fake.log.size();
    });
  }

  TempFolder folder_;
  const fs::path root_ = folder_.path();
  fs::path bin_;
  std::unique_ptr<Flowchart> chart_ = std::make_unique<Flowchart>();
  size_t mark_ = 0;
  Text inputPath_;
  Text outputPath_;
};

TEST_F(ShellTest, StartUpOpensTheWindowWithItsFourteenControls) {
  using K = FakeToolkit::Control::Kind;
  using S = TextStyle;
  struct Expected {
    int32_t id;
    K kind;
    S style;  // for static texts
    ControlBox box;
    Text text;
  };
  const Expected expected[] = {
      {1,
       K::StaticText,
       S::Wrapped,
       {20, 15, 660, 25},
       u"Flowchart SVG Generator - turns a txt flowchart description into a "
       u"drawing"},
      {2, K::GroupFrame, S::Wrapped, {10, 45, 680, 120}, u"Files"},
      {3, K::StaticText, S::Wrapped, {25, 70, 80, 20}, u"txt/ini file:"},
      {4, K::PushButton, S::Wrapped, {110, 67, 110, 28}, u"Browse..."},
      {5, K::StaticText, S::PathLine, {230, 70, 450, 20}, u""},
      {6, K::StaticText, S::Wrapped, {25, 110, 80, 20}, u"Output SVG:"},
      {7, K::PushButton, S::Wrapped, {110, 107, 110, 28}, u"Browse..."},
      {8, K::StaticText, S::PathLine, {230, 110, 450, 20}, u""},
      {9, K::GroupFrame, S::Wrapped, {10, 175, 680, 185}, kTitle},
      {10,
       K::PushButton,
       S::Wrapped,
       {25, 200, 150, 35},
       u"\u25B6 Generate SVG"},
      {11,
       K::PushButton,
       S::Wrapped,
       {190, 200, 150, 35},
       u"\u270E Write sample"},
      {12,
       K::PushButton,
       S::Wrapped,
       {355, 200, 150, 35},
       u"\u2302 Open folder"},
      // Beside Open folder, as far from the frame's right edge as Generate
      // is from its left one.
      {14, K::PushButton, S::Wrapped, {520, 200, 150, 35}, u"\u25CE Preview"},
      {13, K::StaticText, S::Sunken, {25, 250, 650, 100}, kHelp},
  };
  FakeToolkit fake;
  run(fake);

  EXPECT_EQ(fake.windowWidth, 700);
  EXPECT_EQ(fake.windowHeight, 380);
  EXPECT_EQ(fake.windowTitle,
            u"Flowchart SVG Generator - Desktop Edition v2.0.0");
  ASSERT_EQ(fake.created.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const FakeToolkit::Control& c = fake.created[i];
    SCOPED_TRACE(testing::Message() << "control " << expected[i].id);
    EXPECT_EQ(c.id, expected[i].id);
    EXPECT_EQ(c.kind, expected[i].kind);
    if (c.kind == K::StaticText) {
      EXPECT_EQ(c.style, expected[i].style);
    }
    EXPECT_EQ(c.box.x, expected[i].box.x);
    EXPECT_EQ(c.box.y, expected[i].box.y);
    EXPECT_EQ(c.box.width, expected[i].box.width);
    EXPECT_EQ(c.box.height, expected[i].box.height);
    EXPECT_EQ(c.text, expected[i].text);
  }
  // Right after the controls: the default output path, then nothing until
  // the close request ends the run.
  EXPECT_EQ(fake.log,
            (std::vector<Text>{u"text 8: " + defaultOutput(), u"close"}));
  EXPECT_EQ(inputPath_, u"");
  EXPECT_EQ(outputPath_, defaultOutput());
  // The first step has the focus: Enter or Space opens the open dialog.
  EXPECT_EQ(fake.focused, ChooseInputButton);
}

TEST_F(ShellTest,
       AWindowThatCannotOpenEndsTheRunAfterPreparingTheModel) {
  FakeToolkit fake;
  fake.windowOpens = 0;
  fake.click(GenerateButton);
  chart_->itemcount = 3;
  FakePreview preview(fake.log);
  Shell shell(fake, *chart_, place(), preview);
  EXPECT_EQ(shell.run(), 0);
  EXPECT_TRUE(fake.created.empty());
  EXPECT_TRUE(fake.log.empty());
  EXPECT_EQ(fake.closed, 0);
  EXPECT_EQ(fake.steps.size(), 1u);  // no event was taken
  EXPECT_EQ(chart_->itemcount, 0);
}

TEST_F(ShellTest, EventsOfNoCommandAreIgnored) {
  FakeToolkit fake;
  fake.other();
  for (int32_t id : {1, 2, 3, 5, 6, 8, 9, 13, 0, 15, -1, 99}) fake.click(id);
  run(fake);
  EXPECT_EQ(fake.log,
            (std::vector<Text>{u"text 8: " + defaultOutput(), u"close"}));
  EXPECT_TRUE(fake.steps.empty());
}

TEST_F(ShellTest, ChooseInputShowsThePathAndTheSizeInKilobytes) {
  struct Case {
    const char* name;   // file name under the test folder
    int64_t bytes;      // its size; -1: no file, -2: a folder
    const char* shown;  // the kilobytes the status shows
  };
  const Case cases[] = {
      {"empty.txt", 0, "0"},         {"almost.txt", 1023, "0"},
      {"one.ini", 1024, "1"},        {"still one.txt", 2047, "1"},
      {"three.dat", 3072, "3"},      {"missing.txt", -1, "0"},
      {"a folder", -2, "0"},         {"R&D & co.txt", 10, "0"},
      {"tilde~name.txt", 2048, "2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = root_ / c.name;
    if (c.bytes >= 0) writeBytes(file, std::string(c.bytes, 'x'));
    if (c.bytes == -2) fs::create_directory(file);
    FakeToolkit fake;
    fake.answer(t(file));
    clickMarked(fake, ChooseInputButton);
    run(fake);
    EXPECT_EQ(
        sinceMark(fake),
        (std::vector<Text>{u"open dialog", u"text 5: " + t(file),
                           u"text 13: Status: Input file chosen: " + t(file) +
                               u"\rSize: " + t(c.shown) + u" KB"}));
    EXPECT_EQ(inputPath_, t(file));
    ASSERT_EQ(fake.dialogs.size(), 1u);
    EXPECT_EQ(fake.dialogs[0].title, u"Choose a txt/ini description file");
    EXPECT_EQ(fake.dialogs[0].initialPath, u"");
    EXPECT_EQ(fake.dialogs[0].filter,
              u"Description files (*.txt;*.ini)|*.txt;*.ini|All files "
              u"(*.*)|*.*");
    EXPECT_EQ(fake.dialogs[0].filterIndex, 0);
  }
}

TEST_F(ShellTest, ChooseOutputKeepsSvgPngAndPdfAndEndsOtherPathsInSvg) {
  struct Case {
    std::string answer;  // relative to the test folder; empty: cancelled
    std::string chosen;  // the output path afterwards; empty: the default
  };
  const Case cases[] = {
      {"out", "out.svg"},
      {"out.svg", "out.svg"},
      {"out.SVG", "out.SVG"},
      {"out.sVg", "out.sVg"},
      {"out.png", "out.png"},
      {"out.PDF", "out.PDF"},
      {"out.jpg", "out.jpg.svg"},
      {"out.txt", "out.txt.svg"},
      {"out.svgz", "out.svgz.svg"},
      {"out.", "out..svg"},
      {"v2.0/out", "v2.0/out.svg"},
      {"my drawing.v1 final", "my drawing.v1 final.svg"},
      {"R&D/a&b.svg", "R&D/a&b.svg"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    FakeToolkit fake;
    fake.answer(c.answer.empty() ? Text() : t(root_ / c.answer));
    clickMarked(fake, ChooseOutputButton);
    run(fake);
    const Text expected =
        c.chosen.empty() ? defaultOutput() : t(root_ / c.chosen);
    std::vector<Text> lines{u"save dialog"};
    if (!c.chosen.empty()) lines.push_back(u"text 8: " + expected);
    EXPECT_EQ(sinceMark(fake), lines);
    EXPECT_EQ(outputPath_, expected);
    EXPECT_EQ(fake.shown[StatusText], kHelp);
    ASSERT_EQ(fake.dialogs.size(), 1u);
    EXPECT_EQ(fake.dialogs[0].title, u"Save the SVG file");
    // It starts in the output's folder with its name filled in.
    EXPECT_EQ(fake.dialogs[0].initialPath, defaultOutput());
    EXPECT_EQ(fake.dialogs[0].filter,
              u"SVG files|*.svg|PNG pictures|*.png|PDF documents|*.pdf|All "
              u"files (*.*)|*.*");
    EXPECT_EQ(fake.dialogs[0].filterIndex, 0);
  }
}

TEST_F(ShellTest, DialogsStartAtTheCurrentInputAndOutput) {
  FakeToolkit fake;
  fake.answer(t(root_ / "first/one"));
  fake.answer(t(root_ / "in/plan.txt"));
  fake.click(ChooseOutputButton);
  fake.click(ChooseInputButton);
  fake.click(ChooseOutputButton);
  fake.click(ChooseInputButton);
  run(fake);
  ASSERT_EQ(fake.dialogs.size(), 4u);
  // The open dialog: the folder of its choice until there is an input,
  // then the input's folder.
  EXPECT_EQ(fake.dialogs[1].initialPath, u"");
  EXPECT_EQ(fake.dialogs[3].initialPath, t(root_ / "in") + u"/");
  // The save dialog: the current output, its name filled in.
  EXPECT_EQ(fake.dialogs[0].initialPath, defaultOutput());
  EXPECT_EQ(fake.dialogs[2].initialPath, t(root_ / "first/one.svg"));
}

TEST_F(ShellTest, CancelledDialogsChangeNothing) {
  const Text input = t(root_ / "in.txt");
  const Text output = t(root_ / "out.svg");
  FakeToolkit fake;
  for (const Text& answer : {input, output, Text(), Text()}) {
    fake.answer(answer);
  }
  fake.click(ChooseInputButton);
  fake.click(ChooseOutputButton);
  clickMarked(fake, ChooseInputButton);
  fake.click(ChooseOutputButton);
  run(fake);
  EXPECT_EQ(sinceMark(fake),
            (std::vector<Text>{u"open dialog", u"save dialog"}));
  EXPECT_EQ(inputPath_, input);
  EXPECT_EQ(outputPath_, output);
  EXPECT_EQ(fake.shown[InputPathText], input);
  EXPECT_EQ(fake.shown[OutputPathText], output);
  EXPECT_EQ(fake.shown[StatusText],
            u"Status: Input file chosen: " + input + u"\rSize: 0 KB");
}

TEST_F(ShellTest, LongDialogPathsAreTakenWhole) {
  // Paths past 259 characters are ordinary here; cutting or refusing them
  // would lose the user's choice.
  Text deep = t(root_);
  for (int level = 0; level < 5; ++level) deep += u"/" + Text(60, u'd');
  const Text longInput = deep + u"/in.txt";
  const Text longOutput = deep + u"/out";
  FakeToolkit fake;
  fake.answer(longInput);
  fake.answer(longOutput);
  fake.click(ChooseInputButton);
  fake.click(ChooseOutputButton);
  run(fake);
  EXPECT_EQ(inputPath_, longInput);
  EXPECT_EQ(outputPath_, longOutput + u".svg");
  EXPECT_EQ(fake.shown[OutputPathText], longOutput + u".svg");
}

TEST_F(ShellTest, GenerateReportsEachOutcome) {
  enum Outcome { ChooseFirst, LoadFailed, WriteFailed, Written };
  struct Case {
    const char* label;
    const char* input;        // nullptr: no input chosen
    const char* description;  // nullptr: the input file does not exist
    const char* output;       // nullptr: the default output
    Outcome outcome;
    int sections;
    int items;
    const char16_t* reason = u"";  // the failure's reason in its box
  };
  const Case cases[] = {
      {"no input yet", nullptr, nullptr, nullptr, ChooseFirst, 0, 0},
      {"missing input", "gone.txt", nullptr, nullptr, LoadFailed, 0, 0,
       u"No such file or directory"},
      {"output folder missing", "in.txt", kTwoItems.c_str(), "nowhere/o.svg",
       WriteFailed, 1, 2, u"No such file or directory"},
      {"output is a folder", "in.txt", kTwoItems.c_str(), "taken.svg",
       WriteFailed, 1, 2, u"Is a directory"},
      {"output is the input", "in.svg", kTwoItems.c_str(), "in.svg",
       WriteFailed, 1, 2, u"it is the input file"},
      {"written", "in.txt", kTwoItems.c_str(), nullptr, Written, 1, 2},
      {"empty description", "empty.ini", "", "empty.svg", Written, 0, 0},
      {"ampersands", "R&D in.txt", kTwoItems.c_str(), "R&D/a&b.svg", Written, 1,
       2},
      {"png", "in.txt", kTwoItems.c_str(), "o.png", Written, 1, 2},
      {"pdf in capitals", "in.txt", kTwoItems.c_str(), "o.PDF", Written, 1, 2},
      {"png folder missing", "in.txt", kTwoItems.c_str(), "nowhere/o.png",
       WriteFailed, 1, 2, u"No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::create_directory(root_ / "R&D");
    fs::create_directory(root_ / "taken.svg");
    FakeToolkit fake;
    const Text input = c.input ? t(root_ / c.input) : Text();
    if (c.input) {
      if (c.description) writeBytes(root_ / c.input, c.description);
      fake.answer(input);
      fake.click(ChooseInputButton);
    }
    const Text output = c.output ? t(root_ / c.output) : defaultOutput();
    if (c.output) {
      fake.answer(output);
      fake.click(ChooseOutputButton);
    }
    clickMarked(fake, GenerateButton);
    run(fake);

    // The messages name the format the output's extension asks for; a
    // build without PNG and PDF says so and writes nothing.
    const DrawingFormat format = formatOfPath(output);
    const Text word(formatName(format));
    Outcome outcome = c.outcome;
    Text reason = c.reason;
    if (format != DrawingFormat::Svg && !picturesAvailable()) {
      outcome = WriteFailed;
      reason = wording::PicturesUnavailable;
    }
    std::vector<Text> expected;
    switch (outcome) {
      case ChooseFirst:
        expected = {u"box warning: " + kTitle +
                    u": Please choose a txt/ini file first"};
        EXPECT_EQ(fake.shown[StatusText], kHelp);
        break;
      case LoadFailed:
        expected = {kParsing,
                    u"box error: " + kTitle +
                        u": Cannot open the description file: " + input +
                        u"\r" + c.reason,
                    u"text 13: Status: \u2717 The description could not be "
                    u"loaded"};
        break;
      case WriteFailed:
        expected = {
            kParsing, parsedStatus(c.sections, c.items, word),
            u"box error: " + kTitle + u": Cannot create the " + word +
                u" file: " + output + u"\r" + reason,
            u"text 13: Status: \u2717 " + word + u" file could not be written",
            u"box error: " + kTitle + u": " + word +
                u" file could not be written."};
        if (std::string(c.input) == c.output) {
          EXPECT_EQ(readBytes(root_ / c.input), c.description);
        }
        break;
      case Written: {
        const uintmax_t size = fs::file_size(encodeUtf8(output));
        EXPECT_GT(size, 0u);
        const Text kb = formatInteger(static_cast<int64_t>(size / 1024));
        expected = {kParsing, parsedStatus(c.sections, c.items, word),
                    u"text 13: Status: \u2713 " + word +
                        u" file written\rOutput file: " + output +
                        u"\rSize: " + kb + u" KB",
                    generatedBox(output, c.sections, c.items, word)};
        const char* magic = format == DrawingFormat::Png   ? "\x89PNG"
                            : format == DrawingFormat::Pdf ? "%PDF-"
                                                           : "<?xml";
        EXPECT_EQ(readBytes(encodeUtf8(output)).rfind(magic, 0), 0u);
        break;
      }
    }
    EXPECT_EQ(sinceMark(fake), expected);
    EXPECT_EQ(inputPath_, input);
    EXPECT_EQ(outputPath_, output);
    EXPECT_EQ(fake.shown[InputPathText], input);
    EXPECT_EQ(fake.shown[OutputPathText], output);
    fs::remove_all(root_ / "R&D");
    fs::remove_all(root_ / "taken.svg");
  }
}

TEST_F(ShellTest, EachGenerateReadsTheInputAfresh) {
  const fs::path input = root_ / "in.txt";
  writeBytes(input, kTwoItems);
  FakeToolkit fake;
  fake.answer(t(input));
  fake.click(ChooseInputButton);
  fake.click(GenerateButton);
  clickMarked(fake, GenerateButton, [&] {
    writeBytes(input, kTwoItems + "[Other.Band]\nitemid = 3\n");
  });
  run(fake);
  const std::vector<Text> lines = sinceMark(fake);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], parsedStatus(2, 3));
  EXPECT_EQ(lines[3], generatedBox(defaultOutput(), 2, 3));
}

// The sample description, byte for byte.
const std::string kSampleBytes =
    "[Header]\r\n"
    "subtitle = 5L bottling line: from order to shipment\r\n"
    "company = Example Beverages Ltd.\r\n"
    "\r\n"
    "[Production.Steps]\r\nitemid = 11\r\nfromid = 0\r\nimage = order.png\r\n"
    "title = Process step\r\nOwner = Sales\r\nPeriod = 2025.1.1-2025.1.3\r\n"
    "Volume = 100L\r\nNote = Confirm the order with the customer.\r\n"
    "\r\n"
    "[Production.Steps]\r\nitemid = 12\r\nfromid = 0\r\n"
    "image = material.png\r\ntitle = Process step\r\nOwner = Purchasing\r\n"
    "Period = 2025.1.1-2025.1.3\r\n"
    "\r\n"
    "[Production.Steps]\r\nitemid = 21\r\nfromid = 11\r\n"
    "image = production.png\r\ntitle = Process step\r\n"
    "Shifts = 1 to 3 a day\r\nPeriod = 2025.1.8-2025.1.9\r\n"
    "\r\n"
    "[Production.Steps]\r\nitemid = 22\r\nfromid = 12\r\n"
    "image = production.png\r\ntitle = Process step\r\nStation = T4A\r\n"
    "Date = 2025.1.11\r\n"
    "\r\n"
    "[Summary]\r\n"
    "text = Four steps from order to shipment\rDates are examples only\r\n";

TEST_F(ShellTest, SampleWritesTheFileBesideTheProgramAndSelectsIt) {
  const Text sample = t(bin_ / "sample_flowchart.txt");
  const std::vector<Text> expected = {
      u"text 5: " + sample,
      u"text 13: Status: Sample description written\rFile: " + sample +
          u"\rPress 'Generate SVG' to draw it"};
  writeBytes(root_ / "in.txt", std::string(5000, 'x'));
  FakeToolkit fake;
  fake.answer(t(root_ / "in.txt"));
  fake.click(ChooseInputButton);
  clickMarked(fake, SampleButton);
  run(fake);
  EXPECT_EQ(sinceMark(fake), expected);
  EXPECT_EQ(inputPath_, sample);
  EXPECT_EQ(readBytes(bin_ / "sample_flowchart.txt"), kSampleBytes);

  // A second press finds the sample as written, writes it again without a
  // question and shows the same texts.
  FakeToolkit again;
  again.click(SampleButton);
  clickMarked(again, SampleButton);
  run(again);
  EXPECT_EQ(sinceMark(again), expected);
  EXPECT_EQ(readBytes(bin_ / "sample_flowchart.txt"), kSampleBytes);
}

TEST_F(ShellTest, AnEditedSampleIsReplacedOnlyWhenTheUserSaysSo) {
  const fs::path file = bin_ / "sample_flowchart.txt";
  const Text sample = t(file);
  const Text question =
      u"question: " + kTitle + u": " + sample +
      u" differs from the sample description.\rReplace it with the sample? "
      u"Your changes in it will be lost. [Replace|Cancel]";
  const Text written = u"text 13: Status: Sample description written\rFile: " +
                       sample + u"\rPress 'Generate SVG' to draw it";
  const std::string edited = kSampleBytes + "Owner = me\r\n";
  struct Case {
    const char* label;
    const std::string* before;  // nullptr: no file
    int32_t asked;              // whether the question comes
    std::deque<int32_t> answers;
    bool replaced;
  };
  const Case cases[] = {
      {"no file yet", nullptr, 0, {}, true},
      {"the sample as written", &kSampleBytes, 0, {}, true},
      {"edited, Replace", &edited, 1, {1}, true},
      {"edited, Cancel or Escape", &edited, 1, {0}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove(file);
    if (c.before != nullptr) writeBytes(file, *c.before);
    const fs::path input = root_ / "in.txt";
    writeBytes(input, "");
    FakeToolkit fake;
    fake.answer(t(input));
    fake.click(ChooseInputButton);
    clickMarked(fake, SampleButton);
    fake.questionAnswers = c.answers;
    run(fake);
    std::vector<Text> expected;
    if (c.asked) expected.push_back(question);
    if (c.replaced) {
      expected.push_back(u"text 5: " + sample);
      expected.push_back(written);
    }
    EXPECT_EQ(sinceMark(fake), expected);
    EXPECT_EQ(readBytes(file), c.replaced ? kSampleBytes : edited);
    EXPECT_EQ(inputPath_, c.replaced ? sample : t(input));
  }
}

TEST_F(ShellTest, ASampleThatCannotBeWrittenShowsAnErrorBoxAndChangesNothing) {
  const fs::path input = root_ / "in.txt";
  writeBytes(input, "");
  // The program seems to lie in a folder that does not exist.
  const Text missingProgram = t(root_ / "gone" / "flowsvg-desktop");
  FakeToolkit fake;
  fake.answer(t(input));
  fake.click(ChooseInputButton);
  clickMarked(fake, SampleButton);
  FakePreview preview(fake.log);
  Shell shell(fake, *chart_, {missingProgram, false, true, Text()}, preview);
  EXPECT_EQ(shell.run(), 0);
  EXPECT_EQ(sinceMark(fake),
            (std::vector<Text>{u"box error: " + kTitle +
                               u": Cannot create the sample file: " +
                               t(root_ / "gone" / "sample_flowchart.txt") +
                               u"\rNo such file or directory"}));
  EXPECT_EQ(shell.inputPath(), t(input));
  EXPECT_EQ(fake.shown[InputPathText], t(input));
  EXPECT_EQ(fake.shown[StatusText],
            u"Status: Input file chosen: " + t(input) + u"\rSize: 0 KB");
  EXPECT_FALSE(fs::exists(root_ / "gone"));
}

TEST_F(ShellTest, TheSampleConvertsToOneBandOfFourBoxesAndTwoConnectors) {
  FakeToolkit fake;
  fake.click(SampleButton);
  clickMarked(fake, GenerateButton);
  run(fake);
  const std::vector<Text> lines = sinceMark(fake);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], parsedStatus(1, 4));
  EXPECT_EQ(lines[3], generatedBox(defaultOutput(), 1, 4) + kSampleWarnings);

  const Flowchart& chart = *chart_;
  EXPECT_EQ(chart.sections[0].name, u"Production.Steps");
  EXPECT_EQ(chart.sections[0].itemcount, 4);
  EXPECT_EQ(leftPart(chart.subtitle, 2), u"5L");
  EXPECT_EQ(chart.company, u"Example Beverages Ltd.");
  EXPECT_EQ(chart.summary, u"Four steps from order to shipment");
  const int32_t ids[] = {11, 12, 21, 22};
  const int32_t parents[] = {0, 0, 11, 12};
  const int32_t contents[] = {4, 2, 2, 2};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(ids[i]);
    EXPECT_EQ(chart.items[i].itemid, ids[i]);
    EXPECT_EQ(chart.items[i].title, u"Process step");
    ASSERT_EQ(chart.items[i].parentcount, 1);
    EXPECT_EQ(chart.items[i].parents[0], parents[i]);
    EXPECT_EQ(chart.items[i].contentcount, contents[i]);
    EXPECT_EQ(chart.items[i].sectionno, 1);
    EXPECT_EQ(chart.items[i].column, i + 1);
  }

  const std::string svg = readBytes(bin_ / "flowchart.svg");
  size_t connectors = 0;
  for (size_t at = svg.find("marker-end="); at != std::string::npos;
       at = svg.find("marker-end=", at + 1)) {
    ++connectors;
  }
  EXPECT_EQ(connectors, 2u);
}

TEST_F(ShellTest, OpenFolderOpensOnlyAnExistingFolderAndHandsItOverAsItIs) {
  enum Made { Folder, Nothing, File };
  struct Case {
    const char* made;  // what is made under the test folder
    Made kind;
    const char* output;  // the output path; nullptr: the default output
    const char* opened;  // the folder opened; nullptr: none
  };
  const Case cases[] = {
      {"bin", Folder, nullptr, "bin/"},
      {"a; touch x", Folder, "a; touch x/out.svg", "a; touch x/"},
      {"$(id)", Folder, "$(id)/out.svg", "$(id)/"},
      {"R&D `ls` 'q'", Folder, "R&D `ls` 'q'/o.svg", "R&D `ls` 'q'/"},
      {"removed", Nothing, "removed/out.svg", nullptr},
      {"plain file", File, "plain file/out.svg", nullptr},
      // "\\" separates too: the folder part is the file "plain\\".
      {"plain\\", File, "plain\\out.svg", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.made);
    const fs::path made = root_ / c.made;
    if (c.kind == Folder) fs::create_directories(made);
    if (c.kind == File) writeBytes(made, "x");
    FakeToolkit fake;
    if (c.output) {
      fake.answer(t(root_ / c.output));
      fake.click(ChooseOutputButton);
    }
    clickMarked(fake, OpenFolderButton);
    run(fake);
    std::vector<Text> expected{u"close"};
    if (c.opened) {
      expected.insert(expected.begin(), u"open folder: " + t(root_ / c.opened));
    }
    EXPECT_EQ(std::vector<Text>(fake.log.begin() + mark_, fake.log.end()),
              expected);
  }
}

TEST_F(ShellTest, OpenFolderAfterTheFolderWasRemovedDoesNothing) {
  const fs::path folder = root_ / "made";
  fs::create_directory(folder);
  FakeToolkit fake;
  fake.answer(t(folder / "out.svg"));
  fake.click(ChooseOutputButton);
  fake.click(OpenFolderButton);
  clickMarked(fake, OpenFolderButton, [&] { fs::remove(folder); });
  run(fake);
  EXPECT_EQ(std::count(fake.log.begin(), fake.log.end(),
                       u"open folder: " + t(folder) + u"/"),
            1);
  EXPECT_EQ(std::vector<Text>(fake.log.begin() + mark_, fake.log.end()),
            (std::vector<Text>{u"close"}));
}

TEST_F(ShellTest, AnInstalledOrUnwritableProgramKeepsItsFilesInTheDocuments) {
  const fs::path documents = root_ / "Documents";
  fs::create_directory(documents);
  struct Case {
    const char* label;
    bool installed;
    bool writable;
    bool documentsKnown;
    bool inDocuments;  // else beside the program
  };
  const Case cases[] = {
      {"build folder", false, true, true, false},
      {"installed bin folder", true, true, true, true},
      {"folder it cannot write", false, false, true, true},
      {"installed and unwritable", true, false, true, true},
      {"no documents folder known", true, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove(bin_ / "sample_flowchart.txt");
    fs::remove(documents / "sample_flowchart.txt");
    const fs::path folder = c.inDocuments ? documents : bin_;
    const Text sample = t(folder / "sample_flowchart.txt");
    const Text output = t(folder / "flowchart.svg");
    FakeToolkit fake;
    fake.click(SampleButton);
    fake.click(GenerateButton);
    fake.click(OpenFolderButton);
    FakePreview preview(fake.log);
    Shell shell(fake, *chart_,
                {program(), c.installed, c.writable,
                 c.documentsKnown ? t(documents) + u"/" : Text()},
                preview);
    EXPECT_EQ(shell.run(), 0);
    // The texts name the real place, so the user sees where files went.
    EXPECT_EQ(fake.log.front(), u"text 8: " + output);
    EXPECT_EQ(fake.log[1], u"text 5: " + sample);
    EXPECT_EQ(fake.log[2],
              u"text 13: Status: Sample description written\rFile: " + sample +
                  u"\rPress 'Generate SVG' to draw it");
    ASSERT_GE(fake.log.size(), 8u);
    EXPECT_EQ(fake.log[6], generatedBox(output, 1, 4) + kSampleWarnings);
    EXPECT_EQ(fake.log[7], u"open folder: " + t(folder) + u"/");
    EXPECT_EQ(readBytes(folder / "sample_flowchart.txt"), kSampleBytes);
    EXPECT_TRUE(fs::exists(folder / "flowchart.svg"));
    EXPECT_EQ(shell.outputPath(), output);
    fs::remove(folder / "flowchart.svg");
  }
}

TEST_F(ShellTest, ShortcutsRunTheirCommandsFromAnywhere) {
  struct Case {
    char16_t letter;
    std::vector<Text> logged;  // after the start-up line
    bool closes;               // the run ends there
  };
  const Case cases[] = {
      {u'O', {u"open dialog"}, false},
      {u'S', {u"save dialog"}, false},
      {u'G',
       {u"box warning: " + kTitle + u": Please choose a txt/ini file first"},
       false},
      {u'P',
       {u"box warning: " + kTitle + u": Please choose a txt/ini file first"},
       false},
      {u'Q', {}, true},
      {u'W', {}, true},
      {u'X', {}, false},  // no shortcut: nothing happens
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<char>(c.letter));
    FakeToolkit fake;
    fake.press(c.letter);
    fake.click(GenerateButton);  // reached only when the run goes on
    run(fake);
    std::vector<Text> expected = {u"text 8: " + defaultOutput()};
    expected.insert(expected.end(), c.logged.begin(), c.logged.end());
    if (!c.closes) {
      expected.push_back(u"box warning: " + kTitle +
                         u": Please choose a txt/ini file first");
    }
    expected.push_back(u"close");
    EXPECT_EQ(fake.log, expected);
  }
}

// A file given at start (flowsvg-desktop FILE) and a file dropped onto the
// window are taken the same way: chosen when it can be read, else the open
// error box, with no input or the old one kept.
TEST_F(ShellTest, AFileGivenAtStartOrDroppedIsChosenWhenItCanBeRead) {
  const std::string odd = "caf\xe9 \x01.txt";  // a Latin-1 byte, a control
  writeBytes(root_ / "plan.txt", kTwoItems);
  writeBytes(root_ / odd, kTwoItems);
  fs::create_directory(root_ / "folder.txt");
  const Text oddPath = textFromNativePath((root_ / odd).string());
  const Text oddShown = t(root_.string() + "/caf\xef\xbf\xbd \\x01.txt");
  // A right-to-left override and a C1 control: shown, never acted on.
  const std::string bidi = "in\xe2\x80\xaegpj.\xc2\x9btxt";
  writeBytes(root_ / bidi, kTwoItems);
  const Text bidiShown = t(root_.string() + "/in\\u202Egpj.\\u009Btxt");
  struct Case {
    const char* label;
    FileChoice::Outcome outcome;
    Text path;
    Text shown;              // as labels and messages show the path
    const char16_t* reason;  // nullptr: chosen
  };
  const Case cases[] = {
      {"readable", FileChoice::Outcome::Chosen, t(root_ / "plan.txt"),
       t(root_ / "plan.txt"), nullptr},
      {"a name that is not UTF-8", FileChoice::Outcome::Chosen, oddPath,
       oddShown, nullptr},
      {"missing", FileChoice::Outcome::Chosen, t(root_ / "gone.txt"),
       t(root_ / "gone.txt"), u"No such file or directory"},
      {"bidirectional and C1 characters", FileChoice::Outcome::Chosen,
       t(root_ / bidi), bidiShown, nullptr},
      {"missing, with them", FileChoice::Outcome::Chosen,
       t(root_ / ("gone" + bidi)),
       t(root_.string() + "/gone" + "in\\u202Egpj.\\u009Btxt"),
       u"No such file or directory"},
      {"a folder", FileChoice::Outcome::Chosen, t(root_ / "folder.txt"),
       t(root_ / "folder.txt"), u"Is a directory"},
      {"a remote location", FileChoice::Outcome::NotLocal,
       u"sftp://host/plan.txt", u"sftp://host/plan.txt", u"not a local file"},
  };
  for (const Case& c : cases) {
    for (const bool dropped : {false, true}) {
      SCOPED_TRACE(testing::Message()
                   << c.label << (dropped ? ", dropped" : ", at start"));
      const Text earlier = t(root_ / "plan.txt");
      FakeToolkit fake;
      if (dropped) {
        fake.answer(earlier);
        fake.click(ChooseInputButton);
        fake.drop({c.outcome, c.path}, [&] { mark_ = fake.log.size(); });
      }
      fake.click(GenerateButton);
      run(fake, dropped ? FileChoice() : FileChoice{c.outcome, c.path});
      const std::vector<Text> log = fake.log;
      const size_t from = dropped ? mark_ : 1;  // after the start-up line
      ASSERT_GT(log.size(), from);
      const Text kept = dropped ? earlier : Text();
      if (c.reason == nullptr) {
        EXPECT_EQ(log[from], u"text 5: " + c.shown);
        EXPECT_EQ(log[from + 1], u"text 13: Status: Input file chosen: " +
                                     c.shown + u"\rSize: 0 KB");
        EXPECT_EQ(inputPath_, c.path);
        // Generate converts that very file.
        EXPECT_EQ(log[from + 3], parsedStatus(1, 2));
      } else {
        EXPECT_EQ(log[from], u"box error: " + kTitle +
                                 u": Cannot open the description file: " +
                                 c.shown + u"\r" + c.reason);
        EXPECT_EQ(inputPath_, kept);
        EXPECT_EQ(fake.shown[InputPathText], kept);
      }
    }
  }
}

TEST_F(ShellTest, APickThatNamesNoLocalFileIsAnErrorNeverASilentKeep) {
  const Text input = t(root_ / "in.txt");
  const Text output = t(root_ / "out.svg");
  FakeToolkit fake;
  fake.answer(input);
  fake.answer(output);
  fake.dialogAnswers.push_back(
      {FileChoice::Outcome::NotLocal, u"smb://server/share/new.txt"});
  fake.dialogAnswers.push_back(
      {FileChoice::Outcome::NotLocal, u"smb://server/share/new.svg"});
  fake.click(ChooseInputButton);
  fake.click(ChooseOutputButton);
  clickMarked(fake, ChooseInputButton);
  fake.click(ChooseOutputButton);
  run(fake);
  EXPECT_EQ(
      sinceMark(fake),
      (std::vector<Text>{u"open dialog",
                         u"box error: " + kTitle +
                             u": Cannot open the description file: "
                             u"smb://server/share/new.txt\rnot a local file",
                         u"save dialog",
                         u"box error: " + kTitle +
                             u": Cannot create the SVG file: "
                             u"smb://server/share/new.svg\rnot a local file"}));
  EXPECT_EQ(inputPath_, input);
  EXPECT_EQ(outputPath_, output);
}

TEST_F(ShellTest, NamesAreKeptByteForByteAndShownReadably) {
  // A name in a single-byte code page, with a control character in it.
  const std::string inName = "r\xe9sum\xe9\t1.txt";
  const std::string outName = "r\xe9sum\xe9\t1";
  writeBytes(root_ / inName, kTwoItems);
  const Text input = textFromNativePath((root_ / inName).string());
  const Text output = textFromNativePath((root_ / outName).string());
  const Text shownIn =
      t(root_.string() + "/r\xef\xbf\xbdsum\xef\xbf\xbd\\x091.txt");
  const Text shownOut =
      t(root_.string() + "/r\xef\xbf\xbdsum\xef\xbf\xbd\\x091.svg");
  FakeToolkit fake;
  fake.answer(input);
  fake.answer(output);
  fake.click(ChooseInputButton);
  fake.click(ChooseOutputButton);
  clickMarked(fake, GenerateButton);
  run(fake);
  EXPECT_EQ(inputPath_, input);
  EXPECT_EQ(fake.shown[InputPathText], shownIn);
  EXPECT_EQ(fake.shown[OutputPathText], shownOut);
  const std::vector<Text> lines = sinceMark(fake);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], parsedStatus(1, 2));
  EXPECT_EQ(lines[3], generatedBox(shownOut, 1, 2));
  // The SVG went to the name with those very bytes, and no other.
  EXPECT_EQ(readBytes(root_ / (outName + ".svg")).rfind("<?xml", 0), 0u);
  EXPECT_EQ(folderEntries(root_.string()),
            (std::vector<std::string>{"bin", outName + ".svg", inName}));
}

TEST_F(ShellTest, GenerateAddsTheWarningsToTheStatusAndTheInformationBox) {
  const std::string seven =
      "[Line.One]\nitemid = 1\nfromid = 9\nTitle = A\nstray line\n"
      "Fromid = 2\nImage = x\nx: y\nz\n";
  struct Case {
    const char* label;
    std::string description;
    int sections;
    int items;
    Text statusLine;  // added to the status; empty: nothing added
    Text boxLines;    // added to the information box
  };
  const Case cases[] = {
      {"no warning", kTwoItems, 1, 2, u"", u""},
      {"one warning, cut after a word to 80 characters",
       "[Line.One]\nitemid = 1\ntitle: Start\n", 1, 1,
       u"Warnings: 1 (line 3: \"title: Start\" is no section line, comment "
       u"or key = value line; the line is ...)",
       u"\r\rWarnings:\rline 3: \"title: Start\" is no section line, comment "
       u"or key = value line; the line is ignored (did you mean \"title = "
       u"Start\"?)"},
      // The warning about line 3 comes at the end of the file; the box
      // lists the first five by line, then how many more.
      {"seven warnings", seven, 1, 1,
       u"Warnings: 7 (line 3: fromid names 9, but no box has that itemid; no "
       u"arrow is drawn from it)",
       u"\r\rWarnings:"
       u"\rline 3: fromid names 9, but no box has that itemid; no arrow is "
       u"drawn from it"
       u"\rline 4: \"Title\" is shown as a line in the box (did you mean "
       u"\"title\"?)"
       u"\rline 5: \"stray line\" is no section line, comment or key = value "
       u"line; the line is ignored"
       u"\rline 6: \"Fromid\" is shown as a line in the box (did you mean "
       u"\"fromid\"?)"
       u"\rline 7: \"Image\" is shown as a line in the box (did you mean "
       u"\"image\"?)"
       u"\rand 2 more"},
      {"six warnings", seven.substr(0, seven.size() - 2), 1, 1,
       u"Warnings: 6 (line 3: fromid names 9, but no box has that itemid; no "
       u"arrow is drawn from it)",
       u"\r\rWarnings:"
       u"\rline 3: fromid names 9, but no box has that itemid; no arrow is "
       u"drawn from it"
       u"\rline 4: \"Title\" is shown as a line in the box (did you mean "
       u"\"title\"?)"
       u"\rline 5: \"stray line\" is no section line, comment or key = value "
       u"line; the line is ignored"
       u"\rline 6: \"Fromid\" is shown as a line in the box (did you mean "
       u"\"fromid\"?)"
       u"\rline 7: \"Image\" is shown as a line in the box (did you mean "
       u"\"image\"?)"
       u"\rand 1 more"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const fs::path input = root_ / "in.txt";
    writeBytes(input, c.description);
    FakeToolkit fake;
    fake.answer(t(input));
    fake.click(ChooseInputButton);
    clickMarked(fake, GenerateButton);
    run(fake);
    const Text output = defaultOutput();
    const Text kb = formatInteger(
        static_cast<int64_t>(fs::file_size(encodeUtf8(output)) / 1024));
    const Text added = c.statusLine.empty() ? Text() : u"\r" + c.statusLine;
    EXPECT_EQ(sinceMark(fake),
              (std::vector<Text>{
                  kParsing, parsedStatus(c.sections, c.items),
                  u"text 13: Status: \u2713 SVG file written\rOutput file: " +
                      output + u"\rSize: " + kb + u" KB" + added,
                  generatedBox(output, c.sections, c.items) + c.boxLines}));
  }
}

TEST_F(ShellTest, TheWarningsStayInTheStatusWhenTheSvgCannotBeWritten) {
  const fs::path input = root_ / "in.txt";
  writeBytes(input, "[Line.One]\nitemid = 1\ntitle: Start\n");
  const Text output = t(root_ / "nowhere" / "out.svg");
  FakeToolkit fake;
  fake.answer(t(input));
  fake.answer(output);
  fake.click(ChooseInputButton);
  fake.click(ChooseOutputButton);
  clickMarked(fake, GenerateButton);
  run(fake);
  const std::vector<Text> lines = sinceMark(fake);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3],
            u"text 13: Status: \u2717 SVG file could not be written\r"
            u"Warnings: 1 (line 3: \"title: Start\" is no section line, "
            u"comment or key = value line; the line is ...)");
  EXPECT_EQ(lines[4],
            u"box error: " + kTitle + u": SVG file could not be written.");
}

// The save dialog asks about the name it returns; when ".svg" is appended
// to it and a file has that name, the window asks before taking it.
TEST_F(ShellTest, ChooseOutputAsksBeforeTheAppendedNameReplacesAFile) {
  fs::create_directory(root_ / "folder.svg");
  writeBytes(root_ / "taken.svg", "x");
  writeBytes(root_ / "notes.txt.svg", "x");
  struct Case {
    const char* answer;  // under the test folder
    bool asked;          // the question about answer + ".svg" comes
    int32_t reply;       // 1: Replace, 0: Cancel
    const char* chosen;  // the output afterwards; nullptr: the default
  };
  const Case cases[] = {
      {"taken", true, 1, "taken.svg"},
      {"taken", true, 0, nullptr},
      {"notes.txt", true, 1, "notes.txt.svg"},
      {"taken.svg", false, 0, "taken.svg"},  // the dialog itself asked
      {"new", false, 0, "new.svg"},
      {"folder", false, 0, "folder.svg"},  // writing it fails with the reason
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.answer << ", reply " << c.reply);
    FakeToolkit fake;
    fake.answer(t(root_ / c.answer));
    fake.questionAnswers = {c.reply};
    clickMarked(fake, ChooseOutputButton);
    run(fake);
    std::vector<Text> expected{u"save dialog"};
    if (c.asked) {
      expected.push_back(u"question: " + kTitle + u": " + t(root_ / c.answer) +
                         u".svg already exists.\rReplace it? [Replace|Cancel]");
    }
    const Text chosen = c.chosen ? t(root_ / c.chosen) : defaultOutput();
    if (c.chosen) expected.push_back(u"text 8: " + chosen);
    EXPECT_EQ(sinceMark(fake), expected);
    EXPECT_EQ(outputPath_, chosen);
  }
  EXPECT_EQ(readBytes(root_ / "taken.svg"), "x");
}

TEST_F(ShellTest, OpenFolderThatFailsSaysWhyInAnErrorBox) {
  const Text folder = t(bin_) + u"/";
  const Text box = u"box error: " + kTitle + u": Cannot open the folder: " +
                   folder + u"\rxdg-open: No such file or directory";
  const Text later = u"box error: " + kTitle + u": Cannot open the folder: " +
                     folder +
                     u"\rxdg-open ended with exit status 3: A required tool "
                     u"could not be found";
  FakeToolkit fake;
  fake.folderFailures = {u"xdg-open: No such file or directory"};
  clickMarked(fake, OpenFolderButton);
  // The opener started for a second press fails after the command ended.
  fake.click(OpenFolderButton);
  fake.folderNotOpened(folder,
                       u"xdg-open ended with exit status 3: A "
                       u"required tool could not be found");
  run(fake);
  EXPECT_EQ(sinceMark(fake),
            (std::vector<Text>{u"open folder: " + folder, box,
                               u"open folder: " + folder, later}));
}

TEST_F(ShellTest, ButtonsHaveNamesWithoutSymbolsAndTooltipsWithShortcuts) {
  struct Expected {
    int32_t id;
    Text name;
    Text tip;
  };
  const Expected expected[] = {
      {ChooseInputButton, u"Browse for the description file",
       u"Choose the description file (Ctrl+O)"},
      {ChooseOutputButton, u"Browse for the SVG file",
       u"Choose where the SVG file is written (Ctrl+S)"},
      {GenerateButton, u"Generate SVG",
       u"Write the SVG drawing of the description (Ctrl+G)"},
      {SampleButton, u"Write sample",
       u"Write a sample description and choose it"},
      {OpenFolderButton, u"Open folder", u"Open the SVG file's folder"},
      {PreviewButton, u"Preview",
       u"Show the drawing in the browser and write it on every save "
       u"(Ctrl+P)"},
  };
  FakeToolkit fake;
  run(fake);
  ASSERT_EQ(fake.descriptions.size(), std::size(expected));
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.id);
    EXPECT_EQ(fake.descriptions[e.id].accessibleName, e.name);
    EXPECT_EQ(fake.descriptions[e.id].tooltip, e.tip);
    // The caption shows the name, after the button's symbol if it has one.
    const Text& caption = fake.shown[e.id];
    EXPECT_TRUE(caption == e.name || caption.ends_with(u" " + e.name) ||
                caption == u"Browse...")
        << encodeUtf8(caption);
    for (const char16_t symbol :
         {u'\u25B6', u'\u270E', u'\u2302', u'\u25CE'}) {
      EXPECT_EQ(e.name.find(symbol), Text::npos);
    }
  }
  // Each shortcut the window has is named in the tooltip of its button.
  for (const auto& [letter, event] : fake.shortcuts) {
    if (event.kind != EventKind::Control) continue;
    EXPECT_NE(fake.descriptions[event.control].tooltip.find(
                  u"(Ctrl+" + Text(1, letter) + u")"),
              Text::npos);
  }
}

TEST_F(ShellTest, AWindowThatCannotOpenForAReasonToldEndsWithStatusOne) {
  FakeToolkit fake;
  fake.windowOpens = -1;
  fake.click(GenerateButton);
  FakePreview preview(fake.log);
  Shell shell(fake, *chart_, place(), preview);
  EXPECT_EQ(shell.run(), 1);
  EXPECT_TRUE(fake.created.empty());
  EXPECT_TRUE(fake.log.empty());
  EXPECT_EQ(fake.closed, 0);
}

// The status lines of a preview whose conversion wrote output: the address
// first, then what Generate shows.
std::vector<Text> previewWritten(const Text& address, const Text& output,
                                 int sections, int items) {
  const Text at = u"text 13: Preview at " + address + u"\r";
  const uintmax_t size = fs::file_size(encodeUtf8(output));
  return {at + u"Status: Parsing the description...\rPlease wait...",
          at + u"Status: Parsed " + formatInteger(sections) + u" sections, " +
              formatInteger(items) + u" items\rWriting the SVG drawing...",
          at + u"Status: \u2713 SVG file written\rOutput file: " + output +
              u"\rSize: " + formatInteger(static_cast<int64_t>(size / 1024)) +
              u" KB"};
}

std::vector<Text> joined(std::vector<std::vector<Text>> parts) {
  std::vector<Text> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Preview serves the input, writes the output at once and on every save
// (no information box: a save in the editor must not raise one), opens the
// browser at the address and shows it; closing the window stops it before
// the window goes.
TEST_F(ShellTest, PreviewServesTheInputAndWritesTheOutputOnEverySave) {
  const fs::path input = root_ / "plan.txt";
  writeBytes(input, kTwoItems);
  const Text output = defaultOutput();
  FakeToolkit fake;
  FakePreview preview(fake.log);
  fake.answer(t(input));
  fake.click(ChooseInputButton);
  clickMarked(fake, PreviewButton);
  const Text address = u"http://127.0.0.1:8001/#key=1";
  std::vector<Text> firstWrite;
  std::vector<Text> expectedFirst;
  fake.saved([&] {
    firstWrite = std::vector<Text>(fake.log.begin() + mark_, fake.log.end());
    expectedFirst = joined({{u"preview show: " + t(input)},
                            previewWritten(address, output, 1, 2),
                            {u"open address: " + address}});
    EXPECT_NE(readBytes(encodeUtf8(output)).find(">B</text>"),
              std::string::npos);
    writeBytes(input, kTwoItems + "itemid = 3\nfromid = 2\ntitle = Third\n");
    mark_ = fake.log.size();
  });
  run(fake, FileChoice(), &preview);

  EXPECT_EQ(firstWrite, expectedFirst);
  EXPECT_EQ(fake.log.back(), u"close");
  EXPECT_EQ(sinceMark(fake), joined({previewWritten(address, output, 1, 3),
                                     {u"preview stop"}}));
  EXPECT_NE(readBytes(encodeUtf8(output)).find(">Third</text>"),
            std::string::npos);
  EXPECT_EQ(preview.starts, 1);
}

// Another input, chosen, dropped or written as the sample, moves the running
// preview to it at the same address (its page follows; no second browser),
// and the next save converts it; pressing Preview again opens the same
// address once more.
TEST_F(ShellTest, AnotherInputMovesThePreviewToIt) {
  const fs::path first = root_ / "first.txt";
  const fs::path second = root_ / "second.txt";
  const fs::path dropped = root_ / "dropped.txt";
  writeBytes(first, kTwoItems);
  writeBytes(second, "[Line.Two]\nitemid = 1\ntitle = Second\n");
  writeBytes(dropped, "[Line.Three]\nitemid = 1\ntitle = Dropped\n");
  const Text sample = t(bin_ / "sample_flowchart.txt");
  FakeToolkit fake;
  FakePreview preview(fake.log);
  fake.answer(t(first));
  fake.click(ChooseInputButton);
  fake.click(PreviewButton);
  fake.answer(t(second));
  fake.click(ChooseInputButton);
  fake.drop({FileChoice::Outcome::Chosen, t(dropped)});
  fake.click(SampleButton);
  fake.click(PreviewButton);
  run(fake, FileChoice(), &preview);

  EXPECT_EQ(preview.shown, (std::vector<Text>{t(first), t(second), t(dropped),
                                              sample, sample}));
  EXPECT_EQ(preview.starts, 1);
  const Text address = u"http://127.0.0.1:8001/#key=1";
  EXPECT_EQ(std::count(fake.log.begin(), fake.log.end(),
                       u"open address: " + address),
            2);
  // The sample's drawing is the last one written.
  EXPECT_NE(readBytes(encodeUtf8(defaultOutput())).find("Process step"),
            std::string::npos);
  EXPECT_EQ(fake.shown[StatusText].rfind(u"Preview at " + address + u"\r", 0),
            0u);
}

// Failures: no input (the warning of Generate), a preview that cannot start
// (its error box; nothing runs, so a later save converts nothing), a browser
// that cannot be started (its error box; the preview runs on), and a watch
// that breaks (its error box).
TEST_F(ShellTest, PreviewFailuresAreToldInBoxes) {
  const fs::path input = root_ / "plan.txt";
  writeBytes(input, kTwoItems);
  const Text address = u"http://127.0.0.1:8001/#key=1";
  FakeToolkit fake;
  FakePreview preview(fake.log);
  preview.failures.push_back(u"Address already in use");
  fake.addressFailures.push_back(u"xdg-open: No such file or directory");
  fake.click(PreviewButton);
  fake.answer(t(input));
  fake.click(ChooseInputButton);
  clickMarked(fake, PreviewButton);
  fake.saved();
  std::vector<Text> failedStart;
  clickMarked(fake, PreviewButton, [&] {
    failedStart = std::vector<Text>(fake.log.begin() + mark_, fake.log.end());
  });
  std::vector<Text> browserFailed;
  ToolkitEvent broke = ToolkitEvent::of(EventKind::PreviewFailed);
  broke.folder = t(root_);
  broke.reason = u"No space left on device";
  fake.steps.push_back({broke, 0, [&] {
                          browserFailed = std::vector<Text>(
                              fake.log.begin() + mark_, fake.log.end());
                          mark_ = fake.log.size();
                        }});
  run(fake, FileChoice(), &preview);

  EXPECT_EQ(fake.log[1], u"box warning: " + kTitle +
                             u": Please choose a txt/ini file first");
  EXPECT_EQ(failedStart,
            (std::vector<Text>{u"preview show: " + t(input),
                               u"box error: " + kTitle +
                                   u": Cannot start the preview: " +
                                   t(input) + u"\rAddress already in use"}));
  EXPECT_EQ(browserFailed,
            joined({{u"preview show: " + t(input)},
                    previewWritten(address, defaultOutput(), 1, 2),
                    {u"open address: " + address,
                     u"box error: " + kTitle +
                         u": Cannot open the browser at " + address +
                         u"\rxdg-open: No such file or directory"}}));
  EXPECT_EQ(sinceMark(fake),
            (std::vector<Text>{u"box error: " + kTitle +
                                   u": Cannot watch the folder: " + t(root_) +
                                   u"\rNo space left on device",
                               u"preview stop"}));
}

}  // namespace
