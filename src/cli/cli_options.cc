#include "cli/cli_options.h"

#include "text/paths.h"
#include "text/wording.h"

namespace {

CliOptions misuse(TextView complaint) {
  CliOptions options;
  options.action = CliAction::Misuse;
  options.complaint = Text(complaint) + Text(wording::ComplaintSeparator) +
                      Text(wording::UsageLine);
  return options;
}

}  // namespace

CliOptions parseCommandLine(const std::vector<Text>& args) {
  for (const Text& arg : args) {
    if (arg == u"--") break;
    if (arg == u"--help" || arg == u"-h") {
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
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const Text& arg = args[i];
    if (optionsEnded || arg == u"-" || arg.empty() || arg[0] != u'-') {
      files.push_back(arg);
    } else if (arg == u"--") {
      optionsEnded = true;
    } else if (arg == u"-q" || arg == u"--quiet") {
      options.quiet = true;
    } else if (arg == u"--sample") {
      if (sample || i + 1 == args.size()) {
        return misuse(wording::MissingSamplePath);
      }
      sample = true;
      options.samplePath = args[++i];
    } else {
      return misuse(Text(wording::UnknownOptionBefore) + arg);
    }
  }
  if (sample) {
    if (!files.empty()) return misuse(wording::SampleWithOthers);
    options.action = CliAction::WriteSample;
    return options;
  }
  if (files.empty()) return misuse(wording::MissingInput);
  if (files.size() > 2) return misuse(wording::TooManyArguments);
  options.action = CliAction::Convert;
  options.input = files[0];
  options.output =
      files.size() == 2 ? files[1] : defaultOutputPath(options.input);
  return options;
}

Text defaultOutputPath(TextView input) {
  if (input == u"-") return Text(u"-");
  Text extension = extensionPart(input);
  Text stem(input);
  if (!extension.empty()) {
    stem = leftPart(input, textLength(input) - textLength(extension) - 1);
  } else if (!stem.empty() && stem.back() == u'.' &&
             extensionPart(Text(input) + u"x") == u"x") {
    stem.pop_back();  // "chart." has an empty extension after its dot
  }
  Text output = stem + u".svg";
  if (output == input) output = Text(input) + u".svg";
  return output;
}

Text helpText() {
  Text help;
  for (TextView line : wording::HelpLines) {
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

Text successLine(TextView output, int32_t sections, int32_t items) {
  Text message = Text(wording::GeneratedBefore) + Text(output) +
                 Text(wording::GeneratedSections) + formatInteger(sections) +
                 Text(wording::GeneratedItems) + formatInteger(items);
  message = replaceAll(message, u"\r\r", u" ");
  return replaceAll(message, u"\r", u", ");
}
