#include "cli/cli_options.h"

#include "platform/watch.h"
#include "serve/preview_page.h"
#include "platform/paths.h"
#include "base/utf8.h"
#include "base/wording.h"

namespace {

// The usage line, without --serve where it is not available.
Text usageLine() {
  Text line(wording::UsageLine);
  if (!serveAvailable()) line = replaceAll(line, wording::UsageServePart, u"");
  return line;
}

CliOptions misuse(TextView complaint) {
  CliOptions options;
  options.action = CliAction::Misuse;
  options.complaint =
      Text(complaint) + Text(wording::ComplaintSeparator) + usageLine();
  return options;
}

// Whether arg asks for the help: "/?" too where Windows programs take it.
bool asksForHelp(const Text& arg) {
#ifdef _WIN32
  if (arg == u"/?") return true;
#endif
  return arg == u"--help" || arg == u"-h";
}

// The number of -j: decimal digits, 1 to 9999; 0 when it is not one.
int32_t jobsNumber(TextView text) {
  if (text.empty() || text.size() > 4) return 0;
  int32_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return 0;
    value = value * 10 + (c - u'0');
  }
  return value;
}

// The number of --port: decimal digits, 1 to 65535; 0 when it is not one.
uint16_t portNumber(TextView text) {
  if (text.empty() || text.size() > 5 || text[0] == u'0') return 0;
  int32_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return 0;
    value = value * 10 + (c - u'0');
  }
  return value <= 65535 ? static_cast<uint16_t>(value) : 0;
}

}  // namespace

bool serveAvailable() { return previewPageAvailable(); }

CliOptions parseCommandLine(const std::vector<Text>& args,
                            const FileLister* wildcards) {
  for (const Text& arg : args) {
    if (arg == u"--") break;
    if (asksForHelp(arg)) {
      CliOptions options;
      options.action = CliAction::ShowHelp;
      return options;
    }
    if (arg == u"--version") {
      CliOptions options;
      options.action = CliAction::ShowVersion;
      return options;
    }
  }
  CliOptions options;
  std::vector<Text> files;
  bool sample = false;
  bool beside = false;
  bool outDir = false;
  bool check = false;
  bool watch = false;
  bool serve = false;
  bool port = false;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const Text& arg = args[i];
    if (optionsEnded || arg == u"-" || arg.empty() || arg[0] != u'-') {
      files.push_back(arg);
    } else if (arg == u"--") {
      optionsEnded = true;
    } else if (arg == u"-q" || arg == u"--quiet") {
      options.quiet = true;
    } else if (arg == u"-O") {
      beside = true;
    } else if (arg == u"--out-dir") {
      if (outDir || i + 1 == args.size() || args[i + 1].empty()) {
        return misuse(wording::MissingOutDir);
      }
      outDir = true;
      options.outDir = args[++i];
    } else if (arg == u"-j" || arg == u"--jobs" ||
               (arg.size() > 2 && arg.compare(0, 2, u"-j") == 0)) {
      const bool joined = arg.size() > 2 && arg != u"--jobs";
      if (!joined && i + 1 == args.size()) return misuse(wording::BadJobs);
      options.jobs =
          jobsNumber(joined ? TextView(arg).substr(2) : TextView(args[++i]));
      if (options.jobs == 0) return misuse(wording::BadJobs);
    } else if (arg.compare(0, 2, u"-T") == 0) {
      const bool joined = arg.size() > 2;
      if (!joined && i + 1 == args.size()) return misuse(wording::BadFormat);
      if (!formatNamed(joined ? TextView(arg).substr(2) : TextView(args[++i]),
                       &options.drawing.format)) {
        return misuse(wording::BadFormat);
      }
      options.formatGiven = true;
    } else if (arg == u"--scale") {
      if (i + 1 == args.size() ||
          !scaleNamed(args[++i], &options.drawing.scale)) {
        return misuse(wording::BadScale);
      }
    } else if (arg == u"--accessible") {
      options.drawing.accessible = true;
    } else if (arg == u"--check") {
      check = true;
    } else if (arg == u"--watch") {
      watch = true;
    } else if (arg == u"--serve") {
      serve = true;
    } else if (arg == u"--open") {
      options.open = true;
    } else if (arg == u"--port") {
      if (port || i + 1 == args.size()) return misuse(wording::BadPort);
      port = true;
      options.port = portNumber(args[++i]);
      if (options.port == 0) return misuse(wording::BadPort);
    } else if (arg == u"--sample") {
      if (sample || i + 1 == args.size()) {
        return misuse(wording::MissingSamplePath);
      }
      sample = true;
      options.samplePath = args[++i];
    } else {
      return misuse(Text(wording::UnknownOptionBefore) + shownPath(arg));
    }
  }
  if (!serve && (port || options.open)) {
    return misuse(wording::PortOrOpenWithoutServe);
  }
  if (sample) {
    if (!files.empty() || beside || outDir || check || watch || serve) {
      return misuse(wording::SampleWithOthers);
    }
    options.action = CliAction::WriteSample;
    return options;
  }
  if (serve && (beside || outDir || check || watch)) {
    return misuse(wording::ServeTakesOneFile);
  }
  if (files.empty()) return misuse(wording::MissingInput);
  // One description of a single conversion or watch, every FILE otherwise.
  const bool single = !check && !beside && !outDir;
  if (wildcards != nullptr) {
    std::vector<Text> patterns(files.begin(),
                               single ? files.begin() + 1 : files.end());
    std::vector<Text> expanded =
        expandWildcards(patterns, *wildcards, &options.unmatched);
    if (!options.unmatched.empty()) {
      options.action = CliAction::NoMatch;
      return options;
    }
    if (single && expanded.size() > 1) {
      return misuse(replaceAll(
          replaceAll(wording::PatternMatchesMany, u"{pattern}",
                     shownPath(files[0])),
          u"{n}", formatInteger(static_cast<int64_t>(expanded.size()))));
    }
    if (single) expanded.insert(expanded.end(), files.begin() + 1, files.end());
    files = std::move(expanded);
  }
  if (check) {
    if (beside || outDir || watch) return misuse(wording::CheckWritesNothing);
    options.action = CliAction::Check;
    options.inputs = files;
    return options;
  }
  if (beside && outDir) return misuse(wording::BesideAndOutDir);
  const bool many = beside || outDir;
  const TextView extension = formatExtension(options.drawing.format);
  if (many || watch) {
    for (const Text& file : files) {
      if (file == u"-") return misuse(wording::StandardStreamsInBatch);
    }
  }
  if (many) {
    options.action = watch ? CliAction::Watch : CliAction::ConvertMany;
    options.inputs = files;
    for (const Text& file : files) {
      options.outputs.push_back(
          batchOutputPath(file, options.outDir, extension));
    }
    return options;
  }
  if (files.size() > 2) {
    return misuse(serve ? wording::ServeTakesOneFile
                        : wording::TooManyArguments);
  }
  if (serve && (files[0] == u"-" || (files.size() == 2 && files[1] == u"-"))) {
    return misuse(wording::StandardStreamsWithServe);
  }
  options.action = serve   ? CliAction::Serve
                   : watch ? CliAction::Watch
                           : CliAction::Convert;
  options.inputs = {files[0]};
  options.outputs = {
      files.size() == 2 ? files[1] : defaultOutputPath(files[0], extension)};
  return options;
}

