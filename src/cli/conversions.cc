#include "cli/conversions.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "cli/cli_options.h"
#include "model/diagnostics.h"
#include "model/flowchart.h"
#include "model/parser.h"
#include "base/line_buffer.h"
#include "files/description_files.h"
#include "render/svg_document.h"
#include "platform/paths.h"
#include "base/reporter.h"
#include "platform/system_error.h"
#include "platform/temporary_files.h"
#include "platform/clock.h"
#include "platform/text_file.h"
#include "base/wording.h"

namespace {

// What one file gave, kept until it is its turn to be printed.
struct Outcome {
  std::vector<std::pair<int32_t, Text>> warnings;  // line, text
  size_t hiddenWarnings = 0;                       // beyond MostWarningsShown
  bool warned = false;                             // any warning, shown or not
  std::vector<Text> errors;                        // whole lines
  Text success;              // the success line, empty for none
  int status = ExitWritten;  // ExitInputUnreadable, ExitOutputUnwritable
  // Memory ran out for this file: its error line, made only when printed
  // (status tells whether in reading or in writing).
  bool outOfMemory = false;
  PendingReplacement* pending = nullptr;  // waits for the batch's flush
};

// About how many bytes an outcome holds while it waits to be printed.
size_t heldBytes(const Outcome& outcome) {
  size_t bytes = sizeof(Outcome) + 2 * outcome.success.capacity();
  for (const auto& warning : outcome.warnings) {
    bytes += 48 + 2 * warning.second.capacity();
  }
  for (const Text& line : outcome.errors) bytes += 48 + 2 * line.capacity();
  return bytes;
}

class OutcomeReporter : public Reporter {
 public:
  explicit OutcomeReporter(Outcome& outcome) : outcome_(outcome) {}
  void reportError(TextView caption, TextView path, TextView reason) override {
    outcome_.errors.push_back(errorLine(caption, path, reason));
  }

 private:
  Outcome& outcome_;
};

class OutcomeSink : public DiagnosticsSink {
 public:
  OutcomeSink(Outcome& outcome, bool keep) : outcome_(outcome), keep_(keep) {}
  void warning(int32_t line, TextView text) override {
    outcome_.warned = true;
    if (!keep_) return;
    if (outcome_.warnings.size() < MostWarningsShown) {
      outcome_.warnings.emplace_back(line, Text(text));
    } else {
      ++outcome_.hiddenWarnings;
    }
  }

