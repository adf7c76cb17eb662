// flowsvg: converts flowchart descriptions into SVG drawings from the
// command line (one, many at once, or again on every save, with a live page
// in the browser too), checks them, or writes the sample description.
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "platform/console.h"
#include "cli/conversions.h"
#include "platform/watch.h"
#include "platform/wildcards.h"
#include "serve/browser.h"
#include "serve/preview_session.h"
#include "files/description_files.h"
#include "model/sample_description.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "base/reporter.h"
#include "platform/temporary_files.h"
#include "platform/text_file.h"
#include "base/utf8.h"
#include "base/wording.h"

#ifdef FLOWSVG_PICTURE_PROGRAM
#include "files/picture_program.h"
#endif

namespace {

// One line on standard error: the caption, the name as shownPath shows it,
// and the reason in parentheses.
class StandardErrorReporter : public Reporter {
 public:
  void reportError(TextView caption, TextView path, TextView reason) override {
    printLine(StandardStream::Error, errorLine(caption, path, reason));
  }
};

int writeSample(const Text& path, Reporter& reporter) {
  if (path != u"-") {
    return writeSampleFile(path, reporter).ok() ? ExitWritten
                                                : ExitOutputUnwritable;
  }
  FileHandle file = attachStandardOutput();
  writeContent(file, sampleDescription());
  const Status written = finishWriting(file);
  if (written.ok()) return ExitWritten;
  reporter.reportError(wording::SampleFailureCaption, path, written.reason());
  return ExitOutputUnwritable;
}

// Whether the folder of --out-dir is there; false after saying why not.
bool outputFolderExists(const Text& folder) {
  const PathKind kind = pathKind(folder);
  if (kind == PathKind::Folder) return true;
  printLine(StandardStream::Error,
            errorLine(wording::OutputFolderFailureCaption, folder,
                      kind == PathKind::Nothing ? wording::NoSuchFolderReason
                                                : wording::NotAFolderReason));
  return false;
}

// A line of --watch: the time of day, then the text.
bool printWatchLine(TextView text) {
  return printLine(StandardStream::Error, watchTimePrefix() + Text(text));
}

// Converts every file, then again each one that changes, until a signal
// ends the program. With a preview (--serve), its pages are told of each
// change before the conversion, as they draw it themselves; the preview's
// line is printed once the watch runs and the first conversion is done.
int watch(const CliOptions& options, RunSettings settings,
          PreviewSession* preview = nullptr) {
  Text folder;
  Text reason;
  DescriptionWatch* watching = startWatch(options.inputs, &folder, &reason);
  if (watching == nullptr) {
    printWatchLine(errorLine(wording::WatchFailureCaption, folder, reason));
    return ExitInputUnreadable;
  }
  std::vector<char> waiting(options.inputs.size(), 0);
  settings.waitingFor = &waiting;
  runConversions(options.inputs, options.outputs, settings);
  if (preview != nullptr) {
    const Text address = preview->address();
    printWatchLine(Text(wording::PreviewAtBefore) + address);
    if (options.open) {
      const Status opened = openInBrowser(address);
      if (!opened.ok()) {
        printWatchLine(errorLine(wording::BrowserFailureCaption, address,
                                 opened.reason()));
      }
    }
  }
  for (;;) {
    std::vector<char> changed;
    int signal = 0;
    const WatchResult result =
        waitForChanges(watching, &changed, &signal, &reason);
    if (result == WatchResult::Stopped) {
      endWatch(watching);
      if (preview != nullptr) preview->stop();
      endAsSignalled(signal);
    }
    if (result == WatchResult::Failed) {
      endWatch(watching);
      printWatchLine(errorLine(wording::WatchFailureCaption, u".", reason));
      return ExitInputUnreadable;
    }
    if (preview != nullptr) preview->descriptionSaved();
    runConversions(options.inputs, options.outputs, settings, &changed);
  }
}

// --watch for one file with the preview server: its pages show the
// description and its drawing and save into the description.
int serve(const CliOptions& options, RunSettings settings) {
  PreviewSession preview;
  const Status started = preview.start(options.inputs[0], options.port);
  if (!started.ok()) {
    const Text reason =
        started.isOutOfMemory() ? outOfMemoryReason() : started.reason();
    printWatchLine(errorLine(wording::PreviewFailureCaption,
                             Text(wording::PreviewAddressBefore) +
                                 formatInteger(int64_t{options.port}),
                             reason));
    return ExitNoPort;
  }
  return watch(options, settings, &preview);
}

// Whether any output is to be a PNG or PDF (by -T or by its extension).
bool asksForPictures(const CliOptions& options) {
  if (options.formatGiven) return options.drawing.format != DrawingFormat::Svg;
  for (const Text& output : options.outputs) {
    if (formatOfPath(output) != DrawingFormat::Svg) return true;
  }
  return false;
}

// The whole program, given its arguments (without the program name).
int run(const std::vector<Text>& args) {
  CliOptions options = parseCommandLine(args, platformWildcardLister());
  StandardErrorReporter reporter;
  RunSettings settings;
  settings.quiet = options.quiet;
  settings.threads = options.jobs;
  settings.drawing = options.drawing;
  settings.formatGiven = options.formatGiven;
  const bool converts = options.action == CliAction::Convert ||
                        options.action == CliAction::ConvertMany ||
                        options.action == CliAction::Watch ||
                        options.action == CliAction::Serve;
  if (converts) {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (readSourceDateEpoch(epoch, &settings.fixedTime) ==
        SourceDate::Invalid) {
      printLine(StandardStream::Error, sourceDateComplaint(epoch));
      return ExitUsage;
    }
    if (!picturesAvailable() && asksForPictures(options)) {
      printLine(StandardStream::Error, wording::PicturesUnavailable);
      return ExitUsage;
    }
  }
  switch (options.action) {
    case CliAction::ShowHelp:
      return writeToStream(StandardStream::Output, helpText())
                 ? ExitWritten
                 : ExitOutputUnwritable;
    case CliAction::ShowVersion:
      return printLine(StandardStream::Output, wording::Version)
                 ? ExitWritten
                 : ExitOutputUnwritable;
    case CliAction::WriteSample:
      return writeSample(options.samplePath, reporter);
    case CliAction::Check:
      settings.check = true;
      return runConversions(options.inputs, options.outputs, settings);
    case CliAction::Convert:
    case CliAction::ConvertMany:
      if (!options.outDir.empty() && !outputFolderExists(options.outDir)) {
        return ExitOutputUnwritable;
      }
      return runConversions(options.inputs, options.outputs, settings);
    case CliAction::Watch:
      if (!options.outDir.empty() && !outputFolderExists(options.outDir)) {
        return ExitOutputUnwritable;
      }
      settings.watchTimes = true;
      return watch(options, settings);
    case CliAction::Serve:
      if (!serveAvailable()) {
        printLine(StandardStream::Error,
                  Text(wording::ServeUnavailableBefore) +
                      Text(wording::ServeUnavailable));
        return ExitUsage;
      }
      settings.watchTimes = true;
      return serve(options, settings);
    case CliAction::NoMatch:
      for (const Text& pattern : options.unmatched) {
        printLine(StandardStream::Error,
                  errorLine(wording::OpenFailureCaption, pattern,
                            wording::NoFileMatchesReason));
      }
      return ExitInputUnreadable;
    case CliAction::Misuse:
      break;
  }
  printLine(StandardStream::Error, options.complaint);
  return ExitUsage;
}

}  // namespace

#ifdef _WIN32
// Windows hands the arguments over as UTF-16, which a Text already is.
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  guardTemporaryFiles();
  prepareStandardStreams();
#ifdef FLOWSVG_PICTURE_PROGRAM
  // PNG and PDF are drawn by the picture program: flowsvg itself is
  // static and loads no library.
  usePictureDrawer(drawPictureByProgram);
#endif
  try {
    std::vector<Text> args;
    for (int i = 1; i < argc; ++i) args.push_back(textFromNativePath(argv[i]));
    return run(args);
  } catch (const std::bad_alloc&) {
    // Memory ran out outside any one file's conversion (each of those
    // reports it as its own error): the run ends cleanly, without a
    // temporary file.
    removeRememberedTemporaryFiles();
    writeAsciiLine(StandardStream::Error, wording::OutOfMemoryLine);
    return ExitOutputUnwritable;
  }
}