Text defaultOutputPath(TextView input, TextView extension) {
  if (input == u"-") return Text(u"-");
  const Text current = extensionPart(input);
  Text stem(input);
  if (!current.empty()) {
    stem = leftPart(input, textLength(input) - textLength(current) - 1);
  } else if (!stem.empty() && stem.back() == u'.' &&
             extensionPart(Text(input) + u"x") == u"x") {
    stem.pop_back();  // "chart." has an empty extension after its dot
  }
  Text dotted(u".");
  dotted += extension;
  Text output = stem + dotted;
  if (output == input) output = Text(input) + dotted;
  return output;
}

Text batchOutputPath(TextView input, TextView outDir, TextView extension) {
  const Text beside = defaultOutputPath(input, extension);
  if (outDir.empty()) return beside;
  const Text name = midPart(beside, textLength(folderPart(beside)) + 1);
  Text path(outDir);
  if (path.back() != u'/' && path.back() != u'\\') path += u"/";
  return path + name;
}

SourceDate readSourceDateEpoch(const char* value, Timestamp* when) {
  // 9999-12-31 23:59:59 UTC, the last moment a four-digit year can show.
  constexpr Timestamp kLast = 253402300799;
  if (value == nullptr || *value == 0) return SourceDate::Unset;
  Timestamp seconds = 0;
  for (const char* c = value; *c != 0; ++c) {
    if (*c < '0' || *c > '9') return SourceDate::Invalid;
    seconds = seconds * 10 + (*c - '0');
    if (seconds > kLast) return SourceDate::Invalid;
  }
  *when = seconds;
  return SourceDate::Set;
}

Text sourceDateComplaint(const char* value) {
  return Text(wording::SourceDateComplaintBefore) + u"\"" +
         shownPath(decodeUtf8Escaped(value != nullptr ? value : "")) + u"\"";
}

Text helpText() {
  const bool serve = serveAvailable();
  Text help;
  for (TextView line : wording::HelpLines) {
    if (line.starts_with(wording::ServeHelpMark)) {
      if (!serve) continue;
      line.remove_prefix(wording::ServeHelpMark.size());
    }
    Text text(line);
    text = replaceAll(text, u"{Header}", wording::HeaderSectionName);
    text = replaceAll(text, u"{Summary}", wording::SummarySectionName);
    text = replaceAll(text, u"{subtitle}", wording::SubtitleKey);
    text = replaceAll(text, u"{company}", wording::CompanyKey);
    text = replaceAll(text, u"{text}", wording::SummaryKey);
    help += text + u"\n";
  }
  return help;
}

Text successLine(TextView output, int32_t sections, int32_t items,
                 DrawingFormat format) {
  Text message = inFormat(wording::GeneratedBefore, format) + Text(output) +
                 Text(wording::GeneratedSections) + formatInteger(sections) +
                 Text(wording::GeneratedItems) + formatInteger(items);
  message = replaceAll(message, u"\r\r", u" ");
  return replaceAll(message, u"\r", u", ");
}
