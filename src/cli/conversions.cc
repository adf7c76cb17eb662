#include "cli/conversions.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "cli/cli_options.h"
#include "model/diagnostics.h"
#include "model/flowchart.h"
#include "model/parser.h"
#include "render/svg_document.h"
#include "text/paths.h"
#include "text/reporter.h"
#include "text/text_file.h"
#include "text/wording.h"

namespace {

// What one file gave, kept until it is its turn to be printed.
struct Outcome {
  std::vector<std::pair<int32_t, Text>> warnings;  // line, text
  size_t hiddenWarnings = 0;                       // beyond MostWarningsShown
  bool warned = false;                             // any warning, shown or not
  std::vector<Text> errors;                        // whole lines
  Text success;              // the success line, empty for none
  int status = ExitWritten;  // ExitInputUnreadable, ExitOutputUnwritable
  PendingReplacement* pending = nullptr;  // waits for the batch's flush
};

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
// or read.
bool readInput(Flowchart& chart, const Text& input, Reporter& reporter,
               DiagnosticsSink* sink) {
  if (input != u"-") {
    return parseDescription(chart, input, reporter, sink) == 1;
  }
  Text reason;
  FileHandle file = openStandardInput(&reason);
  if (file == nullptr) {
    clearFlowchart(chart);
    reporter.reportError(wording::OpenFailureCaption, input, reason);
    return false;
  }
  return readDescription(chart, file, input, reporter, sink) == 1;
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

// Writes the drawing of chart to output; false (after reporting) when it
// cannot be written. With later, a file that replaces an existing one is
// left in outcome.pending for the batch's flush.
bool writeOutput(Flowchart& chart, const Text& output, Timestamp generated,
                 bool later, Outcome& outcome, Reporter& reporter) {
  Text reason;
  FileHandle file = output == u"-" ? attachStandardOutput()
                                   : createReplacement(output, &reason);
  if (file != nullptr) {
    writeSvg(chart, file, generated);
    const int written =
        later && output != u"-"
            ? finishWritingLater(file, &outcome.pending, &reason)
            : finishWriting(file, &reason);
    if (written == 1) return true;
  }
  reporter.reportError(wording::CreateFailureCaption, output, reason);
  return false;
}

struct Run {
  const std::vector<Text>& inputs;
  const std::vector<Text>& outputs;
  const RunSettings& settings;
  bool many;   // more than one file: outputs are checked for clashes
  bool later;  // more than one conversion: replacements flushed together
  std::vector<Outcome> outcomes;
};

void convertOne(Run& run, size_t k, Flowchart& chart) {
  Outcome& outcome = run.outcomes[k];
  const RunSettings& settings = run.settings;
  if (outcome.status != ExitWritten) return;  // refused before reading
  OutcomeReporter reporter(outcome);
  OutcomeSink sink(outcome, !settings.quiet);
  const bool listen = settings.check || !settings.quiet;
  const Text& input = run.inputs[k];
  if (!readInput(chart, input, reporter, listen ? &sink : nullptr)) {
    outcome.status = ExitInputUnreadable;
    return;
  }
  if (settings.check) return;
  const Text& output = run.outputs[k];
  if (!run.many && outputIsInput(input, output)) {
    reporter.reportError(wording::CreateFailureCaption, output,
                         wording::ItIsTheInputReason);
    outcome.status = ExitOutputUnwritable;
    return;
  }
  const Timestamp generated =
      settings.fixedTime >= 0 ? settings.fixedTime : currentTime();
  if (!writeOutput(chart, output, generated, run.later, outcome, reporter)) {
    outcome.status = ExitOutputUnwritable;
    return;
  }
  if (!settings.quiet) {
    outcome.success =
        successLine(shownPath(output), chart.sectioncount, chart.itemcount);
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
        errorLine(wording::CreateFailureCaption, output, reason));
    run.outcomes[k].status = ExitOutputUnwritable;
  }
}

// Puts every pending replacement of the run in place, one flush for all.
void commitPending(Run& run) {
  std::vector<PendingReplacement*> pending;
  std::vector<size_t> owners;
  for (size_t k = 0; k < run.outcomes.size(); ++k) {
    if (run.outcomes[k].pending == nullptr) continue;
    pending.push_back(run.outcomes[k].pending);
    owners.push_back(k);
    run.outcomes[k].pending = nullptr;
  }
  if (pending.empty()) return;
  std::vector<Text> reasons;
  const std::vector<int> done = commitReplacements(pending, &reasons);
  for (size_t p = 0; p < owners.size(); ++p) {
    if (done[p] == 1) continue;
    Outcome& outcome = run.outcomes[owners[p]];
    outcome.errors.push_back(errorLine(wording::CreateFailureCaption,
                                       run.outputs[owners[p]], reasons[p]));
    outcome.success.clear();
    outcome.status = ExitOutputUnwritable;
  }
}

// Prints what one file gave: its warnings in line order, its errors, its
// success line; each stream written once.
void printOutcome(Run& run, size_t k) {
  Outcome& outcome = run.outcomes[k];
  std::stable_sort(
      outcome.warnings.begin(), outcome.warnings.end(),
      [](const auto& a, const auto& b) { return a.first < b.first; });
  const Text name = shownPath(run.inputs[k]);
  Text warnings;
  for (const auto& [line, text] : outcome.warnings) {
    warnings += name + Text(wording::WarningBeforeLine) + formatInteger(line) +
                Text(wording::WarningAfterLine) + text + u"\n";
  }
  if (outcome.hiddenWarnings > 0) {
    warnings +=
        name + Text(wording::WarningAfterLine) +
        replaceAll(
            wording::MoreWarnings, u"{n}",
            formatInteger(static_cast<int64_t>(outcome.hiddenWarnings))) +
        u"\n";
  }
  Text errors;
  for (const Text& line : outcome.errors) errors += line + u"\n";
  if (!outcome.success.empty()) {
    if (run.settings.watchTimes) {
      errors += Text(wording::WatchTimeBefore) +
                formatTimestamp(u"%hh:%ii:%ss", currentTime()) +
                Text(wording::WatchTimeAfter);
    }
    errors += outcome.success + u"\n";
  }
  if (run.settings.check) {
    if (!warnings.empty()) writeToStream(StandardStream::Output, warnings);
  } else {
    errors = warnings + errors;
  }
  if (!errors.empty()) writeToStream(StandardStream::Error, errors);
  outcome.warnings.clear();
}

// The chart of the main thread, made on first use and kept to the end of
// the program: a watch converts again and again into the same one, and at
// the end the system takes the memory back at once, not text by text.
Flowchart& mainChart() {
  static Flowchart* const chart = new Flowchart;
  return *chart;
}

}  // namespace