 private:
  Outcome& outcome_;
  bool keep_;
};

// Reads the description; false (after reporting) when it cannot be opened
// or read. With waiting (a watch), an input that is not there is reported
// once as awaited, and *waiting tells whether it has been.
bool readInput(Flowchart& chart, const Text& input, Outcome& outcome,
               Reporter& reporter, DiagnosticsSink* sink, char* waiting) {
  Text reason;
  FileHandle file = input == u"-" ? openStandardInput(&reason)
                                  : openForReading(input, &reason);
  if (file == nullptr) {
    clearFlowchart(chart);
    if (waiting != nullptr && fileAttributesOf(input) == -1) {
      if (*waiting == 0) {
        outcome.errors.push_back(
            errorLine(wording::OpenFailureCaption, input, reason) +
            Text(wording::WaitingForItAfter));
      }
      *waiting = 1;
      return false;
    }
    reporter.reportError(wording::OpenFailureCaption, input, reason);
    return false;
  }
  if (waiting != nullptr) *waiting = 0;
  return readDescriptionFile(chart, file, input, reporter, sink).ok();
}

// Whether writing output would overwrite the description it was drawn from
// (the same path, a link to it, or standard input redirected from it).
bool outputIsInput(const Text& input, const Text& output) {
  const FileIdentity in =
      input == u"-" ? identityOfStandardInput() : identityOf(input);
  const FileIdentity out =
      output == u"-" ? identityOfStandardOutput() : identityOf(output);
  return sameFile(in, out);
}

// Writes the drawing of chart to output as drawing says; false (after
// reporting) when it cannot be written. With later, a file that replaces an
// existing one is left in outcome.pending for the batch's flush.
bool writeOutput(Flowchart& chart, const Text& output, Timestamp generated,
                 const DrawingSettings& drawing, bool later, Outcome& outcome,
                 Reporter& reporter) {
  Text reason;
  FileHandle file = output == u"-" ? attachStandardOutput()
                                   : createReplacement(output, &reason);
  if (file != nullptr) {
    Status drawn;
    try {
      drawn = writeDrawing(chart, file, generated, drawing);
    } catch (const std::bad_alloc&) {
      abandonWriting(file);  // the earlier file stays as it was
      throw;
    }
    if (!drawn.ok()) {
      abandonWriting(file);  // a picture that cannot be drawn: the same
      reason = drawn.reason();
    } else {
      const Status written = later && output != u"-"
                                 ? finishWritingLater(file, &outcome.pending)
                                 : finishWriting(file);
      if (written.ok()) return true;
      reason = written.reason();
    }
  }
  reporter.reportError(inFormat(wording::CreateFailureCaption, drawing.format),
                       output, reason);
  return false;
}

struct Run {
  const std::vector<Text>& inputs;
  const std::vector<Text>& outputs;
  const RunSettings& settings;
  bool many;   // more than one file: outputs are checked for clashes
  bool later;  // more than one conversion: replacements flushed together
  std::vector<Outcome> outcomes;
  Text printing = Text();  // where a file's lines are gathered to be printed
  Text outOfMemory = outOfMemoryReason();  // made before memory can run out
  std::vector<DrawingFormat> formats = {};  // of each output
};

// Appends the caption of a failure to write file k, "SVG" in it the name of
// its format, to out; takes no new memory while out has room.
void appendCreateCaption(const Run& run, size_t k, Text& out) {
  const TextView caption = wording::CreateFailureCaption;
  const size_t name = caption.find(u"SVG");
  out += caption.substr(0, name);
  out += formatName(run.formats[k]);
  out += caption.substr(name + 3);
}

Text createCaption(const Run& run, size_t k) {
  Text caption;
  appendCreateCaption(run, k, caption);
  return caption;
}

// Converts file k; with check, only reads it. Memory running out is the
// file's error, never the run's end.
void convertOne(Run& run, size_t k, Flowchart* chart) {
  Outcome& outcome = run.outcomes[k];
  const RunSettings& settings = run.settings;
  if (outcome.status != ExitWritten) return;  // refused before reading
  bool reading = true;
  try {
    if (chart == nullptr) throw std::bad_alloc();  // no chart to read into
    OutcomeReporter reporter(outcome);
    OutcomeSink sink(outcome, !settings.quiet);
    const bool listen = settings.check || !settings.quiet;
    const Text& input = run.inputs[k];
    char* const waiting =
        settings.waitingFor != nullptr ? &(*settings.waitingFor)[k] : nullptr;
    if (!readInput(*chart, input, outcome, reporter, listen ? &sink : nullptr,
                   waiting)) {
      outcome.status = ExitInputUnreadable;
      return;
    }
    if (settings.check) return;
    reading = false;
    const Text& output = run.outputs[k];
    const DrawingSettings drawing = drawingSettingsOf(settings, output);
    if (!run.many && outputIsInput(input, output)) {
      reporter.reportError(createCaption(run, k), output,
                           wording::ItIsTheInputReason);
      outcome.status = ExitOutputUnwritable;
      return;
    }
    const Timestamp generated =
        settings.fixedTime >= 0 ? settings.fixedTime : currentTime();
    if (!writeOutput(*chart, output, generated, drawing, run.later, outcome,
                     reporter)) {
      outcome.status = ExitOutputUnwritable;
      return;
    }
    if (!settings.quiet) {
      outcome.success = successLine(shownPath(output), chart->sectioncount,
                                    chart->itemcount, drawing.format);
    }
  } catch (const std::bad_alloc&) {
    // What the file held goes, to leave room for the others; its error line
    // is made when it is printed.
    std::vector<std::pair<int32_t, Text>>().swap(outcome.warnings);
    std::vector<Text>().swap(outcome.errors);
    Text().swap(outcome.success);
    outcome.outOfMemory = true;
    outcome.status = reading ? ExitInputUnreadable : ExitOutputUnwritable;
  }
}

// A file's identity as a key of a hash table.
struct IdentityHash {
  size_t operator()(const std::pair<uint64_t, uint64_t>& id) const {
    return std::hash<uint64_t>()(id.first * 0x9E3779B97F4A7C15u ^ id.second);
  }
};

// The one key of an output that does not exist yet, whatever its spelling:
// its folder's identity and its name there (paths.h: placeOf); the path as
// it is written when its folder does not exist either.
Text newOutputKey(const Text& output) {
  const OutputPlace place = placeOf(output);
  if (!place.folder.known) return u"?" + output;
  Text key(u"=");
  for (uint64_t part : {place.folder.device, place.folder.file}) {
    for (int shift = 48; shift >= 0; shift -= 16) {
      key.push_back(static_cast<char16_t>((part >> shift) & 0xFFFF));
    }
  }
  return key + place.name;
}

// Refuses, before anything is read, every output of a run of many that is
// one of the run's inputs or that an earlier file already writes: an
// existing output by its identity, a new one by its folder's identity and
// its name, so that two spellings of one target are one target. Hash
// tables keep this linear in the number of files.
void refuseClashes(Run& run) {
  using Key = std::pair<uint64_t, uint64_t>;
  const size_t count = run.inputs.size();
  std::vector<FileIdentity> inputs(count);
  std::unordered_set<Key, IdentityHash> inputSet;
  for (size_t k = 0; k < count; ++k) {
    inputs[k] = identityOf(run.inputs[k]);
    if (inputs[k].known) inputSet.insert({inputs[k].device, inputs[k].file});
  }
  std::unordered_map<Text, size_t> byPlace;  // new output's key -> first file
  std::unordered_map<Key, size_t, IdentityHash> byIdentity;
  for (size_t k = 0; k < count; ++k) {
    const Text& output = run.outputs[k];
    const FileIdentity identity = identityOf(output);
    const Key key{identity.device, identity.file};
    Text reason;
    if (sameFile(identity, inputs[k])) {
      reason = wording::ItIsTheInputReason;
    } else if (identity.known && inputSet.count(key) != 0) {
      reason = wording::ItIsAnInputReason;
    } else {
      size_t earlier = count;
      if (identity.known) {
        const auto [same, added] = byIdentity.emplace(key, k);
        if (!added) earlier = same->second;
      } else {
        const auto [same, added] = byPlace.emplace(newOutputKey(output), k);
        if (!added) earlier = same->second;
      }
      if (earlier < count) {
        reason =
            Text(wording::SameOutputBefore) + shownPath(run.inputs[earlier]);
      }
    }
    if (reason.empty()) continue;
    run.outcomes[k].errors.push_back(
        errorLine(createCaption(run, k), output, reason));
    run.outcomes[k].status = ExitOutputUnwritable;
  }
}

// Gives up the outcome's replacement that waits for its flush, when memory
// has run out for putting it in place: the target stays as it was, and the
// temporary file goes at the end of the run (removeRememberedTemporaryFiles).
// Takes no memory.
void giveUpPending(Outcome& outcome) {
  if (outcome.pending == nullptr) return;
  outcome.pending = nullptr;  // its small record is left unfreed
  Text().swap(outcome.success);
  outcome.outOfMemory = true;
  outcome.status = ExitOutputUnwritable;
}

// Puts the pending replacements of the files in place, one flush for all
// of them (text_file.h: commitReplacements). When memory runs out for that,
// they are given up: each target stays as it was, and the temporary files
// go at the end of the run (removeRememberedTemporaryFiles).
void commitPending(Run& run, const std::vector<size_t>& files) {
  try {
    std::vector<PendingReplacement*> pending;
    pending.reserve(files.size());
    for (size_t k : files) pending.push_back(run.outcomes[k].pending);
    const std::vector<Status> done = commitReplacements(pending);
    for (size_t p = 0; p < files.size(); ++p) {
      Outcome& outcome = run.outcomes[files[p]];
      outcome.pending = nullptr;
      if (done[p].ok()) continue;
      outcome.errors.push_back(errorLine(createCaption(run, files[p]),
                                         run.outputs[files[p]],
                                         done[p].reason()));
      outcome.success.clear();
      outcome.status = ExitOutputUnwritable;
    }
  } catch (const std::bad_alloc&) {
    for (size_t k : files) giveUpPending(run.outcomes[k]);
  }
}

// Writes the lines gathered in out to the stream once they are many, and
// always when flush is set; out is then empty again, its room kept.
void emit(StandardStream stream, Text& out, bool flush) {
  if (out.empty() || (!flush && out.size() < 16 * 1024)) return;
  writeToStream(stream, out);
  out.clear();
}

// The time of day in front of each line of a watch; empty otherwise.
Text linePrefix(const Run& run) {
  return run.settings.watchTimes ? watchTimePrefix() : Text();
}

// Appends the file's last lines to out: its errors and its success line.
// Takes no new memory while out has room (the reason for memory running out
// is made before the run).
void appendOutcomeLines(const Run& run, size_t k, TextView time, Text& out) {
  const Outcome& outcome = run.outcomes[k];
  for (const Text& line : outcome.errors) {
    out += time;
    out += line;
    out += u'\n';
  }
  if (outcome.outOfMemory) {
    const bool reading = outcome.status == ExitInputUnreadable;
    out += time;
    if (reading) {
      out += wording::OpenFailureCaption;
    } else {
      appendCreateCaption(run, k, out);
    }
    appendShownPath(out, reading ? run.inputs[k] : run.outputs[k]);
    out += wording::ReasonBefore;
    out += run.outOfMemory;
    out += wording::ReasonAfter;
    out += u'\n';
  }
  if (!outcome.success.empty()) {
    out += time;
    out += outcome.success;
    out += u'\n';
  }
}

// Prints what one file gave: its warnings in line order, its errors, its
// success line, each stream written in few pieces. Every line of a watch
// starts with the time of day. When memory runs out here, the warnings not
// printed yet are left out, and the file's last lines are printed from the
// room the run keeps for printing.
void printOutcome(Run& run, size_t k) {
  Outcome& outcome = run.outcomes[k];
  const StandardStream warningStream =
      run.settings.check ? StandardStream::Output : StandardStream::Error;
  Text& out = run.printing;  // its room is kept from file to file
  out.clear();
  Text time;
  try {
    time = linePrefix(run);
    std::stable_sort(
        outcome.warnings.begin(), outcome.warnings.end(),
        [](const auto& a, const auto& b) { return a.first < b.first; });
    const Text name = shownPath(run.inputs[k]);
    for (const auto& [line, text] : outcome.warnings) {
      out += time;
      out += name;
      out += wording::WarningBeforeLine;
      out += formatInteger(line);
      out += wording::WarningAfterLine;
      out += text;
      out += u'\n';
      emit(warningStream, out, false);
    }
    if (outcome.hiddenWarnings > 0) {
      out += time + name + Text(wording::WarningAfterLine) +
             replaceAll(
                 wording::MoreWarnings, u"{n}",
                 formatInteger(static_cast<int64_t>(outcome.hiddenWarnings))) +
             u"\n";
    }
    std::vector<std::pair<int32_t, Text>>().swap(outcome.warnings);
    emit(warningStream, out, warningStream != StandardStream::Error);
    appendOutcomeLines(run, k, time, out);
    emit(StandardStream::Error, out, true);
  } catch (const std::bad_alloc&) {
    std::vector<std::pair<int32_t, Text>>().swap(outcome.warnings);
    out.clear();
    try {
      appendOutcomeLines(run, k, time, out);
      emit(StandardStream::Error, out, true);
    } catch (const std::bad_alloc&) {
      // Nothing more can be said; the exit status still tells.
    }
  }
  out.clear();
  std::vector<Text>().swap(outcome.errors);
  Text().swap(outcome.success);
}

// The chart of the main thread, made on first use and kept to the end of
// the program: a watch converts again and again into the same one, and at
// the end the system takes the memory back at once, not text by text. Null
// when there is no memory for it.
Flowchart* mainChart() {
  static Flowchart* chart = nullptr;
  if (chart == nullptr) chart = new (std::nothrow) Flowchart;
  return chart;
}

// Messages waiting to be printed may hold this much before the conversions
// wait for them; replacements waiting for their flush are put in place
// when they hold that much, or are this many.
constexpr size_t MostHeldBytes = 4 * 1024 * 1024;
constexpr size_t MostPendingReplacements = 1024;

// What the threads of a run share, under its mutex: which files are
// converted and printed, and what the converted ones hold meanwhile.
struct Progress {
  std::mutex mutex;
  std::condition_variable room;  // something was printed or put in place
  std::vector<char> done;        // by position in the run's order
  std::vector<size_t> held;      // heldBytes of each converted file
  size_t next = 0;               // files handed to a thread
  size_t printed = 0;            // files printed, in order
  size_t heldTotal = 0;          // held by files converted, not printed
  size_t pendingCount = 0;       // of them, replacements awaiting a flush
  bool printing = false;         // a thread is printing
  bool full() const {
    return heldTotal > MostHeldBytes || pendingCount >= MostPendingReplacements;
  }
};

// Prints every converted file whose turn it is, in order; when the next one
// waits for the batch's flush and too much waits meanwhile, puts the
// pending replacements in place first. Called with the lock held, by the
// one thread that set progress.printing.
void printReady(Run& run, const std::vector<size_t>& chosen, Progress& progress,
                std::unique_lock<std::mutex>& lock) {
  const size_t count = chosen.size();
  for (;;) {
    while (progress.printed < count && progress.done[progress.printed] != 0 &&
           run.outcomes[chosen[progress.printed]].pending == nullptr) {
      const size_t c = progress.printed++;
      lock.unlock();
      printOutcome(run, chosen[c]);
      lock.lock();
      progress.heldTotal -= progress.held[c];
      progress.room.notify_all();
    }
    if (progress.printed == count || progress.done[progress.printed] == 0 ||
        !progress.full()) {
      return;
    }
    std::vector<size_t> files;
    try {
      for (size_t c = progress.printed; c < count; ++c) {
        if (progress.done[c] != 0 && run.outcomes[chosen[c]].pending) {
          files.push_back(chosen[c]);
        }
      }
    } catch (const std::bad_alloc&) {
      // Not even the list fits: the next file's replacement is given up.
      giveUpPending(run.outcomes[chosen[progress.printed]]);
      --progress.pendingCount;
      continue;
    }
    lock.unlock();
    commitPending(run, files);
    lock.lock();
    progress.pendingCount -= files.size();
  }
}

}  // namespace