Text errorLine(TextView caption, TextView path, TextView reason) {
  Text line = Text(caption) + shownPath(path);
  if (!reason.empty()) {
    line +=
        Text(wording::ReasonBefore) + Text(reason) + Text(wording::ReasonAfter);
  }
  return line;
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
  if (run.many && !settings.check) refuseClashes(run);

  // Asking for the processors reads a file; one conversion needs no answer.
  const size_t threads =
      count <= 1 ? count
                 : std::min(count, static_cast<size_t>(settings.threads > 0
                                                           ? settings.threads
                                                           : defaultThreads()));
  // The threads print as they go: whoever finishes the file that is next
  // in the order of the arguments prints it and every finished one after
  // it, so nobody waits to print. Printing stops at the first file whose
  // replacement waits for the batch's flush; the rest follow the flush.
  std::mutex mutex;
  std::vector<char> done(count, 0);
  size_t printed = 0;     // files printed, in order
  bool printing = false;  // a thread is printing
  std::atomic<size_t> next{0};
  auto work = [&](Flowchart& chart) {
    for (;;) {
      const size_t c = next.fetch_add(1);
      if (c >= count) break;
      convertOne(run, chosen[c], chart);
      std::unique_lock<std::mutex> lock(mutex);
      done[c] = 1;
      if (printing) continue;
      printing = true;
      while (printed < count && done[printed] != 0 &&
             run.outcomes[chosen[printed]].pending == nullptr) {
        const size_t k = chosen[printed++];
        lock.unlock();
        printOutcome(run, k);
        lock.lock();
      }
      printing = false;
    }
  };
  if (threads <= 1) {
    work(mainChart());
  } else {
    // This thread converts too, with the chart it keeps for the run.
    std::vector<std::thread> workers;
    for (size_t t = 1; t < threads; ++t) {
      workers.emplace_back([&] {
        // Default-initialised: the members' own initialisers are all it
        // needs, without zeroing the whole table first.
        std::unique_ptr<Flowchart> chart(new Flowchart);
        work(*chart);
      });
    }
    work(mainChart());
    for (std::thread& worker : workers) worker.join();
  }
  commitPending(run);
  for (; printed < count; ++printed) printOutcome(run, chosen[printed]);

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