DrawingSettings drawingSettingsOf(const RunSettings& settings,
                                  TextView output) {
  DrawingSettings drawing = settings.drawing;
  if (!settings.formatGiven) drawing.format = formatOfPath(output);
  if (settings.fixedTime >= 0) drawing.documentDate = settings.fixedTime;
  return drawing;
}

Text errorLine(TextView caption, TextView path, TextView reason) {
  Text line = Text(caption) + shownPath(path);
  if (!reason.empty()) {
    line +=
        Text(wording::ReasonBefore) + Text(reason) + Text(wording::ReasonAfter);
  }
  return line;
}

Text watchTimePrefix() {
  return Text(wording::WatchTimeBefore) +
         formatTimestamp(u"%hh:%ii:%ss", currentTime()) +
         Text(wording::WatchTimeAfter);
}

bool printLine(StandardStream stream, TextView text) {
  return writeToStream(stream, Text(text) + u"\n");
}

int32_t defaultThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int32_t>(std::min(cores, 9999u));
}

int runConversions(const std::vector<Text>& inputs,
                   const std::vector<Text>& outputs,
                   const RunSettings& settings, const std::vector<char>* only) {
  std::vector<size_t> chosen;
  for (size_t k = 0; k < inputs.size(); ++k) {
    if (only == nullptr || (*only)[k] != 0) chosen.push_back(k);
  }
  const size_t count = chosen.size();
  Run run{inputs,    outputs,
          settings,  inputs.size() > 1,
          count > 1, std::vector<Outcome>(inputs.size())};
  if (!settings.check) {
    for (const Text& output : outputs) {
      run.formats.push_back(drawingSettingsOf(settings, output).format);
    }
  }
  if (run.many && !settings.check) refuseClashes(run);

  // Asking for the processors reads a file; one conversion needs no answer.
  const size_t threads =
      count <= 1 ? count
                 : std::min(count, static_cast<size_t>(settings.threads > 0
                                                           ? settings.threads
                                                           : defaultThreads()));
  // The threads print as they go: whoever finishes the file that is next in
  // the order of the arguments prints it and every finished one after it,
  // so the lines come in that order as soon as they can. A thread takes no
  // new file while too much waits to be printed, so memory does not grow
  // with the number of files.
  Progress progress;
  try {
    run.printing.reserve(16 * 1024 + 1024);  // room to print, made early
  } catch (const std::bad_alloc&) {
  }
  progress.done.assign(count, 0);
  progress.held.assign(count, 0);
  auto work = [&](Flowchart* chart) {
    std::unique_lock<std::mutex> lock(progress.mutex);
    for (;;) {
      while (progress.next < count && progress.full()) {
        if (!progress.printing) {
          progress.printing = true;
          printReady(run, chosen, progress, lock);
          progress.printing = false;
          if (!progress.full()) break;
        }
        // The file next in order is still being converted: its thread
        // prints when it is done.
        progress.room.wait(lock);
      }
      if (progress.next >= count) break;
      const size_t c = progress.next++;
      lock.unlock();
      convertOne(run, chosen[c], chart);
      const Outcome& outcome = run.outcomes[chosen[c]];
      const size_t held = heldBytes(outcome);
      lock.lock();
      progress.done[c] = 1;
      progress.held[c] = held;
      progress.heldTotal += held;
      if (outcome.pending != nullptr) ++progress.pendingCount;
      if (progress.printing) continue;
      progress.printing = true;
      printReady(run, chosen, progress, lock);
      progress.printing = false;
      progress.room.notify_all();
    }
  };
  // This thread converts too, with the chart it keeps for the run. A thread
  // that cannot be started (a limit on processes, memory) leaves the work
  // to those that could, down to this one.
  std::vector<std::thread> workers;
  for (size_t t = 1; t < threads; ++t) {
    try {
      if (workers.empty()) workers.reserve(threads - 1);
      workers.emplace_back([&] {
        // Default-initialised: the members' own initialisers are all it
        // needs, without zeroing the whole table first.
        std::unique_ptr<Flowchart> chart(new (std::nothrow) Flowchart);
        if (chart != nullptr) work(chart.get());
      });
    } catch (const std::exception&) {
      break;  // std::system_error or std::bad_alloc
    }
  }
  Flowchart* const chart = mainChart();
  // Without a chart this thread converts nothing while others can; alone,
  // it hands each file its error.
  if (chart != nullptr || workers.empty()) work(chart);
  for (std::thread& worker : workers) worker.join();

  // What still waits for the flush, then every line not printed yet.
  std::vector<size_t> waiting;
  for (size_t c = progress.printed; c < count; ++c) {
    if (run.outcomes[chosen[c]].pending == nullptr) continue;
    try {
      waiting.push_back(chosen[c]);
    } catch (const std::bad_alloc&) {
      giveUpPending(run.outcomes[chosen[c]]);
    }
  }
  commitPending(run, waiting);
  for (; progress.printed < count; ++progress.printed) {
    printOutcome(run, chosen[progress.printed]);
  }
  // Every file of the run is in place or given up by now; a temporary file
  // still remembered belongs to a conversion that memory cut short.
  removeRememberedTemporaryFiles();

  bool unwritable = false;
  bool unreadable = false;
  bool warned = false;
  for (size_t k : chosen) {
    const Outcome& outcome = run.outcomes[k];
    unwritable = unwritable || outcome.status == ExitOutputUnwritable;
    unreadable = unreadable || outcome.status == ExitInputUnreadable;
    warned = warned || outcome.warned;
  }
  if (unwritable) return ExitOutputUnwritable;
  if (unreadable) return ExitInputUnreadable;
  if (settings.check && warned) return ExitWarnings;
  return ExitWritten;
}
